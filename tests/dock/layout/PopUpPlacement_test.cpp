// Where the bar's pop-ups go on a screen too small for them: the one rule
// they share, and the tool hub beside its button by it.
#include "dock/layout/PopUpPlacement.h"
#include "dock/tiles/DockMainButton.h"

#include <gtest/gtest.h>

namespace {

// At scale 2, in Qt's pixels: the primary 1400x1050 is 700x525, and the
// 1920x1080 right of it keeps its corner at 1400.
const QRectF kSmall(0, 0, 700, 525);
const QRectF kRightOfIt(1400, 0, 960, 540);

TEST(PopUpPlacement, APopUpIsFittedToItsScreensFreePartLeftAndTopEdgesFirst)
{
    struct Row {
        const char* meaning;
        QRectF rect;
        QRectF free;
        QSizeF minimum;
        QRectF fitted;
    };
    for (const Row& row : {
             Row { "inside: as it is", { 100, 50, 300, 200 }, kSmall, {}, { 100, 50, 300, 200 } },
             Row { "past the left edge", { -40, 50, 300, 200 }, kSmall, {}, { 0, 50, 300, 200 } },
             Row { "past the right edge", { 600, 50, 300, 200 }, kSmall, {}, { 400, 50, 300, 200 } },
             Row { "past the top edge", { 100, -30, 300, 200 }, kSmall, {}, { 100, 0, 300, 200 } },
             Row { "past the bottom edge", { 100, 400, 300, 200 }, kSmall, {}, { 100, 325, 300, 200 } },
             Row { "wider: shrunk to it", { -78, 15, 800, 450 }, kSmall, { 268, 80 }, { 0, 15, 700, 450 } },
             Row { "wider than it can shrink: its left edge on the screen", { -78, 15, 800, 450 }, kSmall,
                 { 776, 289 }, { 0, 15, 776, 450 } },
             Row { "a minimum above its own size does not grow it", { -78, 15, 800, 450 }, kSmall,
                 { 900, 100 }, { 0, 15, 800, 450 } },
             Row { "taller: shrunk to it", { 100, -100, 300, 600 }, kSmall, {}, { 100, 0, 300, 525 } },
             Row { "taller than it can shrink: its top edge on the screen", { 100, -100, 300, 600 }, kSmall,
                 { 300, 600 }, { 100, 0, 300, 600 } },
             Row { "right of another screen, larger both ways", { 1300, -50, 1000, 600 }, kRightOfIt,
                 { 268, 80 }, kRightOfIt },
             Row { "right of another screen, past its left edge", { 1350, 100, 300, 200 }, kRightOfIt, {},
                 { 1400, 100, 300, 200 } },
             Row { "right of another screen, past its right edge", { 2300, 100, 300, 200 }, kRightOfIt, {},
                 { 2060, 100, 300, 200 } },
             Row { "no free part known: as it is", { -78, 15, 800, 450 }, {}, {}, { -78, 15, 800, 450 } },
         })
        EXPECT_EQ(fittedInside(row.rect, row.free, row.minimum), row.fitted) << row.meaning;
}

TEST(PopUpPlacement, TheToolHubStandsBesideItsButtonWholeOnAScreenNarrowerThanIt)
{
    const QSizeF hub(800, 450);
    const QSizeF minimum(268, 80);
    struct Row {
        const char* meaning;
        const char* edge;
        QRectF button;
        QRectF free;
        QRectF frame;
    };
    for (const Row& row : {
             Row { "a bottom bar on the 700-wide screen", "bottom", { 294, 473, 56, 50 }, kSmall,
                 { 0, 15, 700, 450 } },
             Row { "a bottom bar on that screen at scale 1: moved in, not shrunk", "bottom",
                 { 294, 998, 56, 50 }, { 0, 0, 1400, 1050 }, { 0, 540, 800, 450 } },
             Row { "a right bar: shrunk to the room left of the button", "right", { 640, 240, 56, 50 },
                 kSmall, { 0, 40, 632, 450 } },
             Row { "a left bar on the screen right of another", "left", { 1405, 240, 56, 50 }, kRightOfIt,
                 { 1469, 40, 800, 450 } },
             Row { "a bottom bar on a short screen: lowered to the room above the button", "bottom",
                 { 294, 350, 56, 50 }, { 0, 0, 700, 400 }, { 0, 0, 700, 342 } },
         })
        EXPECT_EQ(toolHubPopoverFrame(row.button, hub, minimum, row.edge, row.free), row.frame)
            << row.meaning;
}

} // namespace

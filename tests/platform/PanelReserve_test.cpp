#include "platform/PanelReserve.h"

#include <gtest/gtest.h>

using platform::ReservedEdge;
using platform::reserveWherePanelStands;
using Side = ReservedEdge::Side;

namespace {

// A shorter primary left of a taller screen, as laptops beside a monitor
// stand; the root is 3320x1080.
const QSize kSideBySide(3320, 1080);
const std::vector<QRect> kShortLeft { QRect(0, 0, 1400, 1050), QRect(1400, 0, 1920, 1080) };
// The same two screens, the short one on the right.
// A monitor above a laptop at the root's left; the root is 1920x2130.
const std::vector<QRect> kStacked { QRect(0, 0, 1920, 1080), QRect(0, 1080, 1400, 1050) };

struct Case {
    const char* meaning;
    ReservedEdge reserve;
    QRect window;
    QSize root;
    std::vector<QRect> screens;
    ReservedEdge expected;
};

TEST(PanelReserve, APanelsReserveFollowsItsWindowWhereTheyDisagree)
{
    const ReservedEdge icewmStrut { Side::bottom, 26, 0, 3319 };
    const std::vector<Case> cases {
        { "icewm's taskbar along the short screen's bottom: from the root's bottom over its columns",
            icewmStrut, QRect(0, 1024, 1400, 26), kSideBySide, kShortLeft, { Side::bottom, 56, 0, 1399 } },
        { "a panel along the top of a screen lower than the root's top", { Side::top, 30, 1400, 3319 },
            QRect(1400, 40, 1920, 30), kSideBySide, { QRect(0, 0, 1400, 1080), QRect(1400, 40, 1920, 1040) },
            { Side::top, 70, 1400, 3319 } },
        // The laptop below the monitor, 200 columns in from the root's left.
        { "a panel along the left of a screen in from the root's left", { Side::left, 40, 1080, 2129 },
            QRect(200, 1080, 40, 1050), QSize(1920, 2130), { kStacked.front(), QRect(200, 1080, 1400, 1050) },
            { Side::left, 240, 1080, 2129 } },
        { "a panel along the right of a screen short of the root's right", { Side::right, 40, 1080, 2129 },
            QRect(1360, 1080, 40, 1050), QSize(1920, 2130), kStacked, { Side::right, 560, 1080, 2129 } },
        { "a panel on the edge the screens share: no strip from the root's edge spares the other",
            { Side::right, 40, 0, 1049 }, QRect(1360, 0, 40, 1050), kSideBySide, kShortLeft,
            { Side::right, 40, 0, 1049 } },

        { "a reserve that holds its window", { Side::bottom, 26, 1400, 3319 }, QRect(1400, 1054, 1920, 26),
            kSideBySide, kShortLeft, { Side::bottom, 26, 1400, 3319 } },
        { "a panel on the root's edge reserving less than it covers", { Side::bottom, 20, 1400, 3319 },
            QRect(1400, 1050, 1920, 30), kSideBySide, kShortLeft, { Side::bottom, 20, 1400, 3319 } },
        { "one screen: a panel floating above the bottom keeps its reserve", { Side::bottom, 26, 0, 1919 },
            QRect(0, 1000, 1920, 26), QSize(1920, 1080), { QRect(0, 0, 1920, 1080) },
            { Side::bottom, 26, 0, 1919 } },
        { "a panel along no screen's edge", icewmStrut, QRect(0, 900, 1400, 26), kSideBySide, kShortLeft,
            icewmStrut },
        { "a panel along a screen's other edge", icewmStrut, QRect(0, 0, 1400, 26), kSideBySide, kShortLeft,
            icewmStrut },
        { "a panel on a screen with another below it: no strip from the root's edge spares that one",
            { Side::bottom, 26, 0, 1919 }, QRect(0, 1054, 1400, 26), QSize(1920, 2130),
            { QRect(0, 0, 1400, 1080), QRect(0, 1080, 1920, 1050) }, { Side::bottom, 26, 0, 1919 } },
        { "the screens unknown", icewmStrut, QRect(0, 1024, 1400, 26), kSideBySide, {}, icewmStrut },
        { "the window unknown", icewmStrut, QRect(), kSideBySide, kShortLeft, icewmStrut },
    };
    for (const Case& c : cases)
        EXPECT_EQ(reserveWherePanelStands(c.reserve, c.window, c.root, c.screens), c.expected) << c.meaning;
}

} // namespace

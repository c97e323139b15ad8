#include "shell/AuxWindowGeometry.h"

#include <gtest/gtest.h>

TEST(AuxWindowGeometry, TheToastCoversSevenTenthsOfTheScreenUnderTheMouse)
{
    // Two side-by-side screens; the second has a 30-pixel panel at its top.
    const ScreenFrames left { QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040) };
    const ScreenFrames right { QRect(1920, 0, 1440, 900), QRect(1920, 30, 1440, 870) };
    const struct {
        const char* meaning;
        QPoint mouse;
        QRect toast;
    } rows[] = {
        // 0.7 of 1440 x 900 is 1008 x 630, centred on the whole screen.
        { "mouse on the second screen", QPoint(2000, 100), QRect(1920 + 216, 135, 1008, 630) },
        { "mouse on the first screen", QPoint(10, 10), QRect(288, 162, 1344, 756) },
        { "mouse below the shorter screen, on none", QPoint(2500, 1000), QRect() },
    };
    for (const auto& row : rows)
        EXPECT_EQ(toastFrame(screenContaining({ left, right }, row.mouse)), row.toast) << row.meaning;

    const ScreenFrames mirror { QRect(0, 0, 800, 600), QRect(0, 0, 800, 600) };
    const auto screen = screenContaining({ mirror, left }, QPoint(5, 5));
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->frame, mirror.frame) << "where screens overlap the first in the list wins";
}

// The clipboard window has the size of the clipboard tile's panel: along the
// bar's edge of the screen under the pointer, whatever edge that is.
TEST(AuxWindowGeometry, ClipboardWindowLiesAlongTheBarsEdgeAsTheTilesPanelDoes)
{
    const ScreenFrames screen { QRect(1920, 0, 1920, 1080), QRect(1920, 0, 1920, 1040) };
    const struct {
        const char* edge;
        QRect frame;
    } rows[] = {
        { "bottom", QRect(1920, 540, 1920, 500) },
        { "top", QRect(1920, 0, 1920, 500) },
        { "left", QRect(1920, 0, 500, 1040) },
        { "right", QRect(3340, 0, 500, 1040) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(pasteboardFrame(screen, QString::fromLatin1(row.edge)), row.frame) << row.edge;
    EXPECT_EQ(pasteboardFrame(std::nullopt, QStringLiteral("left")), QRect(0, 0, 500, 500));
    const ScreenFrames small { QRect(0, 0, 400, 300), QRect(0, 0, 400, 300) };
    EXPECT_EQ(pasteboardFrame(small, QStringLiteral("bottom")), QRect(0, 0, 400, 300))
        << "never larger than the screen";
}

// The settings and onboarding windows on their screen's free part (Qt's
// pixels), their frame round them: as asked where they fit, else fitted as
// the pop-ups are, the title bar never off the screen.
TEST(AuxWindowGeometry, AFramedWindowIsFittedToItsScreensFreePartFrameIncluded)
{
    const QMargins atTwo = assumedWindowFrame(2);
    const QMargins atOne = assumedWindowFrame(1);
    const struct {
        const char* meaning;
        QRect free;
        QSize size, minimum;
        QMargins frame;
        QRect placed;
    } rows[] = {
        // DUMMY1 1920x1080 at 2, right of a 1400-wide screen, less a bar of 52.
        { "Settings on a 960x540 scaled screen", QRect(1400, 0, 960, 488), QSize(800, 600), QSize(764, 353),
            atTwo, QRect(1480, 16, 800, 469) },
        // DUMMY0 1400x1050 at 2, the primary.
        { "the onboarding window on a 700x525 scaled primary", QRect(0, 0, 700, 473), QSize(800, 670),
            QSize(68, 68), atTwo, QRect(3, 16, 694, 454) },
        { "a page that cannot be narrower hangs past the right edge only", QRect(0, 0, 700, 473),
            QSize(800, 600), QSize(764, 353), atTwo, QRect(3, 16, 764, 454) },
        { "Settings on an ordinary screen stays 800x600, centred", QRect(0, 0, 1920, 1028), QSize(800, 600),
            QSize(764, 353), atOne, QRect(560, 227, 800, 600) },
        { "the frame the window manager drew", QRect(0, 0, 700, 473), QSize(800, 670), QSize(68, 68),
            QMargins(3, 15, 3, 3), QRect(3, 15, 694, 455) },
    };
    for (const auto& row : rows) {
        const QRect centred = centredIn(row.size, row.free.marginsRemoved(row.frame));
        const QRect placed = framedWindowPlace(centred, row.free, row.frame, row.minimum);
        EXPECT_EQ(placed, row.placed) << row.meaning;
        EXPECT_GE(placed.top() - row.frame.top(), row.free.top()) << row.meaning << ": the title bar";
        EXPECT_GE(placed.left() - row.frame.left(), row.free.left()) << row.meaning;
    }

    const QRect free(0, 0, 1920, 1028);
    EXPECT_EQ(framedWindowPlace(QRect(1500, 700, 800, 600), free, atOne), QRect(1114, 422, 800, 600))
        << "a saved place past the corner is moved in, not shrunk";
    EXPECT_EQ(framedWindowPlace(QRect(100, 100, 800, 600), free, atOne), QRect(100, 100, 800, 600))
        << "a place that fits is kept";
    EXPECT_EQ(framedWindowPlace(QRect(0, 0, 800, 600), QRect(), atOne), QRect(0, 0, 800, 600))
        << "no screen: as asked";
    EXPECT_EQ(atOne, QMargins(6, 32, 6, 6));
    EXPECT_EQ(assumedWindowFrame(1.5), QMargins(4, 22, 4, 4)) << "rounded up, never too little";
}

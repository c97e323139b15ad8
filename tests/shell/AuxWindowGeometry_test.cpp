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

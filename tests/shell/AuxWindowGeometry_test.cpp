#include "shell/AuxWindowGeometry.h"

#include <gtest/gtest.h>

namespace {

// Two side-by-side screens; the second has a 30-pixel panel at its top.
const ScreenFrames left { QRect(0, 0, 1920, 1080), QRect(0, 0, 1920, 1040) };
const ScreenFrames right { QRect(1920, 0, 1440, 900), QRect(1920, 30, 1440, 870) };

struct Case {
    const char* name;
    QPoint mouse;
    QRect toast;
    QRect pasteboard;
};

const Case cases[] = {
    // 0.7 of 1440 x 900 is 1008 x 630, centred on the right screen.
    { "MouseOnSecondScreen", QPoint(2000, 100), QRect(1920 + 216, 135, 1008, 630),
        QRect(1920, 500, 1440, 400) },
    { "MouseOnFirstScreen", QPoint(10, 10), QRect(288, 162, 1344, 756), QRect(0, 640, 1920, 400) },
    // Below the shorter right screen: no screen contains the pointer.
    { "MouseOutsideEveryScreen", QPoint(2500, 1000), QRect(), QRect(0, 0, 500, 400) },
};

class AuxWindowGeometry : public ::testing::TestWithParam<Case> { };

} // namespace

TEST_P(AuxWindowGeometry, FramesFollowTheScreenUnderTheMouse)
{
    const Case& c = GetParam();
    const auto screen = screenContaining({ left, right }, c.mouse);
    EXPECT_EQ(toastFrame(screen), c.toast);
    EXPECT_EQ(pasteboardFrame(screen), c.pasteboard);
}

INSTANTIATE_TEST_SUITE_P(Screens, AuxWindowGeometry, ::testing::ValuesIn(cases),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScreenContaining, FirstScreenInListOrderWinsWhereScreensOverlap)
{
    const ScreenFrames mirror { QRect(0, 0, 800, 600), QRect(0, 0, 800, 600) };
    const auto screen = screenContaining({ mirror, left }, QPoint(5, 5));
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->frame, mirror.frame);
}

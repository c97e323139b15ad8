#include "tests/activation/ActivationFixture.h"

#include "apps/WindowActions.h"

using namespace orbitshelf::test;
using Kind = platform::fake::FakeAction::Kind;

TEST_F(ActivationTest, MarkOpenedWindowPassLeavesOnlyTheActivatedOneOpened)
{
    auto app = addApp(100, "Editor", { "a", "b", "c" });
    auto& windows = *app->windows;
    const QDateTime before = windows[1]->clickTime;
    for (std::size_t i = 0; i < windows.size(); ++i)
        markOpenedWindow(i, *windows[i], *windows[1], 100);
    EXPECT_EQ(windows[0]->opened, false);
    EXPECT_EQ(windows[1]->opened, true);
    EXPECT_EQ(windows[2]->opened, false);
    EXPECT_GE(windows[1]->clickTime, before);

    // An application the model does not hold changes nothing.
    markOpenedWindow(0, *windows[0], *windows[0], 999);
    EXPECT_EQ(windows[0]->opened, false);
}

TEST_F(ActivationTest, MinimiseOthersActsOnWindowsSharingEveryChosenDesktop)
{
    fake.setDesktopCount(3);
    auto app = addApp(100, "Editor", { "chosen", "same", "elsewhere", "sticky" });
    auto& w = *app->windows;
    fake.updateWindow(*w[0]->num, [](platform::ServerWindow& s) { s.desktop = 1; });
    fake.updateWindow(*w[1]->num, [](platform::ServerWindow& s) { s.desktop = 1; });
    fake.updateWindow(*w[2]->num, [](platform::ServerWindow& s) { s.desktop = 2; });
    fake.updateWindow(*w[3]->num, [](platform::ServerWindow& s) { s.desktop = 0xFFFFFFFF; });

    minimizeOtherWindows(100, *w[0], { 1 });
    EXPECT_FALSE(fake.windowState(*w[0]->num)->minimized);
    EXPECT_TRUE(fake.windowState(*w[1]->num)->minimized);
    EXPECT_FALSE(fake.windowState(*w[2]->num)->minimized);
    EXPECT_TRUE(fake.windowState(*w[3]->num)->minimized);
}

TEST_F(ActivationTest, MinimiseOthersWithNoDesktopsMinimisesNothing)
{
    auto app = addApp(100, "Editor", { "chosen", "other" });
    minimizeOtherWindows(100, *app->windows->front(), {});
    minimizeOtherWindows(555, *app->windows->front(), { 0 });
    EXPECT_TRUE(actionsOf(Kind::minimize).empty());
}

TEST_F(ActivationTest, PointerMovesOnlyForSwitcherClicks)
{
    auto app = addApp(100, "Editor", { "a" });
    const Windows& window = *app->windows->front(); // 100,200 400x300
    fake.setPointerPosition(QPoint(3, 3));
    moveCursorToWindowCenter(window, "Dock");
    EXPECT_EQ(fake.pointer().position(), QPoint(3, 3));
    moveCursorToWindowCenter(window, "FloatDock");
    EXPECT_EQ(fake.pointer().position(), QPoint(300, 350));
}

#include "tests/activation/ActivationFixture.h"

#include "apps/WindowActions.h"

using namespace orbitshelf::test;
using Kind = platform::fake::FakeAction::Kind;

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

    // No chosen desktop, or an application the model does not hold: nothing.
    fake.clearActions();
    minimizeOtherWindows(100, *w[0], {});
    minimizeOtherWindows(555, *w[0], { 2 });
    EXPECT_TRUE(actionsOf(Kind::minimize).empty());
}

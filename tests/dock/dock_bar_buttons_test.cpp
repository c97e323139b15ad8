// Where the window buttons meet the bar: the order of its applications and
// the width the layout pass gives them.
#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/AppOrder.h"
#include "apps/Windows.h"
#include "dock/DockBarButtons.h"
#include "dock/DockLayoutPass.h"
#include "tests/support/TempStores.h"

#include <gtest/gtest.h>

namespace {

const QString kScreen = QStringLiteral("Optional(B)");

class DockBarButtons : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_state.spaceScreenWidth.insert(kScreen, 1920);
        m_state.spaceScreenHeight.insert(kScreen, 1080);
    }

    void addApp(int32_t pid, int windows)
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->windows = std::vector<std::shared_ptr<Windows>>();
        for (int i = 0; i < windows; ++i) {
            auto window = std::make_shared<Windows>();
            window->appId = pid;
            window->num = uint32_t(pid * 10 + i);
            window->title = QStringLiteral("t");
            app->windows->push_back(window);
        }
        m_state.allApps.insert(pid, app);
    }

    orbitshelf::test::TempUserDefaults m_defaults;
    AppState m_state;
};

TEST_F(DockBarButtons, BarOrderFollowsTheOrderValuesAndMovesWithADrop)
{
    addApp(300, 1);
    addApp(100, 1);
    addApp(200, 1);
    m_state.appOrders = { { 100, 15 }, { 200, 5 }, { 300, 10 } };
    EXPECT_EQ(barAppPids(m_state), (QList<int32_t> { 200, 300, 100 }));

    moveAppOrder(m_state.appOrders, 200, 100);
    EXPECT_EQ(barAppPids(m_state), (QList<int32_t> { 300, 100, 200 }));

    // An application without an order value yet still gets its button, last.
    addApp(50, 1);
    m_state.appOrders.remove(50);
    EXPECT_EQ(barAppPids(m_state).last(), 50);
    // Orders of applications that are gone show nothing.
    m_state.appOrders.insert(999, 1);
    EXPECT_FALSE(barAppPids(m_state).contains(999));
}

TEST_F(DockBarButtons, LayoutPassSumsTheButtonWidthsOncePerPass)
{
    addApp(1, 1); // 46 + 5
    addApp(2, 3); // three buttons of 46 + 140 + 5
    addApp(3, 9); // stacked: no window buttons
    for (int pass = 0; pass < 3; ++pass)
        layoutDockForScreen(m_state, kScreen);
    EXPECT_DOUBLE_EQ(m_state.spaceDockWidth.value(kScreen), 51 + 3 * 191)
        << "repeated passes and redraws leave the width as it is";
}

TEST_F(DockBarButtons, PictureItemsNameTheirApplications)
{
    const QList<int32_t> pids { 7, 8 };
    DockBarItem window;
    window.kind = DockBarItem::Kind::Window;
    window.appIndex = 1;
    EXPECT_EQ(itemProcessId(window, pids), 8);
    DockBarItem launchpad;
    launchpad.kind = DockBarItem::Kind::Launchpad;
    launchpad.appIndex = 0;
    EXPECT_EQ(itemProcessId(launchpad, pids), std::nullopt);
    window.appIndex = 2;
    EXPECT_EQ(itemProcessId(window, pids), std::nullopt) << "an application that quit since the picture";
}

} // namespace

#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/PlatformAppsSource.h"
#include "apps/RunningApps.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "tests/support/ChangeCounter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using platform::AXElement;
using platform::RunningApplication;

namespace {

// The model on the application state, fed by the scripted desktop.
class PlatformModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        platform::install(platform::fake::services(&fake));
        fake.setOwnPid(1);
        setAppsSource(&source);
        AppState& state = AppState::shared();
        state.allApps.clear();
        state.appOrders.clear();
        state.allOldWindows.clear();
        startAXBackgroundWork();
    }
    void TearDown() override
    {
        AppState::shared().allApps.clear();
        setAppsSource(nullptr);
        stopAXBackgroundWork();
        platform::uninstall();
        UserDefaults::useFile({});
    }

    void addApp(qint32 pid, const QString& name, const QString& executable)
    {
        RunningApplication app;
        app.processIdentifier = pid;
        app.localizedName = name;
        app.bundleIdentifier = "org.example." + name;
        app.executableURL = executable;
        fake.addApp(app);
    }

    std::shared_ptr<Windows> modelWindow(quint32 id) { return findWindowByNumber(static_cast<int32_t>(id)); }

    QTemporaryDir dir;
    platform::fake::FakePlatform fake;
    PlatformAppsSource source;
};

} // namespace

TEST_F(PlatformModel, BuildsApplicationsAndWindowsFromTheDesktop)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    const quint32 w = fake.addWindow(100, QStringLiteral("shell"));
    addApp(200, "Chat", "/opt/chat/Electron");
    addApp(1, "orbitShelf", "/usr/bin/orbitShelf");
    fake.addWindow(1, QStringLiteral("bar"));
    orbitshelf::test::ChangeCounter changes(AppState::shared());

    EXPECT_TRUE(refreshRunningApps());
    AppState& state = AppState::shared();
    ASSERT_TRUE(state.allApps.contains(100));
    EXPECT_EQ(state.allApps.value(100)->appBundleName, "xterm");
    EXPECT_EQ(state.allApps.value(200)->appBundleName, "Chat");
    ASSERT_TRUE(modelWindow(w));
    EXPECT_EQ(modelWindow(w)->title, "shell");
    EXPECT_TRUE(modelWindow(w)->axObserver);
    EXPECT_TRUE(fake.isObserved(AXElement::windowElement(100, w), "AXUIElementDestroyed"));
    EXPECT_TRUE(fake.isObserved(AXElement::windowElement(100, w), "AXTitleChanged"));
    // Chat has no window: its placeholder stands for it, unobserved.
    ASSERT_EQ(state.allApps.value(200)->windows->size(), 1u);
    EXPECT_TRUE(state.allApps.value(200)->windows->front()->isPlaceholder);
    EXPECT_EQ(fake.observerCount(), 1);
    EXPECT_EQ(state.appOrders, (QMap<qint32, int> { { 100, 10 }, { 200, 15 } }));
    EXPECT_GE(changes.count, 1);
    // This program is only the placeholder application.
    EXPECT_FALSE(state.allApps.contains(1));
    ASSERT_TRUE(placeholderApp()->app.has_value());
    EXPECT_EQ(placeholderApp()->app->pid, 1);
    fake.setActiveWindow(w);
    refreshFocusedWindows();
    EXPECT_TRUE(modelWindow(w)->focused.value_or(false));

    changes.count = 0;
    EXPECT_FALSE(refreshRunningApps());
    EXPECT_EQ(changes.count, 0);
}

TEST_F(PlatformModel, OrderCacheSurvivesARestartOnce)
{
    addApp(100, "A", "/usr/bin/a");
    addApp(200, "B", "/usr/bin/b");
    refreshRunningApps();
    moveAppOrder(200, 100);
    EXPECT_EQ(pidsInAppOrder(), (QList<int32_t> { 100, 200 }));
    moveAppOrder(100, 200);
    EXPECT_EQ(pidsInAppOrder(), (QList<int32_t> { 200, 100 }));
    saveAppOrdersCache();
    AppState::shared().setNeedRestoreOrderRestarted(true);

    // The relaunched process starts with no orders.
    AppState::shared().appOrders.clear();
    AppState::shared().allApps.clear();
    refreshRunningApps();
    EXPECT_EQ(pidsInAppOrder(), (QList<int32_t> { 200, 100 }));
    EXPECT_FALSE(AppState::shared().needRestoreOrderRestarted());
}

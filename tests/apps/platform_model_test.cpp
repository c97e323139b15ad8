#include "app/AppState.h"
#include "app/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/PlatformAppsSource.h"
#include "apps/RunningApps.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/XvfbSession.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using orbitshelf::test::waitUntil;
using platform::AXElement;
using platform::RunningApplication;

namespace {

// Counts the change notices of the application state.
struct ChangeCounter {
    int count = 0;
    int titles = 0;
    QMetaObject::Connection connection
        = QObject::connect(&AppState::shared(), &AppState::changed, [this] { ++count; });
    QMetaObject::Connection titleConnection
        = QObject::connect(&AppState::shared(), &AppState::titleChanged, [this] { ++titles; });
    ~ChangeCounter()
    {
        QObject::disconnect(connection);
        QObject::disconnect(titleConnection);
    }
    void clear() { count = 0; }
};

// The model on the application state, fed by the scripted desktop.
class PlatformModel : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        platform::setCurrent(&fake);
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
        platform::setCurrent(nullptr);
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
    ChangeCounter changes;

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

    const QDateTime stamped = state.lastUpdateTime;
    changes.clear();
    EXPECT_FALSE(refreshRunningApps());
    EXPECT_EQ(changes.count, 0);
    EXPECT_EQ(state.lastUpdateTime, stamped);
}

TEST_F(PlatformModel, OwnProcessIsOnlyThePlaceholderApp)
{
    addApp(1, "orbitShelf", "/usr/bin/orbitShelf");
    fake.addWindow(1, QStringLiteral("bar"));
    refreshRunningApps();
    EXPECT_FALSE(AppState::shared().allApps.contains(1));
    EXPECT_FALSE(AppState::shared().appOrders.contains(1));
    ASSERT_TRUE(placeholderApp()->app.has_value());
    EXPECT_EQ(placeholderApp()->app->pid, 1);
}

TEST_F(PlatformModel, NotificationsOnTheEventThreadKeepTheModelCurrent)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    const quint32 a = fake.addWindow(100, QStringLiteral("one"));
    const quint32 b = fake.addWindow(100, QStringLiteral("two"));
    refreshRunningApps();
    ChangeCounter changes;

    fake.setTitle(a, QStringLiteral("renamed"));
    fake.fire(AXElement::windowElement(100, a), "AXTitleChanged");
    EXPECT_TRUE(waitUntil([&] { return modelWindow(a) && modelWindow(a)->title == "renamed"; }));
    // Only the title changed: the views that show titles are told although
    // the windows did not change.
    EXPECT_TRUE(waitUntil([&] { return changes.titles >= 1; }));

    fake.removeWindow(b);
    fake.fire(AXElement::windowElement(100, b), "AXUIElementDestroyed");
    EXPECT_TRUE(waitUntil([&] { return !modelWindow(b); }));
    EXPECT_EQ(fake.observerCount(), 1);
}

TEST_F(PlatformModel, FocusFollowsTheWindowNumber)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    const quint32 a = fake.addWindow(100, QStringLiteral("same"));
    const quint32 b = fake.addWindow(100, QStringLiteral("same"));
    refreshRunningApps();
    fake.setActiveWindow(b);
    refreshFocusedWindows();
    EXPECT_FALSE(modelWindow(a)->focused.value_or(false));
    EXPECT_TRUE(modelWindow(b)->focused.value_or(false));
}

TEST_F(PlatformModel, PreviewsComeFromTheWindowServerAndNotFromMinimisedWindows)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    const quint32 w = fake.addWindow(100, QStringLiteral("shell"));
    QImage picture(8, 6, QImage::Format_ARGB32);
    picture.fill(Qt::red);
    fake.setWindowImage(w, picture);
    refreshRunningApps();
    auto& settings = appStateModelSettings();
    ASSERT_TRUE(modelWindow(w)->captureWindowThumbnail(settings, appsSource()).has_value());
    EXPECT_EQ(modelWindow(w)->captureWindowThumbnail(settings, appsSource())->size(), QSize(8, 6));
    fake.updateWindow(w, [](platform::ServerWindow& s) {
        s.minimized = true;
        s.onScreen = false;
    });
    EXPECT_FALSE(modelWindow(w)->captureWindowThumbnail(settings, appsSource()).has_value());
}

TEST_F(PlatformModel, SpacesAreAskedByTheWindowsCurrentNumber)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    fake.setDesktopCount(3);
    const quint32 w = fake.addWindow(100, QStringLiteral("shell"));
    fake.updateWindow(w, [](platform::ServerWindow& s) { s.desktop = 2; });
    refreshRunningApps();
    const auto window = modelWindow(w);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->spacesForWindow(appsSource()), (std::vector<uint64_t> { 2 }));
    window->num = 12345; // the stored number plays no part
    EXPECT_EQ(window->spacesForWindow(appsSource()), (std::vector<uint64_t> { 2 }));
    fake.removeWindow(w);
    EXPECT_TRUE(window->spacesForWindow(appsSource()).empty());
    EXPECT_TRUE(Windows().spacesForWindow(appsSource()).empty());
}

TEST_F(PlatformModel, ManyWindowsComingAndGoingLeaveNothingBehind)
{
    addApp(100, "Terminal", "/usr/bin/xterm");
    fake.addWindow(100, QStringLiteral("stays"));
    refreshRunningApps();
    refreshRunningApps();
    const int observers = fake.observerCount();
    const auto oldWindows = AppState::shared().allOldWindows.size();

    for (int i = 0; i < 100; ++i) {
        const quint32 w = fake.addWindow(100, QStringLiteral("transient %1").arg(i));
        refreshRunningApps();
        ASSERT_TRUE(modelWindow(w));
        fake.removeWindow(w);
        fake.fire(AXElement::windowElement(100, w), "AXUIElementDestroyed");
        ASSERT_TRUE(waitUntil([&] { return !modelWindow(w); }));
    }
    refreshRunningApps();
    EXPECT_EQ(fake.observerCount(), observers);
    EXPECT_EQ(AppState::shared().allOldWindows.size(), oldWindows);
    EXPECT_EQ(AppState::shared().allApps.value(100)->windows->size(), 1u);
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

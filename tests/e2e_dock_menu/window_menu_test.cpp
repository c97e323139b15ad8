// The window button's menu against real clients on a private display:
// "Keep in Dock" pins an xterm for good, "Minimized Others" minimises the
// windows of the same desktop only, "Quit" ends a one-window xterm and the
// bar drops it once it is gone; a window going full screen shows the toast
// or hides the bar, as the setting says.
#include "Persistence.h"
#include "dock/DockReload.h"
#include "shell/AppListeners.h"
#include "app/AppState.h"
#include "shell/AuxiliaryWindows.h"
#include "widgets/CustomWindow.h"
#include "app/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/ActiveApp.h"
#include "apps/Pinning.h"
#include "apps/RunningApps.h"
#include "apps/WindowNotificationHandler.h"
#include "dock/AppContextMenu.h"
#include "dock/DockViewState.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/X11PlatformTest.h"
#include "tests/support/XvfbSession.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace orbitshelf::test;
using namespace std::chrono_literals;

namespace {

class WindowMenuOnDesktop : public X11PlatformTest {
protected:
    static void SetUpTestSuite()
    {
        X11PlatformTest::SetUpTestSuite();
        if (!x11)
            return;
        // One event thread for the whole program, as in the app: window
        // notices are not delivered again after a stop and a new start.
        platform::setCurrent(x11);
        startAXBackgroundWork();
    }
    static void TearDownTestSuite()
    {
        if (x11)
            stopAXBackgroundWork();
        platform::setCurrent(nullptr);
        X11PlatformTest::TearDownTestSuite();
    }

    void SetUp() override
    {
        if (!x11)
            GTEST_SKIP() << "no X11 layer: " << skipReason.toStdString();
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        oldDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        openStore();
        platform::setCurrent(x11);
        reload = QObject::connect(
            &x11->workspace(), &platform::Workspace::applicationLaunched, [] { refreshRunningApps(); });
        reloadOnQuit = QObject::connect(
            &x11->workspace(), &platform::Workspace::applicationTerminated, [] { refreshRunningApps(); });
        refreshRunningApps();

        services = AppMenuServices::standard();
        services.store = store.get();
        // Pinned at once here, so that the test can look at the store.
        services.pinApp = [this](int32_t pid) { pinApp(pid, *store); };
        services.scheduleDockReload = [] {};
    }
    void TearDown() override
    {
        if (!x11)
            return;
        for (qint64 pid : spawned)
            terminate(pid);
        QObject::disconnect(reload);
        QObject::disconnect(reloadOnQuit);
        AppState::shared().allApps.clear();
        AppState::shared().pinnedAnNotRunning.clear();
        store.reset();
        qputenv("XDG_DATA_HOME", oldDataHome);
        UserDefaults::useFile({});
    }

    // Opening the same file again is what the next start of the app does.
    void openStore()
    {
        store.reset();
        QString error;
        store = PersistenceController::open(dir.filePath("store.sqlite"), &error);
        ASSERT_TRUE(store) << error.toStdString();
    }

    qint64 xterm(const QString& title)
    {
        const qint64 pid = spawn("xterm", { "-T", title, "-geometry", "30x4+40+40" });
        spawned.push_back(pid);
        return pid;
    }

    static std::shared_ptr<Windows> windowTitled(const QString& title)
    {
        for (const auto& app : std::as_const(AppState::shared().allApps)) {
            if (!app->windows)
                continue;
            for (const auto& w : *app->windows)
                if (w->title == title)
                    return w;
        }
        return nullptr;
    }

    static bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s)
    {
        return waitUntil([&] { return condition() || (refreshRunningApps(), condition()); }, timeout);
    }

    std::optional<platform::ServerWindow> server(const std::shared_ptr<Windows>& w)
    {
        return w && w->num ? x11->windowServer().window(*w->num) : std::nullopt;
    }

    void run(AppMenuAction action, const std::shared_ptr<Windows>& window)
    {
        runAppMenuAction(action, AppMenuTarget { window }, dock, AppState::shared(), services);
    }

    static bool pinnedNotRunning(const QString& name)
    {
        for (const auto& app : std::as_const(AppState::shared().pinnedAnNotRunning))
            if (app->appBundleName == name)
                return true;
        return false;
    }

    QTemporaryDir dir;
    QByteArray oldDataHome;
    std::unique_ptr<PersistenceController> store;
    AppMenuServices services;
    DockViewState dock { true, 1920, 1080, "Optional(P)" };
    std::vector<qint64> spawned;
    QMetaObject::Connection reload;
    QMetaObject::Connection reloadOnQuit;
};

} // namespace

TEST_F(WindowMenuOnDesktop, KeepInDockPinsAnXtermThatStaysAfterItExitsAndAfterARestart)
{
    const qint64 pid = xterm("menu-keep");
    ASSERT_TRUE(eventually([] { return windowTitled("menu-keep") != nullptr; }));
    const auto window = windowTitled("menu-keep");
    const auto app = AppState::shared().allApps.value(qint32(pid));
    ASSERT_TRUE(app && app->appBundleName);
    const QString name = *app->appBundleName;

    auto titles = [&] {
        QStringList t;
        for (const AppMenuEntry& e :
            appContextMenu(appMenuInputs(AppState::shared(), window.get(), store.get())))
            t << e.title;
        return t;
    };
    EXPECT_TRUE(titles().contains("Keep in Dock"));
    run(AppMenuAction::KeepInDock, window);
    EXPECT_TRUE(isAppPinned(app.get(), *store).first);
    EXPECT_TRUE(titles().contains("Remove Keep"));

    terminate(pid);
    ASSERT_TRUE(eventually([&] { return !AppState::shared().allApps.contains(qint32(pid)); }));
    loadPinnedApps(*store);
    EXPECT_TRUE(pinnedNotRunning(name)) << "the pinned xterm left the bar when it exited";

    // The next start reads the same store afresh.
    AppState::shared().pinnedAnNotRunning.clear();
    openStore();
    loadPinnedApps(*store);
    EXPECT_TRUE(pinnedNotRunning(name)) << "the pin did not survive a restart";
}

TEST_F(WindowMenuOnDesktop, MinimisedOthersTakesTheWindowsOfTheSameDesktopOnly)
{
    if (runTool("wmctrl", { "-d" }).split('\n', Qt::SkipEmptyParts).size() < 2)
        runTool("wmctrl", { "-n", "2" });
    xterm("menu-min-chosen");
    xterm("menu-min-same");
    xterm("menu-min-other");
    ASSERT_TRUE(eventually([] {
        return windowTitled("menu-min-chosen") && windowTitled("menu-min-same")
            && windowTitled("menu-min-other");
    }));
    runTool("wmctrl", { "-r", "menu-min-other", "-t", "1" });
    const auto chosen = windowTitled("menu-min-chosen");
    const auto same = windowTitled("menu-min-same");
    const auto other = windowTitled("menu-min-other");
    ASSERT_TRUE(waitUntil([&] { return server(other) && server(other)->desktop == 1u; }, 5s));

    // The window manager marks windows of other desktops iconic itself, so
    // what is asked is recorded as well as what the desktop then shows.
    std::vector<uint32_t> asked;
    const auto minimise = services.minimizeWindow;
    services.minimizeWindow = [&](uint32_t num) {
        asked.push_back(num);
        minimise(num);
    };
    run(AppMenuAction::MinimizeOthers, chosen);
    EXPECT_TRUE(waitUntil([&] { return server(same) && server(same)->minimized; }, 5s));
    EXPECT_NE(std::find(asked.begin(), asked.end(), *same->num), asked.end());
    EXPECT_EQ(std::find(asked.begin(), asked.end(), *other->num), asked.end())
        << "a window of another desktop was minimised";
    EXPECT_EQ(std::find(asked.begin(), asked.end(), *chosen->num), asked.end())
        << "the chosen window itself was minimised";
    EXPECT_FALSE(server(chosen)->minimized);
}

TEST_F(WindowMenuOnDesktop, QuitEndsAOneWindowXtermWhichLeavesTheBarOnceGone)
{
    const qint64 pid = xterm("menu-quit");
    ASSERT_TRUE(eventually([] { return windowTitled("menu-quit") != nullptr; }));
    const auto window = windowTitled("menu-quit");
    const auto app = AppState::shared().allApps.value(qint32(pid));
    ASSERT_TRUE(app && app->windows && app->windows->size() == 1u);

    // The app's own quit listener drops it (this test's store is not the
    // shared one, so the pinned reload it also starts is left out).
    listenerActions().loadPinnedApps = [] {};
    dockReloadSteps().loadPinnedApps = [] {};
    dockReloadSteps().refreshDockLayout = [] {};
    const auto listener = QObject::connect(
        &x11->workspace(), &platform::Workspace::applicationTerminated, &handleAppTerminated);
    run(AppMenuAction::Quit, window);
    EXPECT_TRUE(AppState::shared().allApps.contains(qint32(pid))) << "dropped before it ended";
    // The xterm is this test's child: it ends on the request and is reaped
    // here, as a desktop's launcher would.
    EXPECT_TRUE(waitUntil([&] { return ::waitpid(pid_t(pid), nullptr, WNOHANG) == pid_t(pid); }, 5s));
    spawned.erase(std::remove(spawned.begin(), spawned.end(), pid), spawned.end());
    // Asked, not assumed: it leaves the bar once the desktop reports it gone
    // (the quit notice, or the next reload should that notice be missed).
    EXPECT_TRUE(eventually([&] { return !AppState::shared().allApps.contains(qint32(pid)); }));
    EXPECT_FALSE(server(window).has_value());
    QObject::disconnect(listener);
    listenerActions() = ListenerActions::standard();
    dockReloadSteps() = DockReloadSteps::standard();
}

TEST_F(WindowMenuOnDesktop, FullScreenShowsTheToastOrHidesTheBarAsTheSettingSays)
{
    QStringList toasts;
    // The test program draws offscreen; the handler is told of the private
    // display's one screen instead.
    windowHandlerActions().screens = [] {
        const QRectF frame(0, 0, 1920, 1080);
        return QList<HandlerScreen> { { QStringLiteral("Optional(E2E)"), frame, frame } };
    };
    windowHandlerActions().showToast = [&](const QString& screen, qint64 number) {
        toasts << QStringLiteral("%1 %2").arg(screen).arg(number);
        presentToastWindow(screen, number);
    };
    AppState& state = AppState::shared();

    state.settings.setEnableAutoHideWhenFullScreen(false);
    xterm("menu-full-off");
    ASSERT_TRUE(eventually([] { return windowTitled("menu-full-off") != nullptr; }));
    const auto off = windowTitled("menu-full-off");
    runTool("wmctrl", { "-r", "menu-full-off", "-b", "add,fullscreen" });
    ASSERT_TRUE(waitUntil([&] { return server(off) && server(off)->fullScreen; }, 5s));
    EXPECT_TRUE(waitUntil([&] { return !toasts.isEmpty(); }, 5s)) << "no toast for a full-screen window";
    EXPECT_TRUE(waitUntil([&] { return toastWindow() && toastWindow()->isVisible(); }, 3s));
    ASSERT_FALSE(toasts.isEmpty());
    EXPECT_TRUE(toasts.first().endsWith(QString::number(*off->num)));
    runTool("wmctrl", { "-r", "menu-full-off", "-b", "remove,fullscreen" });

    // With the setting on the bar of that screen hides instead; no toast.
    toasts.clear();
    state.settings.setEnableAutoHideWhenFullScreen(true);
    xterm("menu-full-on");
    ASSERT_TRUE(eventually([] { return windowTitled("menu-full-on") != nullptr; }));
    const auto on = windowTitled("menu-full-on");
    runTool("wmctrl", { "-r", "menu-full-on", "-b", "add,fullscreen" });
    ASSERT_TRUE(waitUntil([&] { return server(on) && server(on)->fullScreen; }, 5s));
    EXPECT_TRUE(waitUntil(
        [&] {
            const StringMap hidden = state.settings.autoHideSpaceDock();
            return hidden.value(QStringLiteral("Optional(E2E)")) == QLatin1String("true");
        },
        5s))
        << "the bar was not hidden for the full-screen window";
    EXPECT_TRUE(toasts.isEmpty());
    windowHandlerActions() = WindowHandlerActions::standard();
}

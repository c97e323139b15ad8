// The listeners against a real X server: xterm clients driven by xdotool,
// openbox managing them, the X11 platform layer and its input monitor.
#include "dock/DockReload.h"
#include "shell/AppListeners.h"
#include "app/AppState.h"
#include "shell/AuxiliaryWindows.h"
#include "app/ShellGlobals.h"
#include "app/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/WindowClickTracking.h"
#include "apps/WindowNotificationHandler.h"
#include "apps/Windows.h"
#include "platform/Platform.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace orbitshelf::test;
using namespace std::chrono_literals;

namespace {

platform::Platform& x11()
{
    static std::unique_ptr<platform::Platform> instance = [] {
        QString error;
        auto p = platform::x11::createX11Platform(&error);
        if (!p)
            qFatal("no X11 platform: %s", qPrintable(error));
        platform::setCurrent(p.get());
        return p;
    }();
    return *instance;
}

struct Client {
    qint64 pid = 0;
    quint32 window = 0;
};

Client startXterm(const QString& title, const QString& geometry)
{
    Client c;
    c.pid = spawn(
        QStringLiteral("xterm"), { QStringLiteral("-T"), title, QStringLiteral("-geometry"), geometry });
    waitUntil(
        [&] {
            for (const platform::ServerWindow& w : x11().windowServer().windowList())
                if (w.pid == c.pid && w.title == title && w.onScreen) {
                    c.window = w.id;
                    return true;
                }
            return false;
        },
        15s);
    return c;
}

std::optional<QRect> clientFrame(quint32 window)
{
    for (const platform::ServerWindow& w : x11().windowServer().windowList())
        if (w.id == window)
            return w.client;
    return std::nullopt;
}

void focus(quint32 window)
{
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(window) });
}

// Listeners on the X11 input monitor, with the dock's reload steps recorded
// instead of run (nothing here builds a model of the desktop) and the
// clipboard capture counted with its delay.
class ListenersOnX11 : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
        x11();
        saved = listenerActions();
        ListenerActions& a = listenerActions();
        a.loadPinnedApps = [] {};
        savedSteps = dockReloadSteps();
        dockReloadSteps() = { [this] { ++reloads; }, [] {}, [] {}, [] {} };
        a.restartDockWindows = [] {};
        a.captureClipboard = [this] { captures.push_back(sinceInput.elapsed()); };
        ListenerSources sources;
        sources.inputMonitor = platform::x11::createX11ClickMonitor();
        // Input reaches the listeners asynchronously; counting what the
        // monitor reported tells when a sequence of keys has been handled.
        QObject::connect(sources.inputMonitor.get(), &platform::ClickMonitor::keyPressed, qApp,
            [this](const platform::KeyPress&) { ++keysSeen; });
        QObject::connect(sources.inputMonitor.get(), &platform::ClickMonitor::primaryButtonReleased, qApp,
            [this](const platform::PointerClick&) { ++clicksSeen; });
        sources.watchScreens = false;
        registerAppListeners(std::move(sources));
        AppState::shared().installedPlugins.clear();
        // X servers hand a closed client's window ids to the next client, so
        // the last click of an earlier test may name this test's window.
        resetWindowClickTracking();
    }

    void TearDown() override
    {
        unregisterAppListeners();
        listenerActions() = saved;
        dockReloadSteps() = savedSteps;
        AppState::shared().installedPlugins.clear();
        AppState::shared().allApps.clear();
        for (qint64 pid : clients)
            terminate(pid);
        UserDefaults::useFile(QString());
    }

    Client xterm(const QString& title, const QString& geometry = QStringLiteral("60x15+300+200"))
    {
        Client c = startXterm(title, geometry);
        clients.push_back(c.pid);
        return c;
    }

    static void setPasteboardTool(bool installed)
    {
        AppState::shared().installedPlugins.clear();
        if (!installed)
            return;
        Record plugin;
        plugin.entity = Entity::Plugins;
        plugin.values.insert(QStringLiteral("name"), QStringLiteral("Pasteboard"));
        plugin.values.insert(QStringLiteral("installed"), true);
        AppState::shared().installedPlugins.append(plugin);
    }

    void xdotool(const QStringList& arguments)
    {
        sinceInput.start();
        runTool(QStringLiteral("xdotool"), arguments);
    }

    QTemporaryDir dir;
    ListenerActions saved;
    DockReloadSteps savedSteps;
    std::vector<qint64> clients;
    std::vector<qint64> captures; // ms after the input that led to each
    QElapsedTimer sinceInput;
    int reloads = 0;
    int keysSeen = 0;
    int clicksSeen = 0;
};

} // namespace

TEST_F(ListenersOnX11, CopyKeysInAnotherApplicationCaptureHalfASecondLaterOnlyWithTheTool)
{
    const Client term = xterm(QStringLiteral("copy keys"));
    ASSERT_NE(term.window, 0u);
    focus(term.window);

    setPasteboardTool(true);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+c") });
    ASSERT_TRUE(waitUntil([&] { return captures.size() == 1; }));
    EXPECT_GE(captures[0], 450) << "the capture waits half a second";

    // Without the tool nothing is scheduled; the copy that follows with the
    // tool proves it, since anything scheduled earlier would run first.
    setPasteboardTool(false);
    const int keysBefore = keysSeen;
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+x") });
    xdotool({ QStringLiteral("key"), QStringLiteral("c"), QStringLiteral("ctrl+v") });
    ASSERT_TRUE(waitUntil([&] { return keysSeen == keysBefore + 3; })) << keysSeen - keysBefore;
    setPasteboardTool(true);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+shift+c") });
    ASSERT_TRUE(waitUntil([&] { return captures.size() >= 2; }));
    EXPECT_TRUE(waitUntil([&] { return sinceInput.elapsed() > 1500; }, 3s));
    EXPECT_EQ(captures.size(), 2u);
}

TEST_F(ListenersOnX11, RightThenLeftReleaseCapturesOnce)
{
    const Client term = xterm(QStringLiteral("right left"));
    ASSERT_NE(term.window, 0u);
    setPasteboardTool(true);
    const QString id = QString::number(term.window);
    xdotool({ QStringLiteral("mousemove"), QStringLiteral("--window"), id, QStringLiteral("40"),
        QStringLiteral("40"), QStringLiteral("click"), QStringLiteral("3"), QStringLiteral("click"),
        QStringLiteral("1"), QStringLiteral("click"), QStringLiteral("1") });
    ASSERT_TRUE(waitUntil([&] { return captures.size() == 1; }));
    // A marker copy after the clicks: only it may add a capture.
    focus(term.window);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+c") });
    ASSERT_TRUE(waitUntil([&] { return captures.size() >= 2; }));
    EXPECT_TRUE(waitUntil([&] { return sinceInput.elapsed() > 1500; }, 3s));
    EXPECT_EQ(captures.size(), 2u);
}

TEST_F(ListenersOnX11, LeftClickElsewhereRecordsTheWindowAndClosesPanels)
{
    const Client term = xterm(QStringLiteral("click target"));
    ASSERT_NE(term.window, 0u);
    // The model knows the window, so the click enters the history.
    auto window = std::make_shared<Windows>();
    window->num = term.window;
    auto app = std::make_shared<ActiveApp>();
    app->windows = std::vector<std::shared_ptr<Windows>> { window };
    AppState::shared().allApps.insert(qint32(term.pid), app);
    AppState::shared().appOrders.insert(qint32(term.pid), 10);
    showPasteboardWindow();
    AppState::shared().showPasteboardPopup = true;
    ASSERT_TRUE(pasteboardWindow());

    xdotool({ QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(term.window),
        QStringLiteral("30"), QStringLiteral("30"), QStringLiteral("click"), QStringLiteral("1") });
    ASSERT_TRUE(waitUntil([&] { return clicksSeen == 1; }));
    EXPECT_EQ(lastClickedWindowNumber.load(), int32_t(term.window));
    EXPECT_FALSE(pasteboardWindow());
    EXPECT_FALSE(AppState::shared().showPasteboardPopup);
    ASSERT_FALSE(windowClickOrder().empty());
    EXPECT_EQ(windowClickOrder().back().windowNum, int32_t(term.window));
}

// The window notification handler on the real event thread: an xterm grown
// over the bar's area is shrunk (bar at the bottom) or moved beside it (bar on
// the left).
TEST_F(ListenersOnX11, WindowResizedOverTheBarIsKeptClearOfIt)
{
    startAXBackgroundWork();
    const QString key = QStringLiteral("Optional(E2E)");
    const QRect screen(0, 0, 1920, 1080);
    WindowHandlerActions savedHandler = windowHandlerActions();
    // Qt runs offscreen here; the handler is told the X server's one screen.
    windowHandlerActions().screens = [&] {
        return QList<HandlerScreen> { { key, QRectF(screen), QRectF(screen) } };
    };
    windowHandlerActions().refreshRunningApps = [](std::optional<int32_t>) { return false; };
    windowHandlerActions().showToast = [](const QString&, qint64) {};
    mainDockScreenID() = key;
    AppState& state = AppState::shared();
    state.settings.setDockBackgroundHeight(50);
    state.appIcon.setHeight(46);
    state.settings.setMainDockPosition(QStringLiteral("bottom"));

    const Client term = xterm(QStringLiteral("grows"), QStringLiteral("80x20+100+40"));
    ASSERT_NE(term.window, 0u);
    // The model's own refresh builds the window and starts observing it on
    // the event thread, as in the app.
    ASSERT_TRUE(waitUntil(
        [&] {
            refreshRunningApps();
            return findWindowByNumber(int32_t(term.window)) != nullptr;
        },
        10s));

    // Bottom bar: room above it is 1080 - 50; the handler leaves 4 more.
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("windowsize"), QString::number(term.window), QStringLiteral("900"),
            QStringLiteral("1060") });
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto frame = clientFrame(term.window);
            // Shrunk in place: xterm rounds to whole lines, openbox alone would
            // have let it reach the screen's bottom edge.
            return frame && frame->height() <= 1026 && frame->height() > 900 && frame->top() < 100;
        },
        10s))
        << "client " << clientFrame(term.window).value_or(QRect()).height();

    // Left bar: the window moves to the bar's edge and takes the room beside it.
    state.settings.setMainDockPosition(QStringLiteral("left"));
    runTool(QStringLiteral("xdotool"),
        { QStringLiteral("windowsize"), QString::number(term.window), QStringLiteral("1900"),
            QStringLiteral("600") });
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto frame = clientFrame(term.window);
            return frame && frame->width() <= 1870 && frame->width() > 1800 && frame->left() >= 50
                && frame->left() < 60;
        },
        10s))
        << "client " << clientFrame(term.window).value_or(QRect()).left() << " "
        << clientFrame(term.window).value_or(QRect()).width();

    AppState::shared().allApps.clear();
    windowHandlerActions() = savedHandler;
    mainDockScreenID().clear();
}

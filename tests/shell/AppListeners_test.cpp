#include "apps/ActiveApp.h"
#include "dock/DockReload.h"
#include "platform/KeyCodes.h"
#include "platform/fake/FakeClickMonitor.h"
#include "platform/fake/FakePlatform.h"
#include "platform/fake/FakeServices.h"
#include "shell/AppListeners.h"
#include "state/AppState.h"
#include "state/Queues.h"
#include "state/UserDefaults.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <utility>

using orbitshelf::test::ManualQueue;
using platform::appkit::command;
using platform::appkit::shift;

namespace {

// What the listeners did, and when (seconds of the test's queue).
using Log = std::vector<std::pair<std::string, double>>;

// Runs the listeners on a virtual clock with every action they set in
// motion recorded, with its time.
class AppListenersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::useFile(dir.filePath(QStringLiteral("defaults.conf")));
        Queues::useForTesting(queue, queue);
        platform::install(platform::fake::services(&fake));
        saved = listenerActions();
        savedSteps = dockReloadSteps();
        DockReloadSteps& steps = dockReloadSteps();
        steps.refreshRunningApps = record("refresh");
        steps.loadPinnedApps = record("pinned");
        steps.rememberPreviousWindow = record("previous");
        steps.refreshDockLayout = record("layout");
        ListenerActions& a = listenerActions();
        a.loadPinnedApps = record("pinned");
        a.restartDockWindows = record("restartDockWindows");
        a.readScreens = [this] { return screens; };
        a.screensRebuildTheBars = [this](const std::vector<DockScreen>& now, bool replaced) {
            return replaced || now != standing;
        };
        a.captureClipboard = record("capture");
        a.saveAppOrdersCache = record("saveOrders");
        a.pomodoroRunning = [this] { return pomodoroRunning; };
        a.onWindowClicked = [this](int64_t window, std::function<void(bool)> done, uint32_t serverTime) {
            clicked.push_back(window);
            clickTimes.push_back(serverTime);
            onClickedWindowChange = std::move(done);
        };
        a.relaunch = [this] {
            log.emplace_back("relaunch", queue->now());
            return relaunchStarts;
        };
        AppState::shared().installedPlugins.clear();
        AppState::shared().allApps.clear();
    }

    void TearDown() override
    {
        unregisterAppListeners();
        listenerActions() = saved;
        dockReloadSteps() = savedSteps;
        Queues::useForTesting(nullptr, nullptr);
        AppState::shared().installedPlugins.clear();
        UserDefaults::useFile(QString());
    }

    // The listeners registered anew for a row of its own, watching the
    // screens, with nothing logged yet.
    void listenToScreensAfresh()
    {
        unregisterAppListeners();
        ListenerSources sources;
        sources.watchScreens = true;
        registerAppListeners(std::move(sources));
        log.clear();
    }

    // After a minute's quiet, the bars were rebuilt just at `rebuilds`
    // (seconds after `start`).
    void expectRebuildsAt(double start, const std::vector<double>& rebuilds)
    {
        queue->advance(60);
        Log expected;
        for (double at : rebuilds)
            expected.emplace_back("restartDockWindows", start + at);
        EXPECT_EQ(log, expected);
    }

    std::function<void()> record(const char* what)
    {
        return [this, what] { log.emplace_back(what, queue->now()); };
    }

    // Registers the listeners with a scripted input monitor and returns it.
    platform::fake::FakeClickMonitor* registerWithFakeInput()
    {
        ListenerSources sources;
        sources.workspace = &fake.workspace();
        auto input = std::make_unique<platform::fake::FakeClickMonitor>();
        auto* raw = input.get();
        sources.inputMonitor = std::move(input);
        sources.watchScreens = false;
        registerAppListeners(std::move(sources));
        return raw;
    }

    void installPasteboardTool()
    {
        Record plugin;
        plugin.entity = Entity::Plugins;
        plugin.values.insert(QStringLiteral("name"), QStringLiteral("Pasteboard"));
        plugin.values.insert(QStringLiteral("installed"), true);
        AppState::shared().installedPlugins.append(plugin);
    }

    int count(const std::string& what) const
    {
        return int(std::count_if(log.begin(), log.end(), [&](const auto& e) { return e.first == what; }));
    }

    QTemporaryDir dir;
    std::shared_ptr<ManualQueue> queue = std::make_shared<ManualQueue>();
    platform::fake::FakePlatform fake;
    ListenerActions saved;
    DockReloadSteps savedSteps;
    Log log;
    std::vector<int64_t> clicked;
    std::vector<uint32_t> clickTimes;
    std::function<void(bool)> onClickedWindowChange;
    bool pomodoroRunning = false;
    // What a look at the screens finds, and what the bars stand on.
    ScreensReading screens { { { "P", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) } }, {}, {}, {} };
    std::vector<DockScreen> standing;
    bool relaunchStarts = true;
};

platform::RunningApplication application(qint32 pid, const QString& name)
{
    platform::RunningApplication app;
    app.processIdentifier = pid;
    app.localizedName = name;
    return app;
}

} // namespace

TEST_F(AppListenersTest, ScreenChangesAndWakesRebuildTheBarsOnceAfterTheirBursts)
{
    // s: a screen change as the listeners hear it, q: one Qt reports, w: a
    // wake (set to rebuild rather than relaunch). A burst ends 5 s after its
    // last event; a screen change then waits 1 s more.
    struct Row {
        const char* name;
        std::vector<std::pair<double, char>> events;
        std::vector<double> rebuilds;
    };
    const Row rows[] = {
        { "five screen changes a second apart",
            { { 0, 's' }, { 1, 's' }, { 2, 's' }, { 3, 's' }, { 4, 's' } }, { 10 } },
        { "geometry changes from Qt", { { 0, 'q' }, { 2, 'q' } }, { 8 } },
        { "a screen change never cancels a pending wake", { { 0, 'w' }, { 3, 's' } }, { 5, 9 } },
        { "a wake burst acts once", { { 0, 's' }, { 3, 'w' }, { 5, 'w' } }, { 6, 10 } },
    };
    AppState::shared().settings.setRestartDockWhenWake(false);
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        listenToScreensAfresh();
        const double start = queue->now();
        for (const auto& [at, event] : row.events) {
            queue->advance(start + at - queue->now());
            if (event == 's')
                handleScreenParametersChanged();
            else if (event == 'w')
                handleWake();
            else
                emit screen->geometryChanged(QRect(0, 0, 1024 - int(at), 768));
        }
        expectRebuildsAt(start, row.rebuilds);
    }
}

// What a screen notice rebuilds, looked at 5 s after the burst and again
// 1 s later: the bars, once two looks agree on an arrangement the server
// finished, and only where it is not the one they stand on. A rebuild
// leaves the bars standing on the screens of its time.
TEST_F(AppListenersTest, AScreenNoticeRebuildsTheBarsOnlyOnASettledArrangementTheyDoNotStandOn)
{
    const auto whole = [](int laptopWidth) {
        platform::ServerScreens server;
        server.root = QSize(laptopWidth + 1920, 1080);
        server.monitors = { { "DUMMY0", QRect(0, 0, laptopWidth, 1024) },
            { "DUMMY1", QRect(laptopWidth, 0, 1920, 1080) } };
        return ScreensReading {
            { { "L", QRectF(0, 0, laptopWidth, 1024), QRectF(0, 0, laptopWidth, 1024) },
                { "M", QRectF(laptopWidth, -56, 1920, 1080), QRectF(laptopWidth, -56, 1920, 1080) } },
            { "DUMMY0", "DUMMY1" }, server, { server.monitors[0].place, server.monitors[1].place }
        };
    };
    // The laptop's mode lowered with the monitor not yet moved: past the root.
    const auto halfMade = [&] {
        ScreensReading reading = whole(1280);
        reading.server->monitors[1].place.moveLeft(1400);
        reading.places[1].moveLeft(1400);
        reading.screens[1].frame.moveLeft(1400);
        return reading;
    };
    struct Row {
        const char* name;
        std::vector<double> notices;
        std::function<ScreensReading(double)> screensAt; // seconds after the first notice
        bool standing; // the bars stand on the screens at the start
        std::vector<double> rebuilds;
        bool added = false; // the first notice: Qt added a screen (one switched on)
    };
    const Row rows[] = {
        { "a notice with every screen as the bars stand on it", { 0 }, [&](double) { return whole(1400); },
            true, {} },
        { "a second, empty notice after the rebuild", { 0, 20 }, [&](double) { return whole(1280); }, false,
            { 6 } },
        { "a changed screen", { 0 }, [&](double) { return whole(1280); }, false, { 6 } },
        { "changed back before the bars followed", { 0, 2 },
            [&](double t) { return t < 2 ? whole(1280) : whole(1400); }, true, {} },
        { "still changing at the second look", { 0 },
            [&](double t) { return t < 5.5 ? whole(1400) : whole(1280); }, true, { 7 } },
        { "half made for a while", { 0 }, [&](double t) { return t < 7.5 ? halfMade() : whole(1280); }, true,
            { 9 } },
        { "never settling", { 0 }, [&](double t) { return whole(1280 + 2 * int(t)); }, true, { 15 } },
        { "a screen switched off and on, back as it was; later an empty notice", { 0, 20 },
            [&](double) { return whole(1400); }, true, { 6 }, true },
    };
    QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        listenToScreensAfresh();
        const double start = queue->now();
        listenerActions().readScreens = [&] { return row.screensAt(queue->now() - start); };
        listenerActions().restartDockWindows = [&] {
            log.emplace_back("restartDockWindows", queue->now());
            standing = row.screensAt(queue->now() - start).screens;
        };
        standing = row.standing ? whole(1400).screens : std::vector<DockScreen>();
        for (double at : row.notices) {
            queue->advance(start + at - queue->now());
            if (row.added && at == row.notices.front())
                emit qGuiApp->screenAdded(screen);
            else
                handleScreenParametersChanged();
        }
        expectRebuildsAt(start, row.rebuilds);
    }
}

// The screens are settling from the first notice until the bars stand on
// what the last look found, rebuilt or as they stood, whatever the bursts.
TEST_F(AppListenersTest, TheScreensAreSettlingFromTheFirstNoticeUntilTheLastLookEnds)
{
    const DockScreen before { "P", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) };
    const DockScreen after { "P", QRectF(0, 0, 1280, 1024), QRectF(0, 0, 1280, 1024) };
    struct Row {
        const char* name;
        std::vector<double> notices;
        std::function<DockScreen(double)> screenAt; // seconds after the first notice
        std::vector<std::pair<double, bool>> settling; // when it started or ended
    };
    const Row rows[] = {
        { "a change", { 0 }, [&](double) { return after; }, { { 0, true }, { 6, false } } },
        { "a notice that changed nothing", { 0 }, [&](double) { return before; },
            { { 0, true }, { 6, false } } },
        { "a burst of notices", { 0, 2, 4 }, [&](double) { return after; }, { { 0, true }, { 10, false } } },
        { "still changing at the second look", { 0 }, [&](double t) { return t < 5.5 ? before : after; },
            { { 0, true }, { 7, false } } },
        { "a second burst as the first is looked at", { 0, 5.5 },
            [&](double t) { return t < 5.2 ? before : after; }, { { 0, true }, { 11.5, false } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        listenToScreensAfresh();
        const double start = queue->now();
        std::vector<std::pair<double, bool>> settling;
        bool now = false;
        listenerActions().screensSettling = [&](bool on) {
            if (on != std::exchange(now, on))
                settling.emplace_back(queue->now() - start, on);
        };
        listenerActions().readScreens = [&] {
            ScreensReading reading;
            reading.screens = { row.screenAt(queue->now() - start) };
            return reading;
        };
        standing = { before };
        listenerActions().restartDockWindows = [&] { standing = { row.screenAt(queue->now() - start) }; };
        for (double at : row.notices) {
            queue->advance(start + at - queue->now());
            handleScreenParametersChanged();
        }
        queue->advance(60);
        EXPECT_EQ(settling, row.settling);
        listenerActions().screensSettling = nullptr;
    }
}

TEST_F(AppListenersTest, WakeRelaunchPreparesTheRestartHandshakeOrRebuildsWhenItFails)
{
    AppState& state = AppState::shared();
    state.settings.setRestartDockWhenWake(true);
    for (const bool running : { false, true }) {
        for (const bool starts : { true, false }) {
            SCOPED_TRACE(std::string(running ? "Pomodoro running, " : "no Pomodoro run, ")
                + (starts ? "the new process starts" : "it fails to start"));
            log.clear();
            pomodoroRunning = running;
            relaunchStarts = starts;
            state.setNeedRestoreOrderRestarted(false);
            state.setNeedRestorePomodoro(false);

            handleWake();
            queue->advance(60);

            ASSERT_EQ(count("relaunch"), 1);
            EXPECT_EQ(log.front().first, "saveOrders") << "orders are saved before the relaunch";
            EXPECT_EQ(count("restartDockWindows"), starts ? 0 : 1);
            EXPECT_TRUE(state.needRestoreOrderRestarted());
            // A process still running must not let a later start resume a run on this flag.
            EXPECT_EQ(state.needRestorePomodoro(), running && starts);
        }
    }
}

TEST_F(AppListenersTest, WindowClickFeedsClickTrackingAndReloadsOnlyWhenTheWindowChanged)
{
    auto* input = registerWithFakeInput();
    input->click(0x400007, {}, 90210);
    ASSERT_EQ(clicked, (std::vector<int64_t> { 0x400007 }));
    EXPECT_EQ(clickTimes, (std::vector<uint32_t> { 90210 })) << "the release's time goes with it";
    onClickedWindowChange(false);
    queue->advance(10);
    EXPECT_TRUE(log.empty());
    onClickedWindowChange(true);
    EXPECT_TRUE(log.empty()) << "the reload is queued, never run at once";
    queue->runReady();
    EXPECT_EQ(
        log, (Log { { "refresh", 10.0 }, { "pinned", 10.0 }, { "previous", 10.0 }, { "layout", 10.0 } }));
}

TEST_F(AppListenersTest, LaunchesAndQuitsReloadTheDockReadingTheWindowsOnlyWhenTheModelChanges)
{
    registerWithFakeInput();
    fake.addApp(application(4242, QStringLiteral("Editor")));
    AppState::shared().allApps.insert(4242, std::make_shared<ActiveApp>());
    EXPECT_TRUE(log.empty()) << "the reload is queued, never run at once";
    queue->runReady();
    const Log reload { { "refresh", 0 }, { "pinned", 0 }, { "previous", 0 }, { "layout", 0 } };
    Log expected { { "pinned", 0 } };
    expected.insert(expected.end(), reload.begin(), reload.end());
    EXPECT_EQ(log, expected) << "launch";

    log.clear();
    fake.removeApp(4242);
    queue->runReady();
    EXPECT_FALSE(AppState::shared().allApps.contains(4242));
    EXPECT_EQ(log, expected) << "quit of an application the model holds";

    // A refresh after its windows ended took it out already (or it never had
    // a window): pins, previous window and layout still follow.
    log.clear();
    dropTerminatedApp(999);
    queue->runReady();
    EXPECT_EQ(log, (Log { { "pinned", 0 }, { "pinned", 0 }, { "previous", 0 }, { "layout", 0 } }));
}

TEST_F(AppListenersTest, SecondRegistrationChangesNothing)
{
    registerWithFakeInput();
    registerAppListeners(); // the standard sources must not be added twice
    fake.addApp(application(77, QStringLiteral("Viewer")));
    queue->runReady();
    EXPECT_EQ(count("refresh"), 1);
}

TEST_F(AppListenersTest, CopyKeysCaptureHalfASecondLaterOnlyWithThePasteboardTool)
{
    struct Row {
        const char* name;
        QString characters;
        quint64 flags;
        bool installed;
        bool captures;
    };
    const Row rows[] = {
        { "CommandC", "c", command, true, true },
        { "CommandShiftX", "X", command | shift, true, true },
        { "CommandCWithoutTool", "c", command, false, false },
        { "CommandV", "v", command, true, false },
        { "PlainC", "c", 0, true, false },
        { "CommandWithoutText", "", command, true, false },
    };
    auto* input = registerWithFakeInput();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        log.clear();
        AppState::shared().installedPlugins.clear();
        if (row.installed)
            installPasteboardTool();
        const double pressedAt = queue->now();
        input->keyPress(row.characters, row.flags);
        queue->advance(0.49);
        EXPECT_EQ(count("capture"), 0);
        queue->advance(10);
        if (row.captures)
            EXPECT_EQ(log, (Log { { "capture", pressedAt + 0.5 } }));
        else
            EXPECT_TRUE(log.empty());
    }
}

TEST_F(AppListenersTest, ARightThenLeftReleaseCapturesOnceAndOnlyWithTheTool)
{
    auto* input = registerWithFakeInput();
    input->rightClick(1);
    input->click(1);
    EXPECT_FALSE(rightMouseUpSeen());
    queue->advance(10);
    EXPECT_EQ(count("capture"), 0) << "without the tool";

    installPasteboardTool();
    input->click(0x400001);
    queue->advance(10);
    EXPECT_EQ(count("capture"), 0) << "a left release alone copies nothing";
    input->rightClick(0x400001);
    EXPECT_TRUE(rightMouseUpSeen());
    input->click(0x400001);
    input->click(0x400001);
    EXPECT_FALSE(rightMouseUpSeen());
    queue->advance(10);
    EXPECT_EQ(count("capture"), 1);
}

#include "shell/AppListeners.h"

#include "apps/AXEventThread.h"
#include "apps/Activation.h"
#include "apps/Pinning.h"
#include "apps/RunningApps.h"
#include "apps/WindowClickTracking.h"
#include "dock/DockReload.h"
#include "dock/windows/DockWindows.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/DockWindowHints.h"
#include "platform/KeyCodes.h"
#include "platform/Platform.h"
#include "shell/Relaunch.h"
#include "state/AppState.h"
#include "state/Logging.h"
#include "state/Queues.h"
#include "tools/ClipboardCapture.h"
#include "tools/PomodoroRun.h"

#include <QGuiApplication>
#include <QScreen>

#include <utility>

namespace {

constexpr double kDebounceDelay = 5.0;
constexpr double kRebuildDelayAfterScreenChange = 1.0;
// A change of the screens settles within a few seconds; one that never
// does (Qt keeping a screen the server dropped) still gets bars on what
// there is, rather than none on the screens there are.
constexpr int kScreenLooks = 10;
constexpr double kClipboardCaptureDelay = 0.5;

// Main thread only.
bool rightMouseUp = false;
// Qt removed or added a screen since the bars were last rebuilt for a
// change of the screens.
bool screensReplaced = false;
// A notice of the screens that no look has taken up yet, and the looks
// under way: the screens are settling while there is either.
bool noticeWaiting = false;
int looksUnderWay = 0;

// The registration: signal connections and the sources they come from.
struct Registration {
    bool registered = false;
    ListenerSources sources;
    QList<QMetaObject::Connection> connections;
};

Registration& registration()
{
    static Registration r;
    return r;
}

void captureClipboardSoon()
{
    if (AppState::shared().isPluginInstalled(QStringLiteral("Pasteboard")))
        runAfterDelay(kClipboardCaptureDelay, [] { listenerActions().captureClipboard(); });
}

void watchScreen(QScreen* screen, QList<QMetaObject::Connection>& connections)
{
    // Only the geometry: the available area also changes when our own bars
    // reserve their edge, which would rebuild them over and over.
    connections.append(QObject::connect(
        screen, &QScreen::geometryChanged, qApp, [name = screen->name()](const QRect& place) {
            qCDebug(lcApp) << "Qt has" << name << "at" << place;
            handleScreenParametersChanged();
        }));
}

void tellScreensSettling(bool settling)
{
    if (const std::function<void(bool)>& tell = listenerActions().screensSettling)
        tell(settling);
}

// A look at the screens has ended: the bars stand on what it found. The
// screens have settled unless another notice came meanwhile.
void lookEnded()
{
    if (--looksUnderWay == 0 && !noticeWaiting)
        tellScreensSettling(false);
}

// The second of two looks at the screens, `earlier` the first: the bars are
// rebuilt on an arrangement both found and the server made whole, or looked
// at again while it is still changing.
void lookAgainAtScreens(ScreensReading earlier, int looks)
{
    runAfterDelay(kRebuildDelayAfterScreenChange, [earlier = std::move(earlier), looks] {
        ListenerActions& actions = listenerActions();
        ScreensReading now = actions.readScreens();
        if (const std::optional<QString> why = unsettledBecause(earlier, now)) {
            if (looks < kScreenLooks) {
                qCDebug(lcApp).noquote() << "the screens are still changing:" << *why;
                lookAgainAtScreens(std::move(now), looks + 1);
                return;
            }
            qCWarning(lcApp).noquote()
                << "the screens did not settle:" << *why << "; the bars are rebuilt on them as they are";
        }
        if (!actions.screensRebuildTheBars(now.screens, screensReplaced)) {
            qCDebug(lcApp).noquote() << "the screens are as the bars stand on them; nothing is rebuilt:"
                                     << describeDockScreens(now.screens);
            lookEnded();
            return;
        }
        qCDebug(lcApp).noquote() << "the bars are rebuilt on" << describeDockScreens(now.screens);
        screensReplaced = false;
        actions.restartDockWindows();
        lookEnded();
    });
}

} // namespace

ListenerActions ListenerActions::standard()
{
    ListenerActions a;
    a.loadPinnedApps = [] { ::loadPinnedApps(); };
    a.restartDockWindows = [] { ::restartDockWindows(); };
    a.readScreens = [] { return readDockScreensNow(); };
    a.screensRebuildTheBars = [](const std::vector<DockScreen>& screens, bool replaced) {
        return dockNoticeRebuildsTheBars(screens, replaced);
    };
    a.screensSettling = [](bool settling) { ScreensSettling::shared().setSettling(settling); };
    a.captureClipboard = [] { ::captureClipboard(); };
    a.saveAppOrdersCache = [] { ::saveAppOrdersCache(); };
    a.pomodoroRunning = [] { return ::pomodoroRunning; };
    a.onWindowClicked = [](int64_t window, std::function<void(bool)> done, uint32_t serverTime) {
        ::onWindowClicked(window, std::move(done), serverTime);
    };
    a.relaunch = [] { return relaunchApp(); };
    return a;
}

ListenerActions& listenerActions()
{
    static ListenerActions actions = ListenerActions::standard();
    return actions;
}

ListenerSources ListenerSources::standard()
{
    ListenerSources s;
    if (platform::hasCurrent())
        s.workspace = &platform::current().workspace();
    s.inputMonitor = platform::createClickMonitor();
    s.wakeMonitor = std::make_unique<platform::WakeMonitor>();
    return s;
}

namespace {
struct Debouncers {
    std::shared_ptr<Debounce> screens;
    std::shared_ptr<Debounce> wake;
};
Debouncers& debouncers()
{
    static Debouncers d;
    return d;
}
} // namespace

std::shared_ptr<Debounce> sharedDebounce()
{
    auto& d = debouncers().screens;
    if (!d)
        d = Debounce::create(Queues::debounce(), kDebounceDelay);
    return d;
}

std::shared_ptr<Debounce> wakeDebounce()
{
    auto& d = debouncers().wake;
    if (!d)
        d = Debounce::create(Queues::debounce(), kDebounceDelay);
    return d;
}

void registerAppListeners()
{
    if (registration().registered)
        return;
    registerAppListeners(ListenerSources::standard());
}

void registerAppListeners(ListenerSources sources)
{
    Registration& r = registration();
    if (r.registered) {
        qCWarning(lcApp) << "app-wide listeners are registered already";
        return;
    }
    r.registered = true;
    r.sources = std::move(sources);
    QObject* context = qApp;

    if (platform::Workspace* workspace = r.sources.workspace) {
        r.connections.append(QObject::connect(
            workspace, &platform::Workspace::applicationTerminated, context, &handleAppTerminated));
        r.connections.append(QObject::connect(
            workspace, &platform::Workspace::applicationLaunched, context, &handleAppLaunched));
    } else {
        qCWarning(lcApp) << "no workspace: applications starting and quitting will not reload the dock";
    }

    if (r.sources.watchScreens) {
        for (QScreen* screen : QGuiApplication::screens())
            watchScreen(screen, r.connections);
        r.connections.append(
            QObject::connect(qApp, &QGuiApplication::screenAdded, context, [](QScreen* screen) {
                qCDebug(lcApp) << "Qt added the screen" << screen->name();
                screensReplaced = true;
                watchScreen(screen, registration().connections);
                handleScreenParametersChanged();
            }));
        r.connections.append(
            QObject::connect(qApp, &QGuiApplication::screenRemoved, context, [](QScreen* screen) {
                qCDebug(lcApp) << "Qt removed the screen" << screen->name();
                screensReplaced = true;
                handleScreenParametersChanged();
            }));
        r.connections.append(
            QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, context, [](QScreen* screen) {
                qCDebug(lcApp) << "Qt's primary screen is now" << (screen ? screen->name() : QString());
                handleScreenParametersChanged();
            }));
        // Another panel started, quit or changed its reserve: the part of a
        // screen the bar stands in changed with the screen itself staying
        // the same. The bar's own reserve is not another panel's, so its
        // rebuild does not come back here. The server's word of a change of
        // the screens comes here too: Qt can miss a screen that moved while
        // another changed its mode, and then tells nothing.
        r.connections.append(platform::watchOtherReservedEdges(context, [] {
            if (dockVisibleFramesChanged()) {
                qCDebug(lcApp) << "another panel's reserve or the screens changed the screens' free part";
                handleScreenParametersChanged();
            }
        }));
    }

    if (platform::WakeMonitor* wake = r.sources.wakeMonitor.get()) {
        r.connections.append(QObject::connect(wake, &platform::WakeMonitor::woke, context, &handleWake));
        wake->start();
    }

    rightMouseUp = false;
    if (platform::ClickMonitor* input = r.sources.inputMonitor.get()) {
        r.connections.append(
            QObject::connect(input, &platform::ClickMonitor::keyPressed, context, &handleGlobalKeyDown));
        r.connections.append(QObject::connect(input, &platform::ClickMonitor::secondaryButtonReleased,
            context, [](const platform::PointerClick&) { handleGlobalRightMouseUp(); }));
        r.connections.append(QObject::connect(input, &platform::ClickMonitor::primaryButtonReleased, context,
            [](const platform::PointerClick&) { handleGlobalLeftMouseUp(); }));
        r.connections.append(QObject::connect(
            input, &platform::ClickMonitor::primaryButtonReleased, context, &handleWindowClick));
        if (!input->isRunning() && !input->start())
            qCWarning(lcApp) << "no global input monitor: copies and clicks elsewhere go unnoticed";
    } else {
        qCWarning(lcApp) << "no global input monitor: copies and clicks elsewhere go unnoticed";
    }
}

void unregisterAppListeners()
{
    Registration& r = registration();
    for (const QMetaObject::Connection& c : r.connections)
        QObject::disconnect(c);
    r = Registration();
    rightMouseUp = false;
    screensReplaced = false;
    // Looks still under way end unheard.
    const bool settling = noticeWaiting || looksUnderWay > 0;
    noticeWaiting = false;
    looksUnderWay = 0;
    if (settling)
        tellScreensSettling(false);
    // Made again on next use, on the queue in use then.
    debouncers() = Debouncers();
}

void handleAppTerminated(const platform::RunningApplication& application)
{
    if (application.processIdentifier <= 0)
        return;
    const int32_t pid = application.processIdentifier;
    Queues::main().async([pid] { dropTerminatedApp(pid); });
}

void dropTerminatedApp(int32_t pid)
{
    AppState& state = AppState::shared();
    if (state.allApps.remove(pid) > 0) {
        state.publish();
        scheduleDockReload();
    } else {
        // The model no longer holds it: a refresh already took it out (the
        // end of its windows is reported before the window manager drops
        // them from its list), so reading every window again would find
        // what the model holds. The rest of the reload still runs.
        Queues::main().async([] { reloadDock(ReloadParts::withoutRefresh); });
    }
    listenerActions().loadPinnedApps();
}

void handleAppLaunched(const platform::RunningApplication& application)
{
    if (application.processIdentifier <= 0)
        return;
    Queues::main().async([] {
        scheduleDockReload();
        listenerActions().loadPinnedApps();
    });
}

void handleScreenParametersChanged()
{
    // Here on the main thread, as the notice comes: the bars still stand on
    // the old arrangement, and do until the looks at the end of the burst.
    noticeWaiting = true;
    tellScreensSettling(true);
    sharedDebounce()->call(&rebuildAfterScreenChange);
}

void rebuildAfterScreenChange()
{
    // Here on the debouncer's thread; the screens are read on the main one.
    Queues::main().async([] {
        noticeWaiting = false;
        ++looksUnderWay;
        lookAgainAtScreens(listenerActions().readScreens(), 1);
    });
}

void handleWake()
{
    wakeDebounce()->call(&resumeAfterWake);
}

void resumeAfterWake()
{
    Queues::main().async(&restartAfterWake);
}

void restartAfterWake()
{
    AppState& state = AppState::shared();
    ListenerActions& actions = listenerActions();
    if (!state.settings.restartDockWhenWake()) {
        actions.restartDockWindows();
        return;
    }
    actions.saveAppOrdersCache();
    state.setNeedRestoreOrderRestarted(true);
    const bool restorePomodoroBefore = state.needRestorePomodoro();
    if (actions.pomodoroRunning())
        state.setNeedRestorePomodoro(true);
    if (actions.relaunch())
        return;
    // Still running: a later launch must not resume a run on this flag. The
    // saved order stays; the next refresh applies it, which changes nothing.
    state.setNeedRestorePomodoro(restorePomodoroBefore);
    actions.restartDockWindows();
}

void handleGlobalKeyDown(const platform::KeyPress& key)
{
    if (isCopyGesture(key.charactersIgnoringModifiers, key.keyCode, key.modifierFlags))
        captureClipboardSoon();
}

void handleGlobalRightMouseUp()
{
    rightMouseUp = true;
}

void handleGlobalLeftMouseUp()
{
    if (rightMouseUp)
        captureClipboardSoon();
    rightMouseUp = false;
}

void handleWindowClick(const platform::PointerClick& click)
{
    listenerActions().onWindowClicked(click.window, &handleWindowClickResult, click.serverTime);
}

void handleWindowClickResult(bool clickedWindowChanged)
{
    if (clickedWindowChanged)
        scheduleDockReload();
}

bool rightMouseUpSeen()
{
    return rightMouseUp;
}

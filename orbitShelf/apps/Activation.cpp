#include "apps/Activation.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "apps/DockVisibility.h"
#include "apps/ModelEvents.h"
#include "apps/RunningApps.h"
#include "apps/WindowActions.h"
#include "apps/WindowActivationRecord.h"
#include "apps/WindowClickTracking.h"
#include "apps/Windows.h"
#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QTimer>

#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcActivation, "orbitshelf.apps.activation")

namespace {

int32_t numberOf(const Windows& window)
{
    return static_cast<int32_t>(window.num.value_or(0));
}

// A focus change looks again 500 ms later whether a full-screen window has
// hidden the main screen's bar. That look can act only while some
// full-screen window has set a flag; until one has, the looks wait here
// instead of each waking the process half a second after every activation,
// and the flag's first setting starts those still due at their time.
struct FullScreenCheck {
    int32_t window = 0;
    QDeadlineTimer due;
};

std::vector<FullScreenCheck>& waitingFullScreenChecks()
{
    static std::vector<FullScreenCheck> checks;
    return checks;
}

void runFullScreenCheckIn(qint64 ms, int32_t n)
{
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, qApp,
        [n] { applyFullScreenAutoHideOnMainScreen(n); });
}

void scheduleFullScreenCheck(int32_t n)
{
    constexpr qint64 kDelayMs = 500;
    if (!fullScreenAutoHideFlags().dockHiddenFlags.isEmpty()) {
        runFullScreenCheckIn(kDelayMs, n);
        return;
    }
    auto& waiting = waitingFullScreenChecks();
    std::erase_if(waiting, [](const FullScreenCheck& c) { return c.due.hasExpired(); });
    waiting.push_back({ n, QDeadlineTimer(kDelayMs, Qt::PreciseTimer) });
}

// On X11 an application is brought forward through one of its windows: the
// window manager activates windows, not programs. So a real window is
// activated itself (shown again first when it is minimised, since a
// minimised window would otherwise stay hidden behind its icon); an
// application that shows no window goes through its own activation, which
// opens or reopens it by its desktop entry.
void bringForward(ActiveApp& app, Windows& window)
{
    if (isActionableWindow(window) && platform::hasCurrent()) {
        auto& server = platform::current().windowServer();
        const quint32 id = *window.num;
        const auto state = server.window(id);
        if (!state) {
            qCDebug(lcActivation) << "window" << id << "vanished before it could be activated";
            return;
        }
        if (state->minimized)
            server.unminimize(id);
        server.activate(id);
        noteActivationAsked(int32_t(id));
        return;
    }
    app.activateApp(window, appsSource());
}

// Whether the window shows now. Its own state decides where the desktop
// can tell: another program (wmctrl, a pager) or the window manager may
// have restored or minimised it since the bar last did, which the opened
// flag does not see.
bool shownNow(const Windows& window)
{
    if (isActionableWindow(window) && platform::hasCurrent())
        if (const auto state = platform::current().windowServer().window(*window.num))
            return !state->minimized;
    return window.opened.value_or(true);
}

} // namespace

void activateWindow(Windows& window, const QString& source, std::optional<bool> minimiseIfActive)
{
    AppState& state = AppState::shared();
    emit ModelEvents::shared().activationStarted(source);

    if (minimiseIfActive.value_or(false)) {
        const auto& order = windowClickOrder();
        const int32_t last = order.empty() ? 0 : order.back().windowNum;
        if (last == numberOf(window) && shownNow(window)) {
            window.opened = false;
            if (isActionableWindow(window) && platform::hasCurrent())
                platform::current().windowServer().minimize(*window.num);
            return;
        }
    }

    const int32_t pid = window.appId.value_or(0);
    if (pid == 0)
        return;

    const auto known = state.allApps.value(pid);
    if (known && known->windows) {
        const auto& windows = *known->windows;
        for (std::size_t i = 0; i < windows.size(); ++i)
            markOpenedWindow(i, *windows[i], window, pid);
    }

    const QDateTime now = QDateTime::currentDateTimeUtc();
    window.opened = true;
    window.clickTime = now;

    const bool activating = source == kClickSourceDock || source == kClickSourceSwitcher;
    if (activating) {
        const auto app = known ? known : std::make_shared<ActiveApp>();
        bringForward(*app, window);
    }
    emit ModelEvents::shared().windowActivated(numberOf(window), source);
    if (activating && known)
        known->clickTime = now;

    recordWindowActivation(numberOf(window), now);
    moveCursorToWindowCenter(window, source);
    focusWindow(numberOf(window));
    rememberPreviousWindow();
}

void focusWindow(int32_t n)
{
    if (markFocusedWindow(n))
        AppState::shared().publish();
}

bool markFocusedWindow(int32_t n)
{
    AppState& state = AppState::shared();
    const auto key = static_cast<WindowNumber>(n);
    if (state.focusedWindow.value(key, false))
        return false;

    state.focusedWindow.clear();
    const auto window = findWindowByNumber(n);
    const int32_t pid = window ? window->appId.value_or(0) : 0;
    const auto app = state.allApps.value(pid);
    if (app && app->windows) {
        for (const auto& w : *app->windows) {
            if (numberOf(*w) == n)
                state.focusedWindow[key] = true;
            else
                state.focusedWindow[static_cast<WindowNumber>(w->num.value_or(0))] = false;
        }
    }

    scheduleFullScreenCheck(n);
    return true;
}

void startWaitingFullScreenChecks()
{
    for (const FullScreenCheck& check : std::exchange(waitingFullScreenChecks(), {}))
        if (!check.due.hasExpired())
            runFullScreenCheckIn(check.due.remainingTime(), check.window);
}

void rememberPreviousWindow()
{
    const auto& order = windowClickOrder();
    if (order.size() < 2)
        return;
    AppState::shared().previousAppWindow = static_cast<WindowNumber>(order[order.size() - 2].windowNum);
}

void activateWindowForHotkey(const QString& key)
{
    const StringMap cache = AppState::shared().windowHotkeyCache();
    const auto entry = cache.constFind(key.toLower());
    if (entry == cache.constEnd())
        return;
    // A value that is no window number (a damaged settings file) must not be
    // read as window 0, which would pick whatever window has no number.
    bool ok = false;
    const int32_t n = entry->trimmed().toInt(&ok, 10);
    if (!ok) {
        qCWarning(lcActivation).noquote()
            << "hot key" << key << "is bound to" << *entry << "which is not a window number; ignored";
        return;
    }
    const auto window = findWindowByNumber(n);
    if (!window)
        return;
    activateWindow(*window, kClickSourceSwitcher, false);
}

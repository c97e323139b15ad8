#include "apps/WindowNotificationHandler.h"

#include "apps/AXAttributes.h"
#include "apps/AXEventThread.h"
#include "apps/Activation.h"
#include "apps/ActiveApp.h"
#include "apps/AppIcons.h"
#include "apps/AppModelLog.h"
#include "apps/AppsSource.h"
#include "apps/DockEdge.h"
#include "apps/DockEdgeReserve.h"
#include "apps/DockVisibility.h"
#include "apps/ModelEvents.h"
#include "apps/PlatformAppsSource.h"
#include "apps/RunningApps.h"
#include "apps/ScreenCalibration.h"
#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "apps/WindowActivationRecord.h"
#include "apps/WindowClickTracking.h"
#include "apps/Windows.h"
#include "platform/Coordinates.h"
#include "platform/DockWindowHints.h"
#include "platform/Platform.h"
#include "state/AppState.h"
#include "state/Globals.h"
#include "state/Logging.h"
#include "state/Queues.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <utility>

namespace {

const QString kTrue = QStringLiteral("true");

QList<HandlerScreen> qtScreens()
{
    QList<HandlerScreen> screens;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return screens;
    const QRect primaryRect = screenGeometry(primary);
    const std::vector<platform::ReservedEdge> others = platform::otherReservedEdges();
    for (QScreen* s : QGuiApplication::screens()) {
        const QString key = screenIdentifierKey(s);
        // The bar's own reserve is in the available area already; the rule
        // below keeps windows clear of the bar itself, so it measures from
        // where the bar stands, as it does without a reserve.
        const QRect geometry = screenGeometry(s);
        const QRect available = screenFreeArea(s, key, others);
        screens.append(HandlerScreen { key, platform::axFromRoot(QRectF(geometry), primaryRect),
            platform::axFromRoot(QRectF(available), primaryRect) });
    }
    return screens;
}

std::optional<QPointF> qtMouseLocation()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return std::nullopt;
    return platform::axFromRoot(QPointF(platform::pointerInQt()), screenGeometry(primary));
}

// The bar's thickness: the taller of its background and its icons.
double dockThickness()
{
    const AppState& state = AppState::shared();
    return std::max(state.settings.dockBackgroundHeight(), state.appIcon.height());
}

// The model's window of that number, placeholders aside.
std::shared_ptr<Windows> modelWindow(quint32 number)
{
    for (const auto& app : std::as_const(AppState::shared().allApps)) {
        if (!app || !app->windows)
            continue;
        for (const auto& window : *app->windows) {
            if (window && !window->isPlaceholder && window->num == number)
                return window;
        }
    }
    return nullptr;
}

// Main thread: the title of a window the model holds is written straight
// into it, and the views hear of it only when it changed. A window the model
// does not hold, or one that lost its title (a refresh leaves those out;
// the window clicked last keeps even an empty one), rebuilds the model. A
// rename is the most frequent change a desktop sends, and rebuilding the
// model for it would read every window again.
void applyTitleChange(quint32 number, const QString& title)
{
    const auto n = static_cast<int32_t>(number);
    const std::shared_ptr<Windows> window = modelWindow(number);
    const bool lastClicked = lastClickedWindowNumber.load() == n;
    if (!window || (title.isEmpty() && !lastClicked)) {
        // A refresh publishes only when windows come or go; a new title
        // alone must still reach the views.
        const auto titleOf = [number]() -> std::optional<QString> {
            const std::shared_ptr<Windows> found = modelWindow(number);
            return found ? found->title : std::nullopt;
        };
        const std::optional<QString> before = titleOf();
        if (!windowHandlerActions().refreshRunningApps(std::nullopt) && titleOf() != before)
            AppState::shared().publish();
        return;
    }
    if (window->title == title)
        return;
    window->title = title;
    AppState::shared().publishTitle(number);
}

// Main thread: a window's own pictures changed. Its application's button
// shows them unless the desktop entry gives it an icon.
void applyIconChange(quint32 number)
{
    for (const auto& app : std::as_const(AppState::shared().allApps)) {
        if (!app || !app->windows || !app->app)
            continue;
        const bool holds = std::any_of(app->windows->begin(), app->windows->end(),
            [number](const auto& w) { return w && !w->isPlaceholder && w->num == number; });
        if (!holds)
            continue;
        if (app->app->iconFromEntry && !app->icon.isNull() && !app->iconWindow)
            return;
        resolveAppIcon(*app, *app->app, appsSource());
        AppState::shared().publish();
        return;
    }
}

// The window that has the focus while the model does not hold it yet.
quint32 unmarked = 0;

// Main thread: the window of process `pid` has the focus now. It is the
// current window at once, also a new one the model has not read yet (on a
// busy machine that takes a while, and an Alt+Tab typed meanwhile must start
// from it); the bar marks it once the model holds it. Our own windows never
// count: the user is still working in the window beneath them.
void applyFocusChange(quint32 number, qint32 pid)
{
    static bool listening = false;
    if (!listening) {
        listening = true;
        QObject::connect(&AppState::shared(), &AppState::changed, &AppState::shared(), [] {
            if (unmarked && modelWindow(unmarked))
                focusWindow(static_cast<int32_t>(std::exchange(unmarked, 0)));
        });
    }
    noteWindowManagerReport(static_cast<int32_t>(number));
    if (pid && pid == qint32(QCoreApplication::applicationPid()))
        return;
    // The window manager carries activations out in the order they were
    // asked: another window reported while the bar's newest one is
    // unanswered is an earlier activation's, older news than the order.
    // Taken in, it turned the next quick switch back to where the one before
    // began. Should the asked one never come (a window that refused the
    // focus), the bar follows the window in front once the wait is over.
    if (const qint64 waiting = activationUnansweredForMs(); waiting > 0) {
        qCDebug(lcAppModel) << "window" << number << "reported in front before the activation asked last";
        QTimer::singleShot(std::chrono::milliseconds(waiting + 1), qApp, [] { followWindowInFrontNow(); });
        return;
    }
    recordWindowActivation(static_cast<int32_t>(number), QDateTime::currentDateTimeUtc());
    if (!modelWindow(number)) {
        unmarked = number;
        return;
    }
    unmarked = 0;
    focusWindow(static_cast<int32_t>(number));
}

// Main thread: the window `number` lost the focus and no window has it now.
// Its mark goes, so that no window of another desktop stays marked; the
// recent order keeps it (it was the last window used).
void applyFocusLoss(quint32 number)
{
    if (unmarked == number)
        unmarked = 0;
    AppState& state = AppState::shared();
    if (!state.focusedWindow.value(static_cast<WindowNumber>(number), false))
        return;
    state.focusedWindow.clear();
    state.publish();
}

// Main thread. Returns whether the dock-edge rule may still run.
bool applyFullScreenRule(const WindowResizeReport& report, const QString& screenKey)
{
    const CustomSettings& settings = AppState::shared().settings;
    const bool autoHideWhenFullScreen = settings.enableAutoHideWhenFullScreen();
    const qint64 number = report.windowNumber;
    if (report.fullScreen) {
        if (!autoHideWhenFullScreen) {
            windowHandlerActions().showToast(screenKey, number);
            return true;
        }
        StringMap autoHide = settings.autoHideSpaceDock();
        if (autoHide.value(screenKey) == kTrue)
            return false;
        fullScreenAutoHideFlags().dockHiddenFlags.insert(number, true);
        startWaitingFullScreenChecks();
        if (autoHide.contains(screenKey))
            fullScreenAutoHideFlags().dockScreenFlags.insert(screenKey, autoHide.value(screenKey));
        else
            fullScreenAutoHideFlags().dockScreenFlags.remove(screenKey);
        setSpaceDockAutoHide(screenKey, true);
        return false;
    }
    if (autoHideWhenFullScreen && fullScreenAutoHideFlags().dockHiddenFlags.value(number, false)) {
        StringMap autoHide = settings.autoHideSpaceDock();
        if (fullScreenAutoHideFlags().dockScreenFlags.contains(screenKey))
            autoHide.insert(screenKey, fullScreenAutoHideFlags().dockScreenFlags.value(screenKey));
        else
            autoHide.remove(screenKey);
        settings.setAutoHideSpaceDock(autoHide);
        setSpaceDockAutoHide(screenKey, false);
        fullScreenAutoHideFlags().dockHiddenFlags.insert(number, false);
    }
    return true;
}

} // namespace

WindowHandlerActions WindowHandlerActions::standard()
{
    WindowHandlerActions a;
    a.refreshRunningApps
        = [](std::optional<int32_t> excluded) { return ::refreshRunningApps(excluded, false); };
    a.showToast = [](const QString& key, qint64 number) {
        emit ModelEvents::shared().fullScreenOverBar(key, number);
    };
    a.screens = &qtScreens;
    a.mouseLocation = &qtMouseLocation;
    return a;
}

WindowHandlerActions& windowHandlerActions()
{
    static WindowHandlerActions actions = WindowHandlerActions::standard();
    return actions;
}

std::optional<HandlerScreen> screenOfWindow(const QList<HandlerScreen>& screens, const QRectF& window)
{
    const QPointF centre = window.center();
    for (const HandlerScreen& s : screens)
        if (s.frame.contains(centre))
            return s;
    std::optional<HandlerScreen> best;
    double bestArea = 0;
    for (const HandlerScreen& s : screens) {
        const QRectF overlap = s.frame.intersected(window);
        const double area = overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = s;
        }
    }
    return best;
}

void handleWindowNotification(const platform::AXElement& element, const QString& name)
{
    if (name == QLatin1String(platform::ax::uiElementDestroyed)) {
        // A program closing many windows at once sends a burst of these; one
        // refresh that has not started yet covers them all. The window number
        // is read when it runs: the click that closed the window may still be
        // on its way.
        static std::atomic<bool> refreshQueued { false };
        if (!refreshQueued.exchange(true)) {
            Queues::main().async([] {
                refreshQueued = false;
                windowHandlerActions().refreshRunningApps(lastClickedWindowNumber.load());
            });
        }
        return;
    }
    if (name == QLatin1String(platform::ax::windowCreated)) {
        // Every observed window of the application hears of its new sibling;
        // one refresh covers them all, as it covers a burst of new windows.
        static std::atomic<bool> refreshQueued { false };
        if (!refreshQueued.exchange(true)) {
            Queues::main().async([] {
                refreshQueued = false;
                windowHandlerActions().refreshRunningApps(std::nullopt);
            });
        }
        return;
    }
    if (name == QLatin1String(platform::ax::iconChanged)) {
        const quint32 number = element.window;
        Queues::main().async([number] { applyIconChange(number); });
        return;
    }
    if (name == QLatin1String(platform::ax::focusedWindowChanged)) {
        // The focus moves without the bar too (the window manager's keys, a
        // pager, a program raising itself, a new window): the marker, the
        // switcher's recent order and what Alt+Escape minimises follow it all.
        const quint32 number = element.window;
        if (number)
            Queues::main().async([number, pid = element.pid] { applyFocusChange(number, pid); });
        return;
    }
    if (name == QLatin1String(platform::ax::focusLost)) {
        const quint32 number = element.window;
        if (number)
            Queues::main().async([number] { applyFocusLoss(number); });
        return;
    }
    // Only a new title and a new size are acted on further; the other notices
    // (activation, moves) need nothing read, and an activation sends three.
    const bool titleChanged = name == QLatin1String(platform::ax::titleChanged);
    if (!titleChanged && name != QLatin1String(platform::ax::windowResized))
        return;
    if (!platform::hasCurrent())
        return;
    platform::Accessibility& ax = platform::current().accessibility();
    qint32 pid = 0;
    quint32 number = 0;
    if (ax.processIdentifier(element, pid) != platform::AXResult::success)
        return;
    if (ax.windowNumber(element, number) != platform::AXResult::success)
        return;
    try {
        const std::optional<QString> title
            = copyStringAttribute(QString::fromLatin1(platform::ax::title), element);
        if (!title)
            return;
        if (titleChanged) {
            Queues::main().async([number, title = *title] { applyTitleChange(number, title); });
            return;
        }
        const std::optional<std::pair<double, double>> size = windowSize(element);
        if (!size)
            return;
        const std::optional<bool> fullScreen
            = copyBoolAttribute(QString::fromLatin1(platform::ax::fullScreen), element);
        WindowResizeReport report;
        report.element = element;
        report.windowNumber = number;
        report.size = QSizeF(size->first, size->second);
        report.fullScreen = fullScreen.value_or(false);
        if (const auto position = windowPosition(element))
            report.position = QPointF(position->first, position->second);
        Queues::main().async([report] { applyWindowResize(report); });
    } catch (const AxError&) {
        // The application did not answer: this notification is dropped.
    }
}

void followWindowInFrontNow()
{
    if (!platform::hasCurrent() || activationUnanswered())
        return;
    platform::WindowServer& server = platform::current().windowServer();
    const std::optional<quint32> active = server.activeWindow();
    if (!active || !*active)
        return;
    const bool known = modelWindow(*active) != nullptr;
    const auto& order = windowClickOrder();
    if (known && !order.empty() && quint32(order.back().windowNum) == *active)
        return;
    const std::optional<platform::ServerWindow> window = server.window(*active);
    if (!window)
        return;
    if (!known && window->pid != qint32(QCoreApplication::applicationPid()))
        windowHandlerActions().refreshRunningApps(std::nullopt);
    applyFocusChange(*active, window->pid);
}

void markWindowInFrontOnFirstWindows()
{
    static bool done = false;
    if (done || !platform::hasCurrent())
        return;
    const AppState& state = AppState::shared();
    const bool holdsWindows = std::any_of(state.allApps.cbegin(), state.allApps.cend(), [](const auto& app) {
        return app && app->windows
            && std::any_of(app->windows->cbegin(), app->windows->cend(),
                [](const auto& w) { return w && !w->isPlaceholder; });
    });
    if (!holdsWindows)
        return;
    done = true;
    // A focus report that came in the meantime is as new as what we read.
    const auto& marks = state.focusedWindow;
    if (std::any_of(marks.cbegin(), marks.cend(), [](bool focused) { return focused; }))
        return;
    const std::optional<quint32> active = platform::current().windowServer().activeWindow();
    if (active && *active && modelWindow(*active)) {
        qCDebug(lcAppModel) << "window" << *active << "is in front as the model first holds windows";
        markFocusedWindow(static_cast<int32_t>(*active));
    }
}

void handleObservedWindowNotification(const AxElement& element, const QString& name)
{
    // Elements handed out by the platform's source hold a platform element.
    if (element && dynamic_cast<PlatformAppsSource*>(&appsSource())) {
        handleWindowNotification(*static_cast<const platform::AXElement*>(element.handle.get()), name);
        return;
    }
    handleModelWindowNotification(element, name);
}

void applyWindowResize(const WindowResizeReport& report)
{
    WindowHandlerActions& actions = windowHandlerActions();
    const QList<HandlerScreen> screens = actions.screens();
    std::optional<HandlerScreen> screen;
    if (report.position)
        screen = screenOfWindow(screens, QRectF(*report.position, report.size));
    else if (const std::optional<QPointF> mouse = actions.mouseLocation()) {
        // Position unknown: the screen under the pointer, as a last resort.
        for (const HandlerScreen& s : screens)
            if (!screen && s.frame.contains(*mouse))
                screen = s;
    }
    if (!screen) {
        customPrint(QStringLiteral("No main screen available."));
        return;
    }

    if (!applyFullScreenRule(report, screen->key))
        return;
    // A full-screen window covers the bar by intent; shrinking it would
    // break its full screen.
    if (report.fullScreen)
        return;

    const CustomSettings& settings = AppState::shared().settings;
    if (settings.autoHideSpaceDock().value(screen->key) == kTrue)
        return;
    const bool mainDockScreen = screen->key == mainDockScreenID();
    const QString position = mainDockScreen
        ? settings.mainDockPosition()
        : settings.spaceDockPosition().value(screen->key, QStringLiteral("bottom"));
    const double thickness = dockThickness();
    const QRect visible = screen->visibleFrame.toRect();
    const double usableWidth = double(calibratedScreenWidth(screen->key, visible)) - thickness;
    const double usableHeight = double(calibratedScreenHeight(screen->key, visible)) - thickness;
    const std::optional<WindowResize> resize = dockEdgeResize(
        position, mainDockScreen, report.size, screen->visibleFrame, usableWidth, usableHeight);
    if (!resize)
        return;
    setWindowSize(resize->size.width(), resize->size.height(), report.element);
    if (resize->position)
        setWindowPosition(resize->position->x(), resize->position->y(), report.element);
}

#include "dock/windows/DockHostWidget.h"

#include "apps/DockEdgeReserve.h"
#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "dock/DockHooks.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/input/DockAutoHide.h"
#include "dock/layout/MapEntry.h"
#include "dock/windows/FullScreenStepAside.h"
#include "dock/windows/InputStrip.h"
#include "dock/windows/RootView.h"
#include "dock/windows/ScreenNotice.h"
#include "dock/windows/ScreensSettling.h"
#include "platform/DockWindowHints.h"
#include "platform/ScreenScale.h"
#include "platform/Services.h"
#include "state/AppState.h"
#include "widgets/PlaceCheck.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QMultiHash>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

// The dock windows retired from each screen (by id) and not closed yet.
QMultiHash<QString, QPointer<DockHostWidget>>& leavingDockWindows()
{
    static QMultiHash<QString, QPointer<DockHostWidget>> leaving;
    return leaving;
}

} // namespace

std::vector<DockScreen> currentDockScreens()
{
    std::vector<DockScreen> screens;
    const QRect primary = primaryScreenGeometry();
    const std::vector<platform::ReservedEdge> others = platform::otherReservedEdges();
    for (QScreen* screen : QGuiApplication::screens()) {
        DockScreen dockScreen;
        dockScreen.id = screenIdentifierKey(screen);
        const QRect geometry = screenGeometry(screen);
        dockScreen.frame = toDockSpace(QRectF(geometry), primary);
        const QRect available = screenFreeArea(screen, dockScreen.id, others);
        dockScreen.visibleFrame = toDockSpace(QRectF(available), primary);
        screens.push_back(dockScreen);
    }
    return screens;
}

DockHostWidget::DockHostWidget(AppState& state, const DockWindowSpec& spec)
    : QWidget(nullptr,
        Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::NoDropShadowWindowHint)
    , m_state(state)
    , m_spec(spec)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    const bool dock = spec.kind == DockWindowSpec::Kind::Dock;
    setWindowTitle(dock ? QStringLiteral("orbitShelf dock") : QStringLiteral("orbitShelf auto-show strip"));
    if (dock) {
        auto* root = new RootView(state, spec.enableListener, spec.width, spec.height, spec.screenID, this);
        m_dockView = root->dock();
        m_dockView->installEventFilter(this);
        // A dock window that the one made now replaces keeps its reserve
        // until it closes, and meanwhile takes each one the new bar sets,
        // just before: an edge handed over in one change of the old
        // window's reserve. On a move from side to side the window manager
        // shifts the work area then, and no window is narrowed for the
        // moment both would reserve their edge.
        m_dockView->setReserveHandOver(
            [id = spec.screenID](const std::optional<platform::ReservedEdge>& reserve) {
                for (const QPointer<DockHostWidget>& leaving : leavingDockWindows().values(id))
                    if (leaving)
                        leaving->takeReserve(reserve);
            });
        root->setGeometry(0, 0, int(spec.frame.width), int(spec.frame.height));
    } else {
        m_strip = new ClearRootView(state, spec.screenID, spec.width, spec.height, this);
        m_stepAside = new FullScreenStepAside(
            QStringLiteral("auto-show strip of %1").arg(spec.screenID), [this] { applyStripShape(); }, this);
        // Auto-hide switched on or off, the bar shown or hidden, a window in
        // front full screen, the screens changing or settled.
        connect(&m_state, &AppState::changed, this, &DockHostWidget::applyStripShape);
        connect(
            &ScreensSettling::shared(), &ScreensSettling::changed, this, &DockHostWidget::applyStripShape);
        m_strip->installEventFilter(this);
    }
    // The native window is made at its place: made where the widget stood
    // (0,0) and moved after, a window manager's notice of that first place
    // could come in after the move on a loaded machine.
    setGeometry(toWindowSystemRect(placedFrame(), primaryScreenGeometry()));
    // The window type must be on the native window before it is mapped.
    winId();
    platform::markDockWindow(windowHandle());
    // Mapped without a shape, the window would show its whole frame until
    // the bar gives it one: black where nothing composites, with a window
    // manager's shadow along it where something does.
    if (dock)
        platform::setDockShape(windowHandle(), QRegion(), QRegion());
    // Asked for, a place is not always given: where the window stands is
    // read from the server once the window manager had it.
    m_placeKeeper = new PlaceKeeper(this);
    place();
    show();
    if (dock) {
        raise();
    } else {
        // Strips stand below the docks: a bar over its strip takes the clicks.
        lower();
    }
}

DockFrame DockHostWidget::placedFrame() const
{
    return m_strip ? stripPlacement(m_spec.frame, m_spec.visibleFrame) : m_spec.frame;
}

void DockHostWidget::place()
{
    const QRect primary = primaryScreenGeometry();
    const DockFrame placed = placedFrame();
    const QRect geometry = toWindowSystemRect(placed, primary);
    const QRect screen
        = toWindowSystemRect(DockFrame { qint64(m_spec.screenFrame.x()), qint64(m_spec.screenFrame.y()),
                                 qint64(m_spec.screenFrame.width()), qint64(m_spec.screenFrame.height()) },
            primary);
    m_placed = geometry;
    m_placeKeeper->setAsked(geometry);
    // Where Qt scales, it asks the window manager for sizes in steps of the
    // scale, rounded (3 at 2.5, from a base of 0), and openbox makes a strip
    // 20 rows deep 48 of the server's instead of 50, short of its screen's
    // edge: of a fixed size that is its own base, the window keeps it.
    if (m_strip) {
        setFixedSize(geometry.size());
        setBaseSize(geometry.size());
    }
    setGeometry(geometry);
    // Qt turns a window's place and its size into the server's pixels each
    // rounded on its own: at a fractional scale a strip along its screen's
    // edge can end a row short of that edge on the server, and its line
    // there would take nothing. Asked for in the server's pixels, it ends
    // on the edge.
    if (m_strip && windowHandle() && !qFuzzyCompare(windowHandle()->devicePixelRatio(), 1.0))
        platform::moveDockWindow(windowHandle(), geometry, false);
    if (QWidget* child = m_dockView ? static_cast<QWidget*>(m_dockView->parentWidget()) : m_strip)
        child->setGeometry(0, 0, geometry.width(), geometry.height());

    // The part of the window on its screen, in window coordinates.
    const QRect onScreen = screen.intersected(geometry).translated(-geometry.topLeft());
    if (m_dockView)
        m_dockView->setPlace(geometry.topLeft(), QRectF(onScreen), m_spec.position);
    if (m_strip) {
        AutoShowStrips::shared().setStripArea(m_spec.screenID,
            platform::serverFromQt(QRectF(
                toWindowSystemRect(stripReach(placed, m_spec.screenFrame, m_spec.position), primary))));
    }
    applyStripShape();
}

bool DockHostWidget::eventFilter(QObject* watched, QEvent* event)
{
    // The bar's first paint: it reaches the screen as the paint returns.
    if (watched == m_dockView && event->type() == QEvent::Paint && !std::exchange(m_painted, true) && m_ready)
        readyInPlace(std::exchange(m_ready, nullptr));
    // Reached over a full-screen window in front that it had not heard of,
    // the strip steps aside instead of bringing back a bar that would stand
    // behind that window.
    if (watched == m_strip && event->type() == QEvent::Enter && m_stepAside
        && m_stepAside->update(m_placed, true)) {
        applyStripShape();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DockHostWidget::applyStripShape()
{
    if (!m_strip || !m_stepAside || !windowHandle())
        return;
    // Set in the server's pixels: the line is one row of the server's, the
    // screen's last where the strip reaches it, however many of them a
    // pixel of Qt's covers.
    const std::vector<platform::ScaledScreen> screens = platform::scaledScreens();
    const QRegion edge(edgeLineOnServer(
        stripEdgeLine(placedFrame(), m_spec.screenFrame, m_spec.position).translated(m_placed.topLeft()),
        m_spec.position, screens));
    // With the bar shown it has nothing to bring back, and a full-screen
    // window in front keeps the edge.
    const QString& id = m_spec.screenID;
    const bool hidden
        = dockOpacity(mapEntry(m_state.settings.autoHideSpaceDock(), id), mapEntry(m_state.showSpaceDock, id))
        == 0.0;
    const bool aside = m_stepAside->update(m_placed, hidden);
    // Where something composites it shows whole, so that no compositor
    // shadows it; over its whole depth it took the clicks of a maximised
    // window's last rows, so it takes the pointer on its line alone.
    // Elsewhere its transparent pixels show black: it shows the line alone.
    std::pair<QRegion, QRegion> shape(hidden && !aside ? edge : QRegion(),
        platform::dockTranslucencyAvailable()
            ? QRegion(platform::serverFromQt(QRectF(m_placed), screens)) + edge
            : edge);
    // While the screens change, its screen's edge may be elsewhere.
    if (ScreensSettling::shared().settling())
        shape.first = QRegion();
    if (m_stripShape == shape)
        return;
    m_stripShape = shape;
    platform::setDockShapeOnServer(windowHandle(), shape.first, shape.second);
}

void DockHostWidget::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    // Qt rounds the pointer on the server's last row (or column) into its
    // own pixels, at 2.5 from 19.6 to 20: one past a strip 20 deep, where no
    // child is, and only the window hears it come. Its view hears it too.
    if (!m_strip || m_strip->rect().contains(m_strip->mapFrom(this, event->position().toPoint())))
        return;
    m_stripEnteredPast = true;
    const QPointF at(std::clamp(event->position().x(), 0.0, qreal(m_strip->width() - 1)),
        std::clamp(event->position().y(), 0.0, qreal(m_strip->height() - 1)));
    QEnterEvent enter(at, at, mapToGlobal(at));
    QCoreApplication::sendEvent(m_strip, &enter);
}

void DockHostWidget::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_strip && std::exchange(m_stripEnteredPast, false)) {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(m_strip, &leave);
    }
}

void DockHostWidget::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (pos() == m_placed.topLeft() || !isVisible())
        return;
    // A notice of the window's place that disagrees with where it was put:
    // a stale ConfigureNotify (a synthetic one carries whatever place the
    // sender believed), or a window manager that moved it. The server
    // tells which; nothing of the bar follows the notice meanwhile.
    const std::optional<QRect> onServer = platform::dockWindowPlace(windowHandle());
    qCDebug(lcDock).noquote() << QStringLiteral(
        "a notice puts the %1 at %2,%3; it was placed at %4,%5, the server has it at %6")
                                     .arg(windowTitle())
                                     .arg(pos().x())
                                     .arg(pos().y())
                                     .arg(m_placed.x())
                                     .arg(m_placed.y())
                                     .arg(onServer
                                             ? QStringLiteral("%1,%2").arg(onServer->x()).arg(onServer->y())
                                             : QStringLiteral("no place known"));
    m_placeKeeper->check();
}

void DockHostWidget::setFrame(const DockFrame& frame)
{
    m_spec.frame = frame;
    place();
}

void DockHostWidget::orderFront()
{
    if (m_spec.kind == DockWindowSpec::Kind::Dock)
        raise();
}

void DockHostWidget::whenReady(std::function<void()> ready)
{
    if (!m_dockView)
        QTimer::singleShot(0, this, std::move(ready));
    else if (m_painted)
        readyInPlace(std::move(ready));
    else
        m_ready = std::move(ready);
}

void DockHostWidget::readyInPlace(std::function<void()> ready)
{
    // Once the pixels reached the screen, and where the window was put: a
    // bar the window manager took on at the root's corner stands there
    // until it has placed itself, and the one it takes over from stays
    // meanwhile (within the hand-over's own limit).
    QTimer::singleShot(kReadyAfterPaintMs, this,
        [this, ready = std::move(ready)]() mutable { m_placeKeeper->whenInPlace(std::move(ready)); });
}

void DockHostWidget::retire(bool blank)
{
    if (!m_dockView)
        return;
    // The window keeps its pixels, its shape and its reserved edge; the bar
    // in it goes (it would answer the pointer, tick and log as a second bar)
    // and meanwhile follows nothing: reckoned again for the screens or the
    // edge its successor was made for, its reserve came from where this
    // window stands.
    m_dockView->leave();
    leavingDockWindows().insert(m_spec.screenID, this);
    setUpdatesEnabled(false);
    // Tools that look the bar up by name (xdotool, wmctrl) find the new one.
    setWindowTitle(QStringLiteral("orbitShelf dock, leaving"));
    if (blank)
        platform::setDockShape(windowHandle(), QRegion(), QRegion());
    m_dockView->removeEventFilter(this);
    m_dockView->parentWidget()->deleteLater();
    m_dockView = nullptr;
    m_ready = nullptr;
}

void DockHostWidget::takeReserve(const std::optional<platform::ReservedEdge>& reserve)
{
    qCDebug(lcDock).noquote() << "the leaving dock window of" << m_spec.screenID << "reserves"
                              << (reserve ? QString::number(reserve->thickness) : QStringLiteral("nothing"))
                              << "as its successor will";
    platform::setDockReservedEdge(windowHandle(), reserve);
}

void DockHostWidget::close()
{
    leavingDockWindows().remove(m_spec.screenID, this);
    leavingDockWindows().remove(m_spec.screenID, nullptr); // deleted unclosed
    QWidget::close();
    // Closed windows are dropped by their owner; delete once Qt is done
    // delivering events to it.
    hide();
}

namespace {

// Owns a host widget through the dock windows' unique_ptr, but lets Qt
// finish its event delivery before the widget goes.
class DeferredHostWindow final : public DockHostWindow {
public:
    explicit DeferredHostWindow(DockHostWidget* widget)
        : m_widget(widget)
    {
    }
    ~DeferredHostWindow() override
    {
        if (m_widget)
            m_widget->deleteLater();
    }
    void setFrame(const DockFrame& frame) override
    {
        if (m_widget)
            m_widget->setFrame(frame);
    }
    void orderFront() override
    {
        if (m_widget)
            m_widget->orderFront();
    }
    void close() override
    {
        if (m_widget)
            m_widget->close();
    }
    void whenReady(std::function<void()> ready) override
    {
        if (m_widget)
            m_widget->whenReady(std::move(ready));
        else
            ready();
    }
    void retire(bool blank) override
    {
        if (m_widget)
            m_widget->retire(blank);
    }

private:
    QPointer<DockHostWidget> m_widget;
};

} // namespace

std::unique_ptr<DockHostWindow> makeDockHostWindow(AppState& state, const DockWindowSpec& spec)
{
    qCDebug(lcDock) << (spec.kind == DockWindowSpec::Kind::Dock ? "dock window" : "auto-show strip") << "for"
                    << spec.screenID << "at" << spec.frame.x << spec.frame.y << spec.frame.width
                    << spec.frame.height;
    // Whether something composites or not: a strip window of ours stands
    // inside the screen's free area, above any panel along the bar's edge,
    // where a pointer pushed against the edge never arrives.
    if (spec.kind == DockWindowSpec::Kind::Strip) {
        if (std::unique_ptr<InputStrip> strip = InputStrip::make(state, spec))
            return strip;
        qCDebug(lcDock) << "the auto-show strip of" << spec.screenID << "is a window of its own";
    }
    return std::make_unique<DeferredHostWindow>(new DockHostWidget(state, spec));
}

DockWindows& sharedDockWindows()
{
    static DockWindows* windows = [] {
        DockWindowServices services;
        services.screens = [] { return currentDockScreens(); };
        services.makeWindow
            = [](const DockWindowSpec& spec) { return makeDockHostWindow(AppState::shared(), spec); };
        // The bar draws without them: they follow on the event loop, the
        // monitor first, so that the dock window maps sooner.
        services.installModifierMonitor
            = [] { QTimer::singleShot(0, qApp, [] { runDockHook(dockHooks().installModifierMonitor); }); };
        services.startHotKeys
            = [] { QTimer::singleShot(0, qApp, [] { runDockHook(dockHooks().startHotKeys); }); };
        // Lives for the whole process, like the windows it keeps.
        return new DockWindows(AppState::shared(), services);
    }();
    return *windows;
}

void buildDockWindows()
{
    sharedDockWindows().buildDockWindows();
}

void createDockWindows()
{
    sharedDockWindows().createDockWindows();
}

void restartDockWindows()
{
    sharedDockWindows().restartDockWindows();
}

void closeScreenDockWindows()
{
    sharedDockWindows().closeScreenDockWindows();
}

bool dockVisibleFramesChanged()
{
    return sharedDockWindows().visibleFramesChanged();
}

ScreensReading readDockScreensNow()
{
    ScreensReading reading;
    reading.screens = currentDockScreens();
    for (const QScreen* screen : QGuiApplication::screens()) {
        reading.qtScreens << screen->name();
        reading.places.push_back(screenPlace(screen));
    }
    if (const std::shared_ptr<platform::ScreenIdentity> identity = platform::screenIdentity())
        reading.server = identity->screensNow();
    return reading;
}

bool dockNoticeRebuildsTheBars(const std::vector<DockScreen>& screens, bool screensReplaced)
{
    const DockWindows& windows = sharedDockWindows();
    return !windows.mainDockWindow()
        || noticeRebuildsTheBars(windows.placedScreens(), screens, screensReplaced);
}

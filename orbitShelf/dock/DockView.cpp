#include "dock/DockView.h"

#include "apps/ActiveApp.h"
#include "apps/DockBadgeReader.h"
#include "apps/DockEdgeReserve.h"
#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockTick.h"
#include "dock/buttons/BarButtonPainter.h"
#include "dock/buttons/ButtonDragDrop.h"
#include "dock/buttons/ButtonFacts.h"
#include "dock/buttons/HotKeyBadge.h"
#include "dock/drawing/BarPanel.h"
#include "dock/input/BarClicks.h"
#include "dock/input/BarEdgeCatch.h"
#include "dock/input/DockAutoHide.h"
#include "dock/input/DockBarPointer.h"
#include "dock/layout/DockDataRefresh.h"
#include "dock/layout/DockEdges.h"
#include "dock/layout/DockLayoutPass.h"
#include "dock/layout/MapEntry.h"
#include "dock/tiles/DockTilePainting.h"
#include "dock/tiles/PomodoroTile.h"
#include "dock/tiles/ToolSheets.h"
#include "platform/DockWindowHints.h"
#include "platform/ScreenScale.h"
#include "state/AppState.h"
#include "widgets/Badge.h"
#include "widgets/PaintFingerprint.h"

#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

DockView::DockView(AppState& state, bool enableListener, double screenWidth, double screenHeight,
    const QString& screenID, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_view(enableListener, screenWidth, screenHeight, screenID)
    , m_actions(BarActionServices::standard())
    , m_pinnedLaunches(state, m_actions, m_queue)
    , m_clicks(std::make_unique<BarClicks>(state, *this, m_actions, m_pinnedLaunches))
    , m_hoverHide(state, screenID, m_queue)
    , m_tickServices(DockTickServices::standard(state))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setMouseTracking(true);
    connect(&m_state, &AppState::changed, this, [this] {
        // A pinned application that has started drops its button first.
        m_pinnedLaunches.settle();
        refreshPicture();
    });
    connect(&m_state, &AppState::titleChanged, this, [this](quint32 number) {
        if (barShowsTitleOf(m_state, number))
            refreshPicture();
    });
    // Only the listening dock ticks, and it wakes only when a step is due.
    if (m_state.pomodoroTimer && m_view.enableListener) {
        m_tickClock = std::make_unique<DockTickClock>(dockTickCount(), m_tickServices, m_queue,
            DockTickClock::standardHooks(m_state, m_state.pomodoroTimer));
        connect(m_state.pomodoroTimer, &QTimer::timeout, this, [this] { m_tickClock->fire(); });
        // A Pomodoro started or a setting turned on may bring the next step
        // closer.
        connect(&m_state, &AppState::changed, this, [this] { m_tickClock->plan(); });
        connect(&m_state, &AppState::secondsShown, this, [this] { m_tickClock->plan(); });
        // A count is shown when its application sends it; the tick's read
        // every tenth second stays for what a signal did not bring (counts
        // that came while the setting was off or no bar listened).
        connect(&DockBadgeReader::shared(), &DockBadgeReader::badgesChanged, this, [this] {
            if (m_state.settings.dockBadge() && m_tickServices.readBadges)
                m_tickServices.readBadges();
        });
    }
    m_hoverHide.setPointerCheck([this] {
        return pointerOverBar()
            || AutoShowStrips::shared().pointerOnStrip(m_view.screenID, platform::pointerOnServer());
    });
    // A bar its strip brought back hides when the pointer goes elsewhere.
    connect(&AutoShowStrips::shared(), &AutoShowStrips::pointerLeft, this, [this](const QString& screenID) {
        if (screenID == m_view.screenID)
            m_hoverHide.stripLeft(pointerOverBar());
    });
    // Hook: hover previews and the main button's tool hub and menu.
    new DockBarPointer(m_state, *this);
    // Hook: the window buttons take their drags, drops and stacked lists here.
    m_dragDrop = new ButtonDragDrop(m_state, *this);
    // Hook: tiles.
    m_pomodoroTile = new PomodoroTile(m_state, screenID, this);
    m_pomodoroTile->hide();
    new ToolSheets(m_state, m_view, this);
}

DockView::~DockView() = default;

bool DockView::pointerOverBar() const
{
    // Inside the window's shape as last sent: what takes the pointer.
    const QWidget* top = window();
    if (!isVisible() || !top)
        return false;
    return (m_shape
               && m_shape->second.input.contains(
                   platform::pointerInQt() - toScreen(mapFrom(top, QPoint(0, 0)))))
        || (m_edgeCatch && m_edgeCatch->holdsPointer());
}

void DockView::keepShownWhileOpen(QWidget* popup)
{
    if (!popup)
        return;
    m_hoverHide.hold();
    // Released once: when a menu hides (it is deleted only later) or when
    // any popup goes.
    auto released = std::make_shared<bool>(false);
    const auto release = [this, released] {
        if (std::exchange(*released, true))
            return;
        m_hoverHide.release(pointerOverBar());
    };
    if (auto* menu = qobject_cast<QMenu*>(popup))
        connect(menu, &QMenu::aboutToHide, this, release);
    connect(popup, &QObject::destroyed, this, release);
}

void DockView::setPlace(const QPoint& windowOrigin, const QRectF& screenArea, const QString& edge)
{
    m_placed = PlacedDockWindow { windowOrigin, edge };
    m_screenArea = screenArea;
    refreshPicture();
}

QString DockView::barEdge() const
{
    return m_placed ? m_placed->edge : dockPositionForScreen(m_state, m_view.enableListener, m_view.screenID);
}

void DockView::leave()
{
    m_leaving = true;
    m_reserveHandOver = nullptr;
}

QPoint DockView::toScreen(const QPointF& point) const
{
    if (!m_placed)
        return mapToGlobal(point).toPoint();
    return m_placed->origin + mapTo(window(), point).toPoint();
}

QRect DockView::toScreen(const QRectF& rect) const
{
    return QRect(toScreen(QPointF(rect.topLeft().toPoint())), rect.size().toSize());
}

DockBarGeometryInput DockView::geometryInput() const
{
    const QString& id = m_view.screenID;
    DockBarGeometryInput input;
    input.windowSize = size();
    input.onScreen = m_screenArea.isEmpty() ? QRectF(rect()) : m_screenArea;
    input.edge = barEdge();
    input.vertical = isSideEdge(input.edge);
    input.screenWidth = m_view.screenWidth;
    input.thickness = m_state.settings.dockBackgroundHeight();
    input.dockHeight = mapEntry(m_state.spaceDockHeight, id);
    input.listMode = m_state.spaceListmode.value(id, QStringLiteral("list"));
    input.buttonScale = m_state.spaceButtonScale.value(id, 0);
    input.windowTagWidth = m_state.spaceWindowTagWidth.value(id, 0);
    input.content = dockLayoutInput(m_state);
    const StringMap autoHide = m_state.settings.autoHideSpaceDock();
    input.shown = dockOpacity(mapEntry(autoHide, id), mapEntry(m_state.showSpaceDock, id)) > 0;
    for (const BarEntry& barEntry : m_entries) {
        DockBarSlotSpec spec;
        switch (barEntry.kind) {
        case BarEntry::Kind::MainButton:
            spec.kind = DockBarItem::Kind::MainButton;
            break;
        case BarEntry::Kind::Launchpad:
            spec.kind = DockBarItem::Kind::Launchpad;
            break;
        case BarEntry::Kind::Tool:
            spec.kind = DockBarItem::Kind::Tool;
            break;
        case BarEntry::Kind::PinnedApp:
            spec.kind = DockBarItem::Kind::PinnedApp;
            break;
        case BarEntry::Kind::WindowButton:
            spec.kind = DockBarItem::Kind::Window;
            break;
        case BarEntry::Kind::StackButton:
            // A stacked button is the application's one icon on the bar.
            spec.kind = DockBarItem::Kind::App;
            break;
        case BarEntry::Kind::PomodoroTile:
            spec.kind = DockBarItem::Kind::Pomodoro;
            input.pomodoroLength = m_pomodoroTile->sizeHint().width();
            break;
        }
        spec.gridRow = barEntry.gridRow;
        if (barEntry.kind == BarEntry::Kind::WindowButton || barEntry.kind == BarEntry::Kind::StackButton) {
            const auto app = std::find(m_appIds.begin(), m_appIds.end(), barEntry.pid);
            spec.appIndex = app == m_appIds.end() ? -1 : int(app - m_appIds.begin());
            // Window buttons come in the order of sortAppWindows, which
            // numbers them from 1.
            if (barEntry.kind == BarEntry::Kind::WindowButton && barEntry.window)
                spec.windowIndex = barEntry.window->order.value_or(1) - 1;
            // The app button shows a tag only for one of several windows.
            spec.iconOnly = barEntry.kind == BarEntry::Kind::WindowButton && barEntry.windowCount < 2;
        }
        input.barItems.push_back(spec);
    }
    return input;
}

void DockView::refreshPicture()
{
    if (m_leaving)
        return;
    BarContext context;
    context.screenID = m_view.screenID;
    context.enableListener = m_view.enableListener;
    context.vertical = isSideEdge(barEdge());
    context.stackLayoutApp = m_view.stackLayoutApp;
    m_entries = dockBarEntries(m_state, context);
    m_appIds.clear();
    for (const BarEntry& entry : m_entries) {
        const bool running
            = entry.kind == BarEntry::Kind::WindowButton || entry.kind == BarEntry::Kind::StackButton;
        if (running && std::find(m_appIds.begin(), m_appIds.end(), entry.pid) == m_appIds.end())
            m_appIds.push_back(entry.pid);
    }
    m_picture = dockBarPicture(geometryInput());
    if (m_hoveredItem >= int(m_picture.items.size()))
        m_hoveredItem = -1;
    // Hook: during a Pomodoro break the bar shows the break tile alone, in
    // its row, turned only on a side bar.
    const auto tile = std::find_if(m_picture.items.begin(), m_picture.items.end(),
        [](const DockBarItem& item) { return item.kind == DockBarItem::Kind::Pomodoro; });
    const bool onBreak = m_state.pomodoro.startPomodoroTask && tile != m_picture.items.end();
    if (onBreak) {
        m_pomodoroTile->setVertical(isSideEdge(barEdge()));
        m_pomodoroTile->setGeometry(tile->rect.toAlignedRect());
    }
    m_pomodoroTile->setVisible(onBreak);
    logPicture();
    updateChangedItems();
    logButtons();
}

void DockView::logButtons()
{
    // Hook: which application each button stands for, on screen, once per
    // change; people and the end-to-end tests read the bar's order here.
    if (!lcDock().isDebugEnabled() || !isVisible())
        return;
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    QStringList buttons;
    for (const DockBarItem& item : m_picture.items) {
        if (const auto pid = itemProcessId(item, pids)) {
            const QRect r = toScreen(item.rect);
            buttons << QStringLiteral("%1@%2,%3,%4x%5")
                           .arg(*pid)
                           .arg(r.x())
                           .arg(r.y())
                           .arg(r.width())
                           .arg(r.height());
        }
    }
    const QString line = buttons.join(QLatin1Char(' '));
    if (line != m_loggedButtons) {
        m_loggedButtons = line;
        qCDebug(lcDock).noquote() << "bar buttons:" << line;
    }
}

void DockView::logPicture()
{
    if (!lcDock().isDebugEnabled() || !isVisible())
        return;
    // One line per item in screen coordinates, written when the bar changed:
    // what end-to-end checks and people reading the log go by.
    QString text;
    const QPoint origin = toScreen(QPointF(0, 0));
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    for (const DockBarItem& item : m_picture.items) {
        if (item.entryIndex < 0)
            continue;
        const BarEntry& e = m_entries[size_t(item.entryIndex)];
        const QRect r = item.rect.toAlignedRect().translated(origin);
        const QString label = e.kind == BarEntry::Kind::WindowButton
            ? dockBarItemLabel(m_state, m_view, item, pids)
            : QString();
        text += QStringLiteral(
            "bar item %1 kind %2 pid %3 window %4 at %5,%6 %7x%8 badge \"%9\" key \"%10\" tag \"%11\"\n")
                    .arg(item.entryIndex)
                    .arg(int(e.kind))
                    .arg(e.pid)
                    .arg(e.window && e.window->num ? qint64(*e.window->num) : -1)
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height())
                    .arg(e.badge)
                    .arg(e.hotKey)
                    .arg(label);
    }
    QString focused;
    for (auto it = m_state.focusedWindow.cbegin(); it != m_state.focusedWindow.cend(); ++it)
        if (it.value())
            focused = QString::number(it.key());
    if (focused != m_loggedFocus) {
        m_loggedFocus = focused;
        qCDebug(lcDock).noquote() << "bar of" << m_view.screenID << "marks window" << focused << "focused";
    }
    if (text == m_loggedPicture)
        return;
    m_loggedPicture = text;
    qCDebug(lcDock).noquote() << "bar rows of" << m_view.screenID << "\n" + text + "bar end";
}

const DockBarItem* DockView::itemAt(const QPointF& point) const
{
    const int index = barItemAt(m_picture, m_extras, point);
    return index < 0 ? nullptr : &m_picture.items[size_t(index)];
}

void DockView::mousePressEvent(QMouseEvent* event)
{
    if (m_clicks->pressed(*event)) {
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DockView::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_clicks->released(*event)) {
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void DockView::mouseMoveEvent(QMouseEvent* event)
{
    const int hovered = barItemAt(m_picture, m_extras, event->position());
    if (hovered != m_hoveredItem) {
        m_hoveredItem = hovered;
        updateBar();
    }
    QWidget::mouseMoveEvent(event);
}

void DockView::enterEvent(QEnterEvent* event)
{
    // Qt also sends an enter when a popup of the bar closes over the dock
    // window's transparent part; only the bar itself counts.
    m_hoverHide.hovering(pointerOverBar());
    QWidget::enterEvent(event);
}

void DockView::leaveEvent(QEvent* event)
{
    m_hoveredItem = -1;
    m_hoverHide.hovering(false);
    updateBar();
    QWidget::leaveEvent(event);
}

QRect DockView::barPaintArea() const
{
    QRectF area = m_picture.barRect;
    for (const DockBarItem& item : m_picture.items)
        area |= item.rect;
    if (area.isEmpty())
        return {};
    const double margin = itemPaintMargin();
    return area.adjusted(-margin, -margin, margin, margin).toAlignedRect() & rect();
}

QByteArray DockView::panelLook() const
{
    PaintFingerprint out;
    out << m_picture.barRect << m_state.settings.dockColor() << m_pomodoroTile->isVisible() << m_hoveredItem
        << quint32(m_picture.items.size());
    return out.bytes();
}

QByteArray DockView::itemLook(const DockBarItem& item, const QList<int32_t>& pids) const
{
    PaintFingerprint out;
    out << item.rect << item.iconRect << item.entryIndex;
    if (item.entryIndex < 0 || item.entryIndex >= int(m_entries.size()))
        return out.bytes();
    // Mirrors what paintEvent draws for the item.
    const BarEntry& entry = m_entries[size_t(item.entryIndex)];
    out << int(entry.kind);
    switch (entry.kind) {
    case BarEntry::Kind::WindowButton:
        out << dockBarItemLook(m_state, m_view, item, pids, 0, m_dragDrop->dropTarget()) << entry.badge
            << entry.hotKey;
        break;
    case BarEntry::Kind::StackButton:
        out << dockBarItemLook(m_state, m_view, item, pids, 0, m_dragDrop->dropTarget());
        break;
    case BarEntry::Kind::PinnedApp:
        out << dockBarItemLook(m_state, m_view, item, pids,
            std::max(0, int(m_state.pinnedAnNotRunning.indexOf(entry.app))), std::nullopt);
        break;
    case BarEntry::Kind::Launchpad:
        break;
    case BarEntry::Kind::Tool:
        out << entry.toolName;
        break;
    default: {
        const MainButtonIcon picture = mainButtonIcon(m_state);
        out << picture.file.value_or(QString()) << picture.file.has_value() << picture.builtinName
            << picture.inset << entry.pid << (entry.window ? entry.window->icon.cacheKey() : 0)
            << (entry.app ? entry.app->icon.cacheKey() : 0)
            << (m_state.allApps.value(entry.pid) ? m_state.allApps.value(entry.pid)->icon.cacheKey() : 0);
        break;
    }
    }
    return out.bytes();
}

double DockView::itemPaintMargin() const
{
    // Room for what is drawn past the bar and its buttons: a hovered icon
    // grows by a fifth, shadows and badges reach a little out.
    QRectF area = m_picture.barRect;
    for (const DockBarItem& item : m_picture.items)
        area |= item.rect;
    return 16 + 0.3 * std::min(area.width(), area.height());
}

std::vector<QByteArray> DockView::currentLooks() const
{
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    std::vector<QByteArray> looks;
    looks.reserve(m_picture.items.size());
    for (const DockBarItem& item : m_picture.items)
        looks.push_back(itemLook(item, pids));
    return looks;
}

QRect DockView::itemReach(const DockBarItem& item, const QList<int32_t>& pids) const
{
    if (item.entryIndex < 0 || item.entryIndex >= int(m_entries.size()))
        return {};
    // Mirrors what paintEvent draws for the item.
    const BarEntry& entry = m_entries[size_t(item.entryIndex)];
    const qreal ratio = devicePixelRatioF();
    QRectF reach;
    switch (entry.kind) {
    case BarEntry::Kind::WindowButton:
        reach = dockBarItemReach(m_state, m_view, item, pids, 0, m_dragDrop->dropTarget(), ratio)
            | windowButtonOverlaysReach(entry, item)
            | hotKeyBadgeReach(item.iconRect, entry.hotKey, m_picture.barRect, font());
        break;
    case BarEntry::Kind::StackButton:
        reach = dockBarItemReach(m_state, m_view, item, pids, 0, m_dragDrop->dropTarget(), ratio);
        break;
    case BarEntry::Kind::PinnedApp:
        reach = dockBarItemReach(m_state, m_view, item, pids,
            std::max(0, int(m_state.pinnedAnNotRunning.indexOf(entry.app))), std::nullopt, ratio);
        break;
    case BarEntry::Kind::Launchpad:
    case BarEntry::Kind::Tool:
        reach = item.iconRect.adjusted(-1, -1, 1, 1);
        break;
    default:
        reach = placeholderButtonReach(entry, item, m_state);
        break;
    }
    return reach.toAlignedRect();
}

void DockView::recordLooks(std::vector<QByteArray> looks)
{
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    m_itemReaches.clear();
    m_itemReaches.reserve(m_picture.items.size());
    for (const DockBarItem& item : m_picture.items)
        m_itemReaches.push_back(itemReach(item, pids));
    m_itemLooks = std::move(looks);
}

void DockView::forgetLooks()
{
    m_itemLooks.clear();
    m_itemReaches.clear();
}

void DockView::updateChangedItems()
{
    const QRect area = barPaintArea();
    QByteArray panel = panelLook();
    const bool samePanel = panel == m_panelLook && area == m_paintedArea;
    m_panelLook = std::move(panel);
    if (!samePanel || m_itemLooks.size() != m_picture.items.size()) {
        // A bar that moved or grew repaints whole. What it then shows is
        // recorded once a burst of changes (a new window brings several) has
        // passed, not on each of them.
        m_requestedArea += QRegion(area) + m_paintedArea;
        updateBar();
        if (!m_looksPending) {
            m_looksPending = true;
            QTimer::singleShot(0, this, [this] {
                m_looksPending = false;
                if (m_itemLooks.empty())
                    recordLooks(currentLooks());
            });
        }
        return;
    }
    std::vector<QByteArray> looks = currentLooks();
    // An item whose look changed is repainted where it drew and where it
    // draws now; the items reaching into that are drawn again there, in
    // their order, as a whole repaint would.
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    QRegion changed;
    for (size_t i = 0; i < looks.size(); ++i) {
        if (looks[i] == m_itemLooks[i])
            continue;
        const QRect reach = itemReach(m_picture.items[i], pids);
        changed += (m_itemReaches[i] | reach) & area;
        m_itemReaches[i] = reach;
    }
    m_itemLooks = std::move(looks);
    if (!changed.isEmpty()) {
        m_requestedArea += changed;
        update(changed);
    }
    applyInputRegion();
}

void DockView::updateBar()
{
    // Whoever repaints the whole bar may have changed what it shows (the
    // hovered button): the next change repaints whole too.
    forgetLooks();
    // The dock window is much larger than its bar (menus and previews open
    // inside it); repainting only where the bar was and is keeps a change of
    // one button from clearing and sending the whole window.
    const QRect area = barPaintArea();
    update(QRegion(area) + m_paintedArea);
    m_paintedArea = area;
    // The hovered button grows past the bar.
    applyInputRegion();
}

void DockView::applyInputRegion()
{
    if (m_leaving)
        return;
    // Badges stand over the icons' top edge and a hovered window button's
    // icon grows: both must be inside the window's shape or they are cut,
    // and each acts as its button where it takes the pointer.
    m_extras.clear();
    std::vector<size_t> reaching; // the items drawing them
    const auto addExtra = [&](size_t index, const QRectF& extra) {
        if (extra.isEmpty())
            return;
        m_extras.push_back({ extra, int(index) });
        if (reaching.empty() || reaching.back() != index)
            reaching.push_back(index);
    };
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    for (size_t i = 0; i < m_picture.items.size(); ++i) {
        const DockBarItem& item = m_picture.items[i];
        if (item.entryIndex < 0 || item.entryIndex >= int(m_entries.size()))
            continue;
        addExtra(i, Badge(m_entries[size_t(item.entryIndex)].badge).rect(item.iconRect));
        if (int(i) == m_hoveredItem
            && m_entries[size_t(item.entryIndex)].kind == BarEntry::Kind::WindowButton)
            addExtra(i, dockBarItemGrownIcon(m_state, m_view, item, pids, m_dragDrop->dropTarget()));
    }
    QWidget* top = window();
    if (!top || !top->windowHandle())
        return;
    QRegion opaqueExtras;
    if (!reaching.empty()) {
        QRect area;
        for (const DockBarExtra& extra : m_extras)
            area |= extra.rect.toAlignedRect();
        opaqueExtras = opaquePaint(reaching, area & rect(), pids);
    }
    BarWindowShape shape = barWindowShape(m_picture, m_extras, opaqueExtras);
    const QPoint offset = mapTo(top, QPoint(0, 0));
    shape.input = (shape.input & rect()).translated(offset);
    shape.shown = (shape.shown & rect()).translated(offset);
    // The shape is sent to the X server only when it changed.
    const WId native = top->windowHandle()->winId();
    if (!m_shape || *m_shape != std::pair(native, shape)) {
        m_shape = std::pair(native, shape);
        platform::setDockShape(top->windowHandle(), shape.input, shape.shown);
    }
    applyEdgeReserve(native);
    applyEdgeCatch();
}

void DockView::applyEdgeCatch()
{
    const QString edge = barEdge();
    const QRectF band = barEdgeBand(
        m_picture, m_screenArea.isEmpty() ? QRectF(rect()) : m_screenArea, edge, isSideEdge(edge));
    if (!m_edgeCatch) {
        if (band.isEmpty())
            return;
        m_edgeCatch = new BarEdgeCatch(*this, m_view.screenID, [this] {
            const QWidget* top = window();
            return isVisible() && top && m_shape
                && m_shape->second.input.contains(
                    platform::pointerInQt() - toScreen(mapFrom(top, QPoint(0, 0))));
        });
    }
    m_edgeCatch->set(band, toScreen(QPointF(0, 0)), m_picture.barRect, edge, isSideEdge(edge));
}

QRegion DockView::opaquePaint(
    const std::vector<size_t>& indices, const QRect& area, const QList<int32_t>& pids)
{
    if (area.isEmpty())
        return {};
    PaintFingerprint key;
    key << QRectF(area);
    for (const size_t i : indices)
        key << itemLook(m_picture.items[i], pids);
    const QByteArray look = key.bytes();
    if (m_opaquePaint && m_opaquePaint->first == look)
        return m_opaquePaint->second;
    // Painted as the window paints them, at one pixel a point: the shape
    // is cut in the window's own units.
    QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(-area.topLeft());
        for (const size_t i : indices)
            paintItem(painter, m_picture.items[i], pids);
    }
    m_opaquePaint = std::pair(look, opaquePart(image, area.topLeft()));
    return m_opaquePaint->second;
}

void DockView::applyEdgeReserve(WId native)
{
    const QString& id = m_view.screenID;
    const bool autoHides = mapEntry(m_state.settings.autoHideSpaceDock(), id) == QLatin1String("true");
    // A reserve is the server's: its rows are the bar's drawn ones in the
    // server's pixels, counted from the root's edge. This runs on every
    // change of the bar's picture: the screens are read once.
    const std::optional<platform::ReservedEdge> reserve
        = placedBarReserve(m_picture.barRect.translated(mapTo(window(), QPoint(0, 0))), m_placed,
            platform::scaledScreens(), !autoHides && isVisible());
    if (m_reservedEdge && *m_reservedEdge == std::pair(native, reserve))
        return;
    m_reservedEdge = std::pair(native, reserve);
    if (reserve) {
        // Until a bar reserves an edge, the available areas are the window
        // manager's own: its built-in panels, which nothing else tells.
        if (allOwnEdgeReserves().empty()) {
            const std::vector<platform::ReservedEdge> others = platform::otherReservedEdges();
            for (const QScreen* each : QGuiApplication::screens())
                recordScreenMarginsBeforeOwnReserve(each, screenIdentifierKey(each), others);
        }
        recordOwnReserve(id, *reserve);
    }
    // The window this one replaces takes the reserve first: set by both in
    // turn, the old window's edge and the new one's would stand together
    // for a moment, and the window manager would fit every maximised window
    // between them (icewm never widens them again).
    if (m_reserveHandOver && isVisible())
        m_reserveHandOver(reserve);
    qCDebug(lcDock).noquote() << "bar of" << id << "reserves"
                              << (reserve ? QString::number(reserve->thickness) : QStringLiteral("nothing"));
    platform::setDockReservedEdge(window()->windowHandle(), reserve);
}

void DockView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_refreshedOnce) {
        m_refreshedOnce = true;
        refreshDockData(m_state, m_view, standardDockDataRefreshServices());
    }
    refreshPicture();
}

void DockView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    refreshPicture();
}

void DockView::paintEvent(QPaintEvent* event)
{
    // A repaint asked for elsewhere (hover, a drag, an expose) may show
    // looks the last refresh did not record: the next refresh repaints
    // whole.
    if (!(event->region() - m_requestedArea).isEmpty())
        forgetLooks();
    m_requestedArea = QRegion();
    if (m_picture.barRect.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const BarPanel panel { m_picture.barRect, barPanelRadius(m_picture.barRect) };
    // Qt's raster engine hands a fill of many spans to its thread pool; the
    // panel under the separate pieces of an activation's repaint (one span
    // per line and piece) is filled piece by piece, on this thread.
    if (event->region().rectCount() > 1) {
        for (const QRect& piece : event->region()) {
            painter.save();
            painter.setClipRect(piece);
            paintBarPanel(painter, panel, m_state.settings.dockColor());
            painter.restore();
        }
    } else {
        paintBarPanel(painter, panel, m_state.settings.dockColor());
    }

    if (m_pomodoroTile->isVisible())
        return;
    // Hook: the buttons of running and pinned applications are drawn from
    // their looks (the app button and the stacked button), with the rows'
    // count badge and the hot-key badge over window buttons.
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    const double margin = itemPaintMargin();
    // The reaches recorded with the looks hold for what is drawn now (any
    // change since went through updateChangedItems or forgot them).
    const bool reachesKnown = m_itemReaches.size() == m_picture.items.size();
    for (int i = 0; i < int(m_picture.items.size()); ++i) {
        const DockBarItem& item = m_picture.items[size_t(i)];
        if (item.entryIndex < 0 || item.entryIndex >= int(m_entries.size()))
            continue;
        // Nothing it draws would land in what is repainted.
        const QRect reach = reachesKnown
            ? m_itemReaches[size_t(i)]
            : (item.rect | item.iconRect).adjusted(-margin, -margin, margin, margin).toAlignedRect();
        if (!event->region().intersects(reach))
            continue;
        paintItem(painter, item, pids);
    }
}

void DockView::paintItem(QPainter& painter, const DockBarItem& item, const QList<int32_t>& pids)
{
    if (item.entryIndex < 0 || item.entryIndex >= int(m_entries.size()))
        return;
    const BarEntry& entry = m_entries[size_t(item.entryIndex)];
    // Icons cast their shadows on the panel only: past it the window shows
    // where a badge or a grown icon stands, and there a shadow cut to their
    // rectangles by the window's shape showed as a grey box.
    const QRectF& panel = m_picture.barRect;
    switch (entry.kind) {
    case BarEntry::Kind::WindowButton:
        paintDockBarItem(painter, m_state, m_view, item, pids, 0, m_dragDrop->dropTarget(), panel);
        paintWindowButtonOverlays(painter, entry, item);
        // Hook: a window bound to a hot key shows its badge.
        paintHotKeyBadge(painter, item.iconRect, entry.hotKey, m_picture.barRect);
        break;
    case BarEntry::Kind::StackButton:
        paintDockBarItem(painter, m_state, m_view, item, pids, 0, m_dragDrop->dropTarget(), panel);
        break;
    case BarEntry::Kind::PinnedApp: {
        const int pinnedIndex = int(m_state.pinnedAnNotRunning.indexOf(entry.app));
        paintDockBarItem(painter, m_state, m_view, item, pids, std::max(0, pinnedIndex), std::nullopt, panel);
        break;
    }
    case BarEntry::Kind::Launchpad:
        // Hook: the launcher and tool tiles.
        paintLauncherTile(painter, item.iconRect);
        break;
    case BarEntry::Kind::Tool:
        paintToolTile(painter, item.iconRect, entry.toolName);
        break;
    default:
        paintPlaceholderButton(painter, entry, item, m_state);
        break;
    }
}

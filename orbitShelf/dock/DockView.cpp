#include "dock/DockView.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/DockAutoHide.h"
#include "dock/DockBarBackground.h"
#include "dock/DockBarButtons.h"
#include "dock/DockBarPointer.h"
#include "dock/DockDataRefresh.h"
#include "dock/DockEdges.h"
#include "dock/DockItemInput.h"
#include "dock/DockLayoutPass.h"
#include "dock/DockLog.h"
#include "dock/DockTilePainting.h"
#include "dock/PomodoroTile.h"
#include "dock/ToolSheets.h"
#include "platform/DockWindowHints.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWindow>

namespace {

template <typename Map>
auto entry(const Map& map, const QString& key) -> std::optional<typename Map::mapped_type>
{
    const auto it = map.constFind(key);
    if (it == map.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace

DockView::DockView(AppState& state, bool enableListener, double screenWidth, double screenHeight,
    const QString& screenID, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_view(enableListener, screenWidth, screenHeight, screenID)
{
    setAttribute(Qt::WA_TranslucentBackground);
    connect(&m_state, &AppState::changed, this, &DockView::refreshPicture);
    m_pointer = new DockBarPointer(m_state, *this);
    // Hook: the window buttons take their drags, drops and clicks here.
    m_buttonInput = new DockBarInput(m_state, *this);
    // Hook: tiles.
    m_pomodoroTile = new PomodoroTile(m_state, screenID, this);
    m_pomodoroTile->hide();
    m_toolSheets = new ToolSheets(m_state, m_view, this);
}

void DockView::mouseReleaseEvent(QMouseEvent* event)
{
    if (handleDockItemClick(m_state, m_view, m_picture, m_appIds, event->position(), event->button(),
            event->globalPosition().toPoint(), this))
        event->accept();
    else
        QWidget::mouseReleaseEvent(event);
}

void DockView::setScreenArea(const QRectF& area)
{
    m_screenArea = area;
    refreshPicture();
}

DockBarGeometryInput DockView::geometryInput() const
{
    const QString& id = m_view.screenID;
    DockBarGeometryInput input;
    input.windowSize = size();
    input.onScreen = m_screenArea.isEmpty() ? QRectF(rect()) : m_screenArea;
    input.vertical = isDockVertical(m_state, id);
    input.edge = dockPositionForScreen(m_state, m_view.enableListener, id);
    input.screenWidth = m_view.screenWidth;
    input.thickness = m_state.settings.dockBackgroundHeight();
    input.dockHeight = entry(m_state.spaceDockHeight, id);
    input.listMode = m_state.spaceListmode.value(id, QStringLiteral("list"));
    input.buttonScale = m_state.spaceButtonScale.value(id, 0);
    input.windowTagWidth = m_state.spaceWindowTagWidth.value(id, 0);
    input.content = dockLayoutInput(m_state);
    const StringMap autoHide = m_state.settings.autoHideSpaceDock();
    input.shown = dockOpacity(entry(autoHide, id), entry(m_state.showSpaceDock, id)) > 0;
    return input;
}

void DockView::refreshPicture()
{
    const DockBarGeometryInput input = geometryInput();
    m_appIds = input.content.appIds;
    m_picture = dockBarPicture(input);
    // Hook: during a Pomodoro break the bar shows the break tile alone.
    const bool onBreak = m_state.pomodoro.startPomodoroTask && !m_picture.barRect.isEmpty();
    if (onBreak) {
        m_pomodoroTile->setVertical(m_picture.barRect.height() > m_picture.barRect.width());
        m_pomodoroTile->setGeometry(m_picture.barRect.toAlignedRect());
    }
    m_pomodoroTile->setVisible(onBreak);
    applyInputRegion();
    update();
    // Hook: which application each button stands for, on screen, once per
    // change; people and the end-to-end tests read the bar's order here.
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    QStringList buttons;
    for (const DockBarItem& item : m_picture.items) {
        if (const auto pid = itemProcessId(item, pids)) {
            const QRect r(mapToGlobal(item.rect.topLeft().toPoint()), item.rect.size().toSize());
            buttons << QStringLiteral("%1@%2,%3,%4x%5")
                           .arg(*pid)
                           .arg(r.x())
                           .arg(r.y())
                           .arg(r.width())
                           .arg(r.height());
        }
    }
    const QString line = buttons.join(QLatin1Char(' '));
    if (line != m_loggedButtons && isVisible()) {
        m_loggedButtons = line;
        qCDebug(lcDock).noquote() << "bar buttons:" << line;
    }
}

void DockView::applyInputRegion()
{
    QWidget* top = window();
    if (!top || !top->windowHandle())
        return;
    const QRect bar = m_picture.barRect.toAlignedRect();
    const QRegion region = bar.isEmpty() ? QRegion() : QRegion(bar.translated(mapTo(top, QPoint(0, 0))));
    platform::setDockInputRegion(top->windowHandle(), region);
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

void DockView::paintEvent(QPaintEvent*)
{
    if (m_picture.barRect.isEmpty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const bool vertical = m_picture.barRect.height() > m_picture.barRect.width();
    paintBarPanel(painter, { m_picture.barRect, vertical ? 10.0 : 8.0 }, m_state.settings.dockColor());

    if (m_pomodoroTile->isVisible())
        return;
    const StringMap hotKeys = m_state.windowHotkeyCache();
    // Hook: the buttons of running and pinned applications are drawn by
    // the window-button painters; the others keep their placeholders.
    const QList<int32_t> pids(m_appIds.begin(), m_appIds.end());
    int pinnedIndex = 0;
    for (const DockBarItem& item : m_picture.items) {
        if (item.kind == DockBarItem::Kind::App || item.kind == DockBarItem::Kind::Window) {
            paintDockBarItem(painter, m_state, m_view, item, pids, pinnedIndex, m_buttonInput->dropTarget());
            // Hook: a window bound to a hot key shows its badge.
            if (const std::shared_ptr<Windows> window = dockBarWindow(m_state, m_appIds, item))
                paintHotKeyBadge(painter, item.iconRect, windowHotKey(hotKeys, window->num));
            continue;
        }
        // Hook: the launcher and tool tiles.
        if (item.kind == DockBarItem::Kind::Launchpad) {
            paintLauncherTile(painter, item.iconRect);
            continue;
        }
        if (item.kind == DockBarItem::Kind::Tool) {
            paintToolTile(painter, item.iconRect, toolOfItem(m_state, m_picture, item).value_or(QString()));
            continue;
        }
        if (item.kind == DockBarItem::Kind::PinnedApp) {
            paintDockBarItem(painter, m_state, m_view, item, pids, pinnedIndex++, std::nullopt);
            continue;
        }
        QPainterPath placeholder;
        placeholder.addRoundedRect(item.iconRect, item.iconRect.width() / 5, item.iconRect.width() / 5);
        const QColor fill = item.kind == DockBarItem::Kind::MainButton ? QColor(90, 160, 230)
            : item.kind == DockBarItem::Kind::Launchpad                ? QColor(150, 150, 160)
                                                                       : QColor(200, 200, 210);
        painter.fillPath(placeholder, fill);
    }
}

#include "dock/DockBarButtons.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "dock/AppButton.h"
#include "dock/DockEdges.h"
#include "dock/DockIcons.h"
#include "dock/DockLayout.h"
#include "dock/DockLayoutPass.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/DockViewState.h"
#include "dock/MapEntry.h"
#include "dock/StackAppButton.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A side bar has no room for tag chips.
bool windowTagsAllowed(const AppState& state, const QString& screenID)
{
    return !isDockVertical(state, screenID);
}

// The frame of a window button inside its item: from the icon's left edge
// (the chip follows it), or centred on the icon when it is the narrower one.
QRectF buttonFrameIn(const DockBarItem& item, const QSizeF& frame)
{
    const double left = frame.width() >= item.iconRect.width()
        ? item.iconRect.left()
        : item.iconRect.center().x() - frame.width() / 2;
    return QRectF(QPointF(left, item.rect.center().y() - frame.height() / 2), frame);
}

// An application reaching the stack limit is one stacked button, also with
// a single window (or none) when the limit is 1 or less.
bool showsStacked(int windowCount, int stackAppLimit)
{
    return windowCount >= stackAppLimit;
}

// The application of each item of the picture the view shows now.
QList<int32_t> viewAppIds(const DockView& view)
{
    const std::vector<qint32>& ids = view.appIds();
    return QList<int32_t>(ids.begin(), ids.end());
}

} // namespace

QList<int32_t> barAppPids(const AppState& state)
{
    const std::vector<qint32> pids = dockLayoutInput(state).appIds;
    return QList<int32_t>(pids.begin(), pids.end());
}

double appButtonsBarWidth(const AppState& state, const QString& screenID)
{
    const bool tags = windowTagsAllowed(state, screenID);
    double width = 0;
    for (const std::shared_ptr<ActiveApp>& pinned : state.pinnedAnNotRunning) {
        Windows window;
        window.num = 0;
        window.appIconUrl = pinned ? pinned->appIconUrl : std::nullopt;
        width += appButtonBarShare(appButtonInput(state, window, nullptr, screenID, 1, 0, tags, true));
    }
    const double scale = state.spaceButtonScale.value(screenID, 0);
    const int limit = state.settings.stackAppLimit();
    const bool replaceFinder = state.settings.replaceFinder();
    for (int32_t pid : barAppPids(state)) {
        const auto app = state.allApps.value(pid);
        const int count = app && app->windows ? int(app->windows->size()) : 0;
        if (!app || showsStacked(count, limit))
            continue;
        for (const std::shared_ptr<Windows>& window : app->sortAppWindows(replaceFinder))
            width += appButtonBarShare(
                appButtonInput(state, *window, nullptr, screenID, count, scale, tags, false));
    }
    return width;
}

std::optional<int32_t> itemProcessId(const DockBarItem& item, const QList<int32_t>& pids)
{
    if (item.kind != DockBarItem::Kind::App && item.kind != DockBarItem::Kind::Window)
        return std::nullopt;
    if (item.appIndex < 0 || item.appIndex >= pids.size())
        return std::nullopt;
    return pids[item.appIndex];
}

void paintDockBarItem(QPainter& painter, const AppState& state, const DockViewState& view,
    const DockBarItem& item, const QList<int32_t>& pids, int pinnedIndex, std::optional<int32_t> dropTarget)
{
    const QString& screen = view.screenID;
    const bool tags = windowTagsAllowed(state, screen);
    const double scale = state.spaceButtonScale.value(screen, 0);

    if (item.kind == DockBarItem::Kind::PinnedApp) {
        const auto pinned = state.pinnedAnNotRunning.value(pinnedIndex);
        Windows window;
        window.num = 0;
        window.appBundleName = pinned && pinned->appBundleName ? pinned->appBundleName : QString();
        window.appIconUrl = pinned ? pinned->appIconUrl : std::nullopt;
        AppButtonLook look = appButtonLook(state, window, view.hoveredWindow.get(), screen, 1, 0, tags, true);
        paintAppButton(painter, buttonFrameIn(item, appButtonFrameSize(look)), look);
        return;
    }
    const std::optional<int32_t> pid = itemProcessId(item, pids);
    if (!pid)
        return;
    const auto app = state.allApps.value(*pid);
    if (!app)
        return;
    const int count = app->windows ? int(app->windows->size()) : 0;
    if (item.kind == DockBarItem::Kind::App && showsStacked(count, state.settings.stackAppLimit())) {
        paintStackAppButton(painter, item.iconRect, runningAppIcon(state, *pid));
        return;
    }
    const auto windows = app->sortAppWindows(state.settings.replaceFinder());
    const int index = item.kind == DockBarItem::Kind::Window ? item.windowIndex : 0;
    if (index < 0 || index >= int(windows.size())) {
        // An application without a usable window still shows its icon.
        paintIconFilling(painter, runningAppIcon(state, *pid), item.iconRect, true);
        return;
    }
    AppButtonLook look = appButtonLook(
        state, *windows[size_t(index)], view.hoveredWindow.get(), screen, count, scale, tags, false);
    look.targeting = dropTarget == pid && index == 0;
    paintAppButton(painter, buttonFrameIn(item, appButtonFrameSize(look)), look);
}

DockBarInput::DockBarInput(AppState& state, DockView& view)
    : QObject(&view)
    , m_state(state)
    , m_view(view)
{
    view.setAcceptDrops(true);
    view.installEventFilter(this);
}

std::optional<DockBarItem> DockBarInput::itemAt(const QPointF& position) const
{
    for (const DockBarItem& item : m_view.picture().items) {
        if (item.rect.contains(position))
            return item;
    }
    return std::nullopt;
}

void DockBarInput::setDropTarget(std::optional<int32_t> target)
{
    if (m_dropTarget == target)
        return;
    m_dropTarget = target;
    m_view.update();
}

bool DockBarInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_view)
        return false;
    const QString mimeType = QString::fromLatin1(kAppButtonMimeType);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        m_pressAt = mouse->position();
        m_pressedItem = itemAt(mouse->position());
        return false;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressAt || !m_pressedItem || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if ((mouse->position() - *m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return false;
        const std::optional<int32_t> pid = itemProcessId(*m_pressedItem, viewAppIds(m_view));
        const double iconSide = m_pressedItem->iconRect.width();
        m_pressAt.reset();
        m_pressedItem.reset();
        if (!pid)
            return false;
        auto* mime = new QMimeData;
        mime->setData(mimeType, appButtonDragPayload(*pid));
        QDrag drag(&m_view);
        drag.setMimeData(mime);
        const int side = std::max(16, int(iconSide));
        const QPixmap preview = appDragPreview(runningAppIcon(m_state, *pid), QSizeF(side, side));
        drag.setPixmap(preview);
        drag.setHotSpot(QPoint(preview.width() / 2, preview.height() / 2));
        qCDebug(lcDock) << "dragging application" << *pid;
        drag.exec(Qt::MoveAction);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const std::optional<DockBarItem> pressed = m_pressedItem;
        m_pressAt.reset();
        m_pressedItem.reset();
        if (mouse->button() != Qt::LeftButton || !pressed || pressed->kind != DockBarItem::Kind::App)
            return false;
        const std::optional<int32_t> pid = itemProcessId(*pressed, viewAppIds(m_view));
        const auto app = pid ? m_state.allApps.value(*pid) : nullptr;
        const int count = app && app->windows ? int(app->windows->size()) : 0;
        if (!app || !showsStacked(count, m_state.settings.stackAppLimit()))
            return false;
        // A stacked button opens the list of its windows; a second click closes it.
        if (m_windowList) {
            m_windowList->close();
            return true;
        }
        const QRect anchor(
            m_view.mapToGlobal(pressed->rect.topLeft().toPoint()), pressed->rect.size().toSize());
        m_windowList = openStackWindowList(m_state, *app, anchor, activateStackedWindow);
        qCDebug(lcDock) << "listing the windows of application" << *pid;
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!drag->mimeData()->hasFormat(mimeType)) {
            drag->ignore();
            return true;
        }
        const std::optional<DockBarItem> item = itemAt(drag->position());
        setDropTarget(item ? itemProcessId(*item, viewAppIds(m_view)) : std::nullopt);
        drag->acceptProposedAction();
        return true;
    }
    case QEvent::DragLeave:
        setDropTarget(std::nullopt);
        return false;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        setDropTarget(std::nullopt);
        const std::optional<DockBarItem> item = itemAt(drop->position());
        const std::optional<int32_t> dragged = acceptedAppDrop(m_state, drop->mimeData());
        const std::optional<int32_t> target = item ? itemProcessId(*item, viewAppIds(m_view)) : std::nullopt;
        if (!dragged.has_value() || !target.has_value()) {
            qCInfo(lcDock) << "drop refused: not an application of the bar dropped on one";
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const int32_t draggedPid = dragged.value();
        const int32_t targetPid = target.value();
        qCDebug(lcDock) << "moving application" << draggedPid << "next to" << targetPid;
        moveAppOrder(draggedPid, targetPid);
        return true;
    }
    default:
        return false;
    }
}

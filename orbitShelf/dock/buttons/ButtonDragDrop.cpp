#include "dock/buttons/ButtonDragDrop.h"

#include "platform/DockWindowHints.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockView.h"
#include "dock/buttons/AppButtonRules.h"
#include "dock/buttons/ButtonFacts.h"
#include "dock/drawing/DockIcons.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// A dragged icon as it follows the pointer: the icon with its shadow.
QPixmap appDragPreview(const QIcon& icon, const QSizeF& size)
{
    // Room for the shadow below and beside the icon.
    constexpr int margin = 6;
    QPixmap preview(QSizeF(size.width() + 2 * margin, size.height() + 2 * margin).toSize());
    preview.fill(Qt::transparent);
    QPainter painter(&preview);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Where nothing composites, Qt shapes the drag window by the picture's
    // mask and fills every partly transparent pixel: the soft shadow would
    // show as an opaque box around the icon.
    paintIconFilling(
        painter, icon, QRectF(QPointF(margin, margin), size), platform::dockTranslucencyAvailable());
    return preview;
}

// The dragged process id of a drop of our MIME type, when it is taken.
std::optional<int32_t> acceptedAppDrop(const AppState& state, const QMimeData* mime)
{
    const QString type = QString::fromLatin1(kAppButtonMimeType);
    std::optional<QByteArray> payload;
    if (mime && mime->hasFormat(type))
        payload = mime->data(type);
    return droppedProcessId(payload, state.allApps.keys());
}

// The application of each item of the picture the view shows now.
QList<int32_t> viewAppIds(const DockView& view)
{
    const std::vector<qint32>& ids = view.appIds();
    return QList<int32_t>(ids.begin(), ids.end());
}

} // namespace

std::optional<AppDropPlace> appDropPlace(
    const DockBarPicture& picture, const QList<int32_t>& pids, const QPointF& position)
{
    const bool vertical = picture.barRect.height() > picture.barRect.width();
    for (const DockBarItem& item : picture.items) {
        if (!item.rect.contains(position))
            continue;
        if (const std::optional<int32_t> pid = itemProcessId(item, pids)) {
            const bool leading
                = vertical ? position.y() < item.rect.center().y() : position.x() < item.rect.center().x();
            return AppDropPlace { *pid, leading };
        }
        switch (item.kind) {
        case DockBarItem::Kind::MainButton:
        case DockBarItem::Kind::Launchpad:
        case DockBarItem::Kind::Tool:
        case DockBarItem::Kind::PinnedApp:
            break;
        default:
            return std::nullopt;
        }
        // Ahead of the running applications: the first of them, wherever it is.
        for (const DockBarItem& later : picture.items)
            if (const std::optional<int32_t> pid = itemProcessId(later, pids))
                return AppDropPlace { *pid, true };
        return std::nullopt;
    }
    return std::nullopt;
}

ButtonDragDrop::ButtonDragDrop(AppState& state, DockView& view)
    : QObject(&view)
    , m_state(state)
    , m_view(view)
{
    view.setAcceptDrops(true);
    view.installEventFilter(this);
}

std::optional<DockBarItem> ButtonDragDrop::itemAt(const QPointF& position) const
{
    const DockBarItem* item = m_view.itemAt(position);
    return item ? std::optional(*item) : std::nullopt;
}

void ButtonDragDrop::setDropTarget(std::optional<int32_t> target)
{
    if (m_dropTarget == target)
        return;
    m_dropTarget = target;
    m_view.update();
}

bool ButtonDragDrop::eventFilter(QObject* watched, QEvent* event)
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
    case QEvent::MouseButtonRelease:
        // A press that ended without a drag was a click: the click router's.
        m_pressAt.reset();
        m_pressedItem.reset();
        return false;
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
        const std::optional<int32_t> dragged = acceptedAppDrop(m_state, drop->mimeData());
        const std::optional<AppDropPlace> place
            = appDropPlace(m_view.picture(), viewAppIds(m_view), drop->position());
        if (!dragged.has_value() || !place.has_value()) {
            qCInfo(lcDock) << "drop refused: not an application of the bar dropped on the bar's buttons";
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        const int32_t draggedPid = dragged.value();
        if (place->before) {
            qCDebug(lcDock) << "moving application" << draggedPid << "before" << place->target;
            moveAppOrderBefore(draggedPid, place->target);
        } else {
            qCDebug(lcDock) << "moving application" << draggedPid << "next to" << place->target;
            moveAppOrder(draggedPid, place->target);
        }
        return true;
    }
    default:
        return false;
    }
}

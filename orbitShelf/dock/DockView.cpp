#include "dock/DockView.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "dock/DockAutoHide.h"
#include "dock/DockDataRefresh.h"
#include "dock/DockEdges.h"
#include "dock/DockLayoutPass.h"
#include "platform/DockWindowHints.h"

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

// The tint of the panel: the dock colour text as one base-16 number, a
// fixed amber when it does not parse.
QColor dockTint(const QString& text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    const uint rgb = ok && !text.isEmpty() ? value : 0xF5BC53;
    return QColor(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
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
    applyInputRegion();
    update();
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
    QPainterPath panel;
    panel.addRoundedRect(m_picture.barRect, vertical ? 10 : 8, vertical ? 10 : 8);
    // The backdrop stands in for a blur: a dark, mostly opaque panel, with
    // the user's dock colour laid over it at 15 %.
    painter.fillPath(panel, QColor(28, 30, 34, 225));
    QColor tint = dockTint(m_state.settings.dockColor());
    tint.setAlphaF(0.15);
    painter.fillPath(panel, tint);

    for (const DockBarItem& item : m_picture.items) {
        QIcon icon;
        if (item.appIndex >= 0 && size_t(item.appIndex) < m_appIds.size()) {
            const std::shared_ptr<ActiveApp> app = m_state.allApps.value(m_appIds[size_t(item.appIndex)]);
            if (app)
                icon = app->icon;
        }
        if (!icon.isNull()) {
            icon.paint(&painter, item.iconRect.toAlignedRect());
        } else {
            QPainterPath placeholder;
            placeholder.addRoundedRect(item.iconRect, item.iconRect.width() / 5, item.iconRect.width() / 5);
            const QColor fill = item.kind == DockBarItem::Kind::MainButton ? QColor(90, 160, 230)
                : item.kind == DockBarItem::Kind::Launchpad                ? QColor(150, 150, 160)
                                                                           : QColor(200, 200, 210);
            painter.fillPath(placeholder, fill);
        }
        if (item.kind == DockBarItem::Kind::Window && item.rect.width() > item.iconRect.width() + 20) {
            // Room for the window's tag beside its icon.
            const QRectF chip(item.iconRect.right() + 4, item.rect.center().y() - 9,
                item.rect.right() - item.iconRect.right() - 10, 18);
            QPainterPath chipPath;
            chipPath.addRoundedRect(chip, 6, 6);
            QColor chipColour = dockTint(m_state.settings.dockColor());
            chipColour.setAlphaF(0.8);
            painter.fillPath(chipPath, chipColour);
        }
    }
}

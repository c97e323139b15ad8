#include "dock/AppButton.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/RunningApps.h"
#include "apps/Windows.h"
#include "dock/DockColors.h"
#include "dock/DockEdges.h"
#include "dock/DockIcons.h"
#include "dock/DockLog.h"
#include "dock/MapEntry.h"
#include "dock/WindowTagRules.h"

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

double contentWidth(const AppButtonLook& look)
{
    double width = look.showIcon ? appIconWidth(look.input) : 0;
    if (look.chip)
        width += look.chipLook.width;
    if (look.targeting)
        width += kDropHighlightWidth;
    return width;
}

double contentHeight(const AppButtonLook& look)
{
    double height = look.showIcon ? appIconHeight(look.input) : 0;
    if (look.chip)
        height = std::max(height, windowTagChipSize(look.chipLook).height());
    if (look.targeting)
        height = std::max(height, look.input.iconSize - 10);
    return height;
}

// The icon and chip side by side, centred in the frame.
QRectF contentRect(const QRectF& frame, const AppButtonLook& look)
{
    const double w = contentWidth(look);
    const double h = contentHeight(look);
    return QRectF(frame.center().x() - w / 2, frame.center().y() - h / 2, w, h);
}

void paintIndicator(QPainter& painter, const QPointF& centre, QColor colour, double glow)
{
    const QRectF bar(centre.x() - kIndicatorWidth / 2, centre.y() - kIndicatorHeight / 2, kIndicatorWidth,
        kIndicatorHeight);
    painter.save();
    // The glow: the bar's colour fading out over `glow` points.
    QColor halo = colour;
    const int rings = std::max(1, int(glow / 2));
    for (int i = rings; i >= 1; --i) {
        const double spread = glow * i / rings;
        halo.setAlphaF(colour.alphaF() * 0.5 / rings);
        QPainterPath ring;
        ring.addRoundedRect(bar.adjusted(-spread / 2, -spread / 4, spread / 2, spread / 4), 2, 2);
        painter.fillPath(ring, halo);
    }
    QPainterPath shape;
    shape.addRoundedRect(bar, 1.5, 1.5);
    painter.fillPath(shape, colour);
    QColor edge(0, 122, 255);
    edge.setAlphaF(colour.alpha() == 0 ? 0 : 0.3);
    painter.setPen(QPen(edge, 0.5));
    painter.drawPath(shape);
    painter.restore();
}

void paintDropHighlight(QPainter& painter, const QRectF& area, bool pinned)
{
    const QColor fill = pinned ? QColor(Qt::transparent) : QColor(Qt::white);
    painter.save();
    painter.fillRect(area, fill);
    QColor edge(0, 122, 255);
    edge.setAlphaF(0.8);
    painter.setPen(QPen(edge, 0.5));
    painter.drawRect(area.adjusted(0.25, 0.25, -0.25, -0.25));
    painter.restore();
}

} // namespace

AppButtonInput appButtonInput(const AppState& state, const Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned)
{
    AppButtonInput in;
    const auto app = state.allApps.value(window.appId.value_or(0));
    in.windowNumber = window.num;
    in.hoveredWindowNumber = hovered ? hovered->num : std::nullopt;
    in.order = window.order;
    in.hasTitle = window.title.has_value();
    in.windowCount = windowCount;
    in.buttonScale = buttonScale;
    in.enableWindowTag = enableWindowTag;
    in.isPinned = isPinned;
    in.appRunning = app != nullptr;
    in.appWindowCount = app && app->windows ? int(app->windows->size()) : 0;
    in.listMode = mapEntry(state.spaceListmode, screenID);
    in.screenWindowTagWidth = mapEntry(state.spaceWindowTagWidth, screenID);
    in.iconSize = state.appIcon.height();
    in.theme = buttonThemeFromText(state.settings.buttonTheme());
    in.dockVertical = isDockVertical(state, screenID);
    return in;
}

AppButtonLook appButtonLook(const AppState& state, Windows& window, const Windows* hovered,
    const QString& screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned)
{
    AppButtonLook look;
    look.input = appButtonInput(
        state, window, hovered, screenID, windowCount, buttonScale, enableWindowTag, isPinned);
    const AppButtonInput& in = look.input;
    look.showIcon = showIconOnAppear(in);
    look.scale = hoverScale(in);
    const uint32_t number = window.num.value_or(0);
    look.focused = state.focusedWindow.value(number, false);
    look.previous = state.previousAppWindow == number;
    look.openIndicator = colorFromHex(state.settings.openIndicatorColor(), kIndicatorFallbackColor);
    look.previousIndicator = colorFromHex(state.settings.previousIndicatorColor(), kIndicatorFallbackColor);
    if (isPinned) {
        look.openIndicator = Qt::transparent;
        look.previousIndicator = Qt::transparent;
    }
    look.icon = appButtonIcon(state, window, isPinned);

    ModelSettings& tags = appStateModelSettings();
    look.chip = showsWindowTagChip(in);
    look.overlay = overlayLabel(in);
    if (look.chip || look.overlay == OverlayLabel::DisplayTagOnTagColor) {
        const QString displayTag = window.displayTag(tags).value_or(QString());
        const QString tagColor = window.tagColorName(tags);
        if (look.chip) {
            look.chipLook.tag = displayTag;
            look.chipLook.width = windowTagWidth(in);
            look.chipLook.size = windowTagSize(in);
            look.chipLook.background
                = windowTagBackground(look.focused, tagColor, state.settings.dockColor());
            look.chipLook.textColor = windowTagTextColor(state.settings.dockTitleColor());
            look.chipLook.iconSize = in.iconSize;
        } else {
            look.overlayLook
                = { overlayTagColor(tagColor), true, displayTag, simpleTagWidth(in.iconSize, buttonScale) };
        }
    }
    if (look.overlay == OverlayLabel::TitleOnBlue)
        look.overlayLook = { overlayTitleColor(), true, window.title.value_or(QString()),
            simpleTagWidth(in.iconSize, buttonScale) };
    return look;
}

QSizeF appButtonFrameSize(const AppButtonLook& look)
{
    return QSizeF(appButtonWidth(look.input, look.showIcon), appIconHeight(look.input));
}

QRectF appButtonIconRect(const QRectF& frame, const AppButtonLook& look)
{
    if (!look.showIcon)
        return {};
    const QRectF content = contentRect(frame, look);
    const double h = appIconHeight(look.input);
    return QRectF(content.left(), content.center().y() - h / 2, appIconWidth(look.input), h);
}

QPointF appButtonIndicatorCentre(const QRectF& frame, const AppButtonLook& look)
{
    return contentRect(frame, look).center() + QPointF(indicatorOffset(look.input), kIndicatorDrop);
}

void paintAppButton(QPainter& painter, const QRectF& frame, const AppButtonLook& look)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const double scale = look.scale;
    if (scale != 1.0) {
        const QPointF c = frame.center();
        painter.translate(c);
        painter.scale(scale, scale);
        painter.translate(-c);
    }
    const QRectF content = contentRect(frame, look);
    double x = content.left();
    if (look.showIcon) {
        const QRectF icon = appButtonIconRect(frame, look);
        paintIconFilling(painter, look.icon, icon, true);
        x = icon.right();
    }
    if (look.chip) {
        const QSizeF size = windowTagChipSize(look.chipLook);
        paintWindowTag(
            painter, QRectF(QPointF(x, content.center().y() - size.height() / 2), size), look.chipLook);
        x += size.width();
    }
    if (look.targeting) {
        const double h = look.input.iconSize - 10;
        paintDropHighlight(
            painter, QRectF(x, content.center().y() - h / 2, kDropHighlightWidth, h), look.input.isPinned);
    }
    const QPointF indicator = appButtonIndicatorCentre(frame, look);
    if (look.previous)
        paintIndicator(painter, indicator, look.previousIndicator, kPreviousGlowRadius);
    if (look.focused)
        paintIndicator(painter, indicator, look.openIndicator, kFocusGlowRadius);
    if (look.overlay != OverlayLabel::None) {
        const double inset
            = look.overlay == OverlayLabel::DisplayTagOnTagColor ? kOverlayLabelBottomInset : 0;
        paintSimpleTag(painter, content, look.overlayLook, inset);
    }
    if (look.input.isPinned)
        paintPinStar(painter, QRectF(content.left() + 1, content.bottom() - 8 - 5, 5, 5));
    painter.restore();
}

QPixmap appDragPreview(const QIcon& icon, const QSizeF& size)
{
    // Room for the shadow below and beside the icon.
    constexpr int margin = 6;
    QPixmap preview(QSizeF(size.width() + 2 * margin, size.height() + 2 * margin).toSize());
    preview.fill(Qt::transparent);
    QPainter painter(&preview);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    paintIconFilling(painter, icon, QRectF(QPointF(margin, margin), size), true);
    return preview;
}

std::optional<int32_t> acceptedAppDrop(const AppState& state, const QMimeData* mime)
{
    const QString type = QString::fromLatin1(kAppButtonMimeType);
    std::optional<QByteArray> payload;
    if (mime && mime->hasFormat(type))
        payload = mime->data(type);
    return droppedProcessId(payload, state.allApps.keys());
}

AppButton::AppButton(AppState& state, std::shared_ptr<Windows> window, std::shared_ptr<Windows> hoveredWindow,
    QString screenID, int windowCount, double buttonScale, bool enableWindowTag, bool isPinned,
    QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_window(window ? std::move(window) : std::make_shared<Windows>())
    , m_hovered(std::move(hoveredWindow))
    , m_screenID(std::move(screenID))
    , m_windowCount(windowCount)
    , m_buttonScale(buttonScale)
    , m_enableWindowTag(enableWindowTag)
    , m_isPinned(isPinned)
    , m_mover([](int32_t dragged, int32_t target) { moveAppOrder(dragged, target); })
{
    setAttribute(Qt::WA_TranslucentBackground);
    // A pinned application that is not running has no order to change.
    setAcceptDrops(!m_isPinned);
    connect(&m_state, &AppState::changed, this, &AppButton::stateChanged);
    connect(&m_state, &AppState::titleChanged, this, [this](quint32 number) {
        if (m_window && m_window->num == number)
            stateChanged();
    });
    // 0.35 s at three times the speed.
    m_scaleAnimation = new QVariantAnimation(this);
    m_scaleAnimation->setDuration(117);
    m_scaleAnimation->setEasingCurve(QEasingCurve::Linear);
    connect(m_scaleAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shownScale = value.toDouble();
        update();
    });
    m_targetScale = m_shownScale = appButtonLook(m_state, *m_window, m_hovered.get(), m_screenID,
        m_windowCount, m_buttonScale, m_enableWindowTag, m_isPinned)
                                       .scale;
}

void AppButton::followHoverScale()
{
    const double target = appButtonLook(m_state, *m_window, m_hovered.get(), m_screenID, m_windowCount,
        m_buttonScale, m_enableWindowTag, m_isPinned)
                              .scale;
    if (target == m_targetScale)
        return;
    m_targetScale = target;
    m_scaleAnimation->stop();
    m_scaleAnimation->setStartValue(m_shownScale);
    m_scaleAnimation->setEndValue(target);
    m_scaleAnimation->start();
}

void AppButton::setHoveredWindow(std::shared_ptr<Windows> hovered)
{
    m_hovered = std::move(hovered);
    followHoverScale();
    update();
}

AppButtonLook AppButton::look() const
{
    AppButtonLook look = appButtonLook(m_state, *m_window, m_hovered.get(), m_screenID, m_windowCount,
        m_buttonScale, m_enableWindowTag, m_isPinned);
    look.showIcon = m_showIcon;
    look.targeting = m_targeting;
    look.scale = m_shownScale;
    return look;
}

QSize AppButton::sizeHint() const
{
    const AppButtonLook current = look();
    const QSizeF frame = appButtonFrameSize(current);
    const double height = m_expanded ? frame.height() : 2.0;
    return QSize(int(std::ceil(frame.width())), int(std::ceil(height)));
}

void AppButton::stateChanged()
{
    followHoverScale();
    updateGeometry();
    update();
}

void AppButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The bar's width is summed by the layout pass; a button adding itself
    // on every appearance would grow it with each redraw.
    if (!m_appeared) {
        m_appeared = true;
        AppButtonLook current = look();
        m_showIcon = showIconOnAppear(current.input);
        updateGeometry();
    }
}

void AppButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const AppButtonLook current = look();
    const QSizeF frame = appButtonFrameSize(current);
    const QRectF box(QPointF((width() - frame.width()) / 2, (height() - frame.height()) / 2), frame);
    paintAppButton(painter, box, current);
}

void AppButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressAt = event->position();
    }
    QWidget::mousePressEvent(event);
}

void AppButton::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || m_isPinned || !m_showIcon)
        return;
    if ((event->position() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressed = false;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kAppButtonMimeType), appButtonDragPayload(m_window->appId.value_or(0)));
    QDrag drag(this);
    drag.setMimeData(mime);
    const AppButtonLook current = look();
    const QSizeF iconSize(appIconWidth(current.input), appIconHeight(current.input));
    drag.setPixmap(appDragPreview(current.icon, iconSize));
    drag.exec(Qt::MoveAction);
}

void AppButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click
        = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void AppButton::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kAppButtonMimeType))) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_targeting = true;
    updateGeometry();
    update();
}

void AppButton::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(QString::fromLatin1(kAppButtonMimeType)))
        event->acceptProposedAction();
    else
        event->ignore();
}

void AppButton::dragLeaveEvent(QDragLeaveEvent* event)
{
    QWidget::dragLeaveEvent(event);
    m_targeting = false;
    updateGeometry();
    update();
}

void AppButton::dropEvent(QDropEvent* event)
{
    m_targeting = false;
    updateGeometry();
    update();
    if (dropApp(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool AppButton::dropApp(const QMimeData* mime)
{
    const std::optional<int32_t> dragged = acceptedAppDrop(m_state, mime);
    if (!dragged || m_isPinned) {
        qCInfo(lcDock) << "drop refused: not an application of the bar";
        return false;
    }
    m_mover(*dragged, m_window->appId.value_or(0));
    return true;
}

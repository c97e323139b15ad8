#include "switcher/FloatDockView.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/DockColors.h"
#include "switcher/SwitcherPopup.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr double kPadding = 20;
constexpr double kRowSpacing = 10;
constexpr double kCellSpacing = 8;
constexpr double kLabelPadding = 5;
constexpr double kIconSide = 80;
constexpr double kSmallIcon = 34;
constexpr uint32_t kFallbackColor = 0xF5BC53;

QColor dockTint()
{
    return colorFromHex(AppState::shared().settings.dockColor(), kFallbackColor);
}

QIcon appIcon(const Windows& window)
{
    const auto app = AppState::shared().allApps.value(window.appId.value_or(0));
    if (app && !app->icon.isNull())
        return app->icon;
    return QIcon::fromTheme(QStringLiteral("system-file-manager"));
}

QSizeF cellSize(const CellSize& cell, bool thumbnails)
{
    if (!thumbnails)
        return { kIconSide + 2 * kLabelPadding, kIconSide + 2 * kLabelPadding };
    return { cell.width + 10 + 2 * kLabelPadding, kSmallIcon + 4 + cell.height + 2 * kLabelPadding };
}

} // namespace

const QStringList& switcherHintTexts()
{
    static const QStringList texts { QCoreApplication::translate("FloatDockView", "Option + Tab"),
        QCoreApplication::translate("FloatDockView", "Option + `"),
        QCoreApplication::translate("FloatDockView", "Esc") };
    return texts;
}

bool switcherUsesThumbnails(bool disablePreview, bool capturePermitted)
{
    return !disablePreview && capturePermitted;
}

SwitcherLayout layoutSwitcher(
    const FloatDock& dock, const QSizeF& area, bool thumbnails, const QFontMetricsF& font)
{
    SwitcherLayout layout;
    layout.panel
        = QRectF((area.width() - dock.width) / 2, (area.height() - dock.height) / 2, dock.width, dock.height);
    const QSizeF cell = cellSize(dock.cellSize(), thumbnails);
    double y = layout.panel.top() + kPadding;
    for (const auto& row : dock.multiWindows) {
        double x = layout.panel.left() + kPadding;
        y += 2;
        for (const auto& window : row) {
            layout.cells.push_back({ window, QRectF(QPointF(x, y), cell),
                sameSwitcherWindow(window.get(), dock.currentWindow.get()) });
            x += cell.width() + kCellSpacing;
        }
        y += cell.height() + kRowSpacing;
    }
    double right = layout.panel.right() - kPadding;
    const double hintHeight = font.height() + 4;
    std::vector<QRectF> hints;
    for (auto it = switcherHintTexts().crbegin(); it != switcherHintTexts().crend(); ++it) {
        const double w = font.horizontalAdvance(*it) + 4;
        hints.insert(hints.begin(), QRectF(right - w, y, w, hintHeight));
        right -= w + kCellSpacing;
    }
    layout.hints = hints;
    return layout;
}

FloatDockView::FloatDockView(FloatDock& dock, QWidget* parent)
    : QWidget(parent)
    , m_dock(dock)
{
    connect(&dock, &FloatDock::changed, this, qOverload<>(&QWidget::update));
    connect(&AppState::shared(), &AppState::changed, this, qOverload<>(&QWidget::update));
}

void FloatDockView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Later cycles reuse the window and set up through "onInit".
    if (m_appeared)
        return;
    m_appeared = true;
    m_scroll = 0;
    m_dock.images = QMap<quint32, QImage> {};
    m_dock.setUp(switcherVisibleFrame());
}

void FloatDockView::paintEvent(QPaintEvent*)
{
    const AppState& state = AppState::shared();
    const bool thumbnails
        = switcherUsesThumbnails(state.settings.disablePreview(), FloatDock::capturePermitted());
    const SwitcherLayout layout = layoutSwitcher(m_dock, size(), thumbnails, QFontMetricsF(font()));
    const QColor tint = dockTint();

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath panel;
    panel.addRoundedRect(layout.panel, 10, 10);
    // The bar's tint over a dark translucent ground stands in for blur.
    painter.fillPath(panel, QColor(30, 30, 30, 200));
    QColor wash = tint;
    wash.setAlphaF(0.05);
    painter.fillPath(panel, wash);
    painter.setClipPath(panel);
    painter.translate(0, -m_scroll);

    QColor highlight = tint;
    highlight.setAlphaF(0.45);
    const CellSize cell = m_dock.cellSize();
    for (const auto& c : layout.cells) {
        const Windows& window = *c.window;
        QPainterPath shape;
        shape.addRoundedRect(c.frame, 4, 4);
        if (c.selected)
            painter.fillPath(shape, thumbnails ? highlight : QColor(Qt::blue));
        const QRectF inner = c.frame.adjusted(kLabelPadding, kLabelPadding, -kLabelPadding, -kLabelPadding);
        const QIcon icon = appIcon(window);
        if (!thumbnails) {
            icon.paint(&painter, inner.toRect());
            continue;
        }
        const QRectF header(inner.topLeft(), QSizeF(inner.width(), kSmallIcon));
        icon.paint(&painter, QRectF(header.topLeft(), QSizeF(kSmallIcon, kSmallIcon)).toRect());
        painter.setPen(Qt::white);
        painter.drawText(header.adjusted(kSmallIcon + 6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
            switcherShortTitle(window.title.value_or(QString()), state.totalAppCount));
        const QRectF picture(inner.left(), header.bottom() + 4, inner.width(), cell.height);
        const quint32 key = window.num.value_or(0);
        if (m_dock.images && m_dock.images->contains(key)) {
            const QRectF frame(picture.left() + 5, picture.top(), cell.width, cell.height);
            painter.fillRect(frame.translated(0, 2), QColor(0, 0, 0, 84));
            painter.drawImage(frame, m_dock.images->value(key));
        } else {
            icon.paint(&painter, picture.toRect());
        }
    }

    QColor stroke = tint;
    stroke.setAlphaF(0.45);
    for (std::size_t i = 0; i < layout.hints.size(); ++i) {
        painter.setPen(QPen(stroke, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(layout.hints[i], 4, 4);
        painter.setPen(Qt::white);
        painter.drawText(layout.hints[i], Qt::AlignCenter, switcherHintTexts().at(int(i)));
    }
}

void FloatDockView::mousePressEvent(QMouseEvent* event)
{
    const AppState& state = AppState::shared();
    const bool thumbnails
        = switcherUsesThumbnails(state.settings.disablePreview(), FloatDock::capturePermitted());
    const SwitcherLayout layout = layoutSwitcher(m_dock, size(), thumbnails, QFontMetricsF(font()));
    const QPointF at = event->position() + QPointF(0, m_scroll);
    for (const auto& c : layout.cells) {
        if (c.frame.contains(at)) {
            m_dock.selectWindow(c.window);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}

void FloatDockView::wheelEvent(QWheelEvent* event)
{
    const AppState& state = AppState::shared();
    const bool thumbnails
        = switcherUsesThumbnails(state.settings.disablePreview(), FloatDock::capturePermitted());
    const SwitcherLayout layout = layoutSwitcher(m_dock, size(), thumbnails, QFontMetricsF(font()));
    const double bottom
        = layout.hints.empty() ? layout.panel.bottom() : layout.hints.front().bottom() + kPadding;
    const double overflow = std::max(0.0, bottom - layout.panel.bottom());
    m_scroll = std::clamp(m_scroll - event->angleDelta().y() / 4.0, 0.0, overflow);
    update();
}

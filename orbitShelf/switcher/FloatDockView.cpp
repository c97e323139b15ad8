#include "switcher/FloatDockView.h"

#include "state/AppState.h"
#include "state/KeyNames.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/drawing/DockColors.h"
#include "platform/KeyCodes.h"
#include "switcher/SwitcherPopup.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

Q_LOGGING_CATEGORY(lcLayout, "orbitshelf.switcher.layout")

namespace {

QString rectText(const QRectF& r)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(r.x(), 0, 'f', 1)
        .arg(r.y(), 0, 'f', 1)
        .arg(r.width(), 0, 'f', 1)
        .arg(r.height(), 0, 'f', 1);
}

constexpr double kPadding = 20;
constexpr double kRowSpacing = 10;
constexpr double kCellSpacing = 8;
constexpr double kLabelPadding = 5;
// Around a thumbnail cell's contents: the picture keeps its kept size, so
// painting it is a plain copy.
constexpr double kThumbPadding = 3;
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
    // Inside the row's budget of cell width + 10, with 4 between cells.
    return { cell.width + 2 * kThumbPadding, kSmallIcon + 4 + cell.height + 2 * kThumbPadding };
}

} // namespace

const QStringList& switcherHintTexts()
{
    // With the modifier the switcher was opened with. One list, changed only
    // when the choice changed: callers walk it by reference.
    static QStringList texts;
    const quint64 flags
        = fixedHotKeyFlags(FixedHotKey::Tab, AppState::shared().settings.shortcutOptionForOpenFloatWindow())
              .value_or(platform::appkit::option);
    const QStringList now { keyComboText(platform::keycode::tab, flags),
        keyComboText(platform::keycode::grave, flags), keyNameText(platform::keycode::escape) };
    if (texts != now)
        texts = now;
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
    // A row holds as many cells as the model budgeted (cell width + 10 each);
    // the cell is drawn inside that pitch. When the rows, the hints and the
    // margins need more room than the panel has, everything is scaled down
    // alike, so no cell and no hint is ever cut at the panel's edge.
    const CellSize model = dock.cellSize();
    const QSizeF natural = cellSize(model, thumbnails);
    const double pitch = std::max(natural.width() + 4, model.width + 10);
    std::size_t longest = 0;
    for (const auto& row : dock.multiWindows)
        longest = std::max(longest, row.size());
    const double rows = double(dock.multiWindows.size());
    const double hintHeight = font.height() + 4;
    const double availableWidth = layout.panel.width() - 2 * kPadding;
    const double availableHeight = layout.panel.height() - 3 * kPadding - hintHeight;
    double scale = 1;
    if (longest > 0)
        scale = std::min(scale, availableWidth / (double(longest) * pitch));
    if (rows > 0)
        scale = std::min(scale, availableHeight / (rows * (natural.height() + kRowSpacing)));
    scale = std::max(scale, 0.05);
    const QSizeF cell = natural * scale;
    const double step = pitch * scale;
    double y = layout.panel.top() + kPadding;
    for (const auto& row : dock.multiWindows) {
        double x = layout.panel.left() + (layout.panel.width() - double(row.size()) * step) / 2
            + (step - cell.width()) / 2;
        if (row.size() < longest) // short rows start where the full ones do
            x = layout.panel.left() + (layout.panel.width() - double(longest) * step) / 2
                + (step - cell.width()) / 2;
        for (const auto& window : row) {
            // Whole pixels: a picture drawn at its own size is then copied.
            layout.cells.push_back({ window, QRectF(QPointF(std::round(x), std::round(y)), cell),
                sameSwitcherWindow(window.get(), dock.currentWindow.get()) });
            x += step;
        }
        y += cell.height() + kRowSpacing * scale;
    }
    y = std::max(y, layout.panel.top() + kPadding);
    double right = layout.panel.right() - kPadding;
    std::vector<QRectF> hints;
    for (auto it = switcherHintTexts().crbegin(); it != switcherHintTexts().crend(); ++it) {
        const double w = font.horizontalAdvance(*it) + 4;
        hints.insert(hints.begin(), QRectF(right - w, y + kPadding / 2, w, hintHeight));
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
    // Titles are drawn over the pictures only; the grid reads them from the
    // model's windows when it paints, so a closed switcher has nothing to do.
    connect(&AppState::shared(), &AppState::titleChanged, this, [this](quint32 number) {
        const AppState& state = AppState::shared();
        if (!isVisible()
            || !switcherUsesThumbnails(state.settings.disablePreview(), FloatDock::capturePermitted()))
            return;
        for (const auto& row : m_dock.multiWindows)
            for (const auto& window : row)
                if (window && window->num == number) {
                    update();
                    return;
                }
    });
}

void FloatDockView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The window sets the content up before it shows it.
    m_scroll = 0;
}

void FloatDockView::paintEvent(QPaintEvent*)
{
    const AppState& state = AppState::shared();
    const bool thumbnails
        = switcherUsesThumbnails(state.settings.disablePreview(), FloatDock::capturePermitted());
    const SwitcherLayout layout = layoutSwitcher(m_dock, size(), thumbnails, QFontMetricsF(font()));
    const QColor tint = dockTint();
    if (lcLayout().isDebugEnabled()) {
        // One cell a line: log lines are cut at 300 characters.
        QStringList hints;
        for (const QRectF& r : layout.hints)
            hints << rectText(r);
        qCDebug(lcLayout).noquote() << "layout panel" << rectText(layout.panel) << "cells"
                                    << layout.cells.size() << "hints" << hints.join(QLatin1Char(';'));
        for (const auto& c : layout.cells)
            qCDebug(lcLayout).noquote() << "layout cell" << rectText(c.frame);
    }

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
    // Cells scaled down to fit many windows take their titles' letters
    // down with them, though not below what stays readable.
    const QFont hintFont = painter.font();
    if (thumbnails && !layout.cells.empty()) {
        const double scale = layout.cells.front().frame.width() / cellSize(m_dock.cellSize(), true).width();
        if (scale < 1) {
            QFont smaller = painter.font();
            smaller.setPointSizeF(smaller.pointSizeF() * std::max(0.7, scale));
            painter.setFont(smaller);
        }
    }
    const QFontMetricsF titleMetrics(painter.font());
    for (const auto& c : layout.cells) {
        const Windows& window = *c.window;
        QPainterPath shape;
        shape.addRoundedRect(c.frame, 4, 4);
        if (c.selected)
            painter.fillPath(shape, thumbnails ? highlight : QColor(Qt::blue));
        const QIcon icon = appIcon(window);
        if (!thumbnails) {
            icon.paint(&painter,
                c.frame.adjusted(kLabelPadding, kLabelPadding, -kLabelPadding, -kLabelPadding).toRect());
            continue;
        }
        // Everything in the proportions of the cell as laid out, so a
        // scaled-down cell keeps them.
        const double scale = c.frame.width() / cellSize(m_dock.cellSize(), true).width();
        const double pad = kThumbPadding * scale;
        const QRectF inner = c.frame.adjusted(pad, pad, -pad, -pad);
        const double small = kSmallIcon * scale;
        const QRectF header(inner.topLeft(), QSizeF(inner.width(), small));
        icon.paint(&painter, QRectF(header.topLeft(), QSizeF(small, small)).toRect());
        painter.setPen(Qt::white);
        // Never cut mid-letter at the cell's edge: what does not fit ends
        // in an ellipsis.
        const QRectF titleRect = header.adjusted(small + 6, 0, 0, 0);
        painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
            titleMetrics.elidedText(switcherShortTitle(window.title.value_or(QString()), state.totalAppCount),
                Qt::ElideRight, titleRect.width()));
        const QRectF picture(inner.left(), header.bottom() + 4 * scale, inner.width(),
            inner.bottom() - header.bottom() - 4 * scale);
        const quint32 key = window.num.value_or(0);
        if (m_dock.images && m_dock.images->contains(key)) {
            painter.fillRect(picture.translated(0, 2), QColor(0, 0, 0, 84));
            painter.drawImage(picture, m_dock.images->value(key));
        } else {
            icon.paint(&painter, picture.toRect());
        }
    }

    painter.setFont(hintFont);
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

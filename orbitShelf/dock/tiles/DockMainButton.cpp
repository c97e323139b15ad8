#include "dock/tiles/DockMainButton.h"

#include "dock/drawing/KeptLayer.h"
#include "dock/layout/PopUpPlacement.h"
#include "tools/SettingView.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

void shadeAndClipMainButtonLabel(QPainter& painter, const QRectF& label)
{
    for (int ring = 2; ring >= 1; --ring) {
        QPainterPath shade;
        shade.addRoundedRect(label.translated(0, 2).adjusted(-ring, -ring, ring, ring), 10 + ring, 10 + ring);
        painter.fillPath(shade, QColor(0, 0, 0, int(0.33 * 255 / 2)));
    }
    QPainterPath clip;
    clip.addRoundedRect(label, 10, 10);
    painter.setClipPath(clip);
}

namespace {

// Between the popover and its button.
constexpr double hubGap = 8;

void drawMainButtonLabel(QPainter& painter, const QRectF& label, const QImage& image)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    shadeAndClipMainButtonLabel(painter, label);
    if (!image.isNull()) {
        // Fill: the picture covers the label and keeps its aspect.
        const QSizeF drawn = QSizeF(image.size()).scaled(label.size(), Qt::KeepAspectRatioByExpanding);
        QRectF target(QPointF(0, 0), drawn);
        target.moveCenter(label.center());
        painter.drawImage(target, image);
    } else {
        painter.fillRect(label, QColor(90, 160, 230));
    }
    painter.restore();
}

// The label as last drawn: a repaint of the bar (every activation repaints
// the buttons) copies it instead of blurring, clipping and scaling again.
struct LabelPicture {
    QSizeF size;
    QPointF offset; // of the label within its whole pixels
    qint64 imageKey = 0;
    QImage picture;
};

} // namespace

QRectF mainButtonLabelReach(const QRectF& button, const QSizeF& labelSize)
{
    if (labelSize.isEmpty())
        return {};
    QRectF label(QPointF(0, 0), labelSize);
    label.moveCenter(button.center());
    // The shade rings reach 2 px around the label and 2 px below it.
    return label.adjusted(-3, -3, 3, 5);
}

void paintMainButtonLabel(
    QPainter& painter, const QRectF& button, const QSizeF& labelSize, const QImage& image)
{
    if (labelSize.isEmpty())
        return;
    QRectF label(QPointF(0, 0), labelSize);
    label.moveCenter(button.center());
    if (!copiesAtWholePixels(painter)) {
        drawMainButtonLabel(painter, label, image);
        return;
    }
    static LabelPicture cached;
    const QRectF reach = mainButtonLabelReach(button, labelSize);
    const QPointF origin = keptLayerOrigin(reach);
    const QPointF offset = label.topLeft() - origin;
    if (cached.picture.isNull() || cached.size != labelSize || cached.offset != offset
        || cached.imageKey != image.cacheKey()) {
        cached.size = labelSize;
        cached.offset = offset;
        cached.imageKey = image.cacheKey();
        cached.picture
            = drawKeptLayer(reach, [&](QPainter& layer) { drawMainButtonLabel(layer, label, image); });
    }
    // A picture kept from another place with the same part-pixel offset
    // is the same picture.
    painter.drawImage(origin, cached.picture);
}

QPointF toolHubPopoverOrigin(const QRectF& button, const QSizeF& popover, const QString& position)
{
    if (position == QLatin1String("left"))
        return QPointF(button.right() + hubGap, button.center().y() - popover.height() / 2);
    if (position == QLatin1String("right"))
        return QPointF(button.left() - hubGap - popover.width(), button.center().y() - popover.height() / 2);
    return QPointF(button.center().x() - popover.width() / 2, button.top() - hubGap - popover.height());
}

QRectF toolHubPopoverFrame(const QRectF& button, const QSizeF& popover, const QSizeF& minimum,
    const QString& position, const QRectF& free)
{
    const QRectF frame(toolHubPopoverOrigin(button, popover, position), popover);
    return fittedInside(frame, roomBeside(free, button, position, hubGap), minimum);
}

std::unique_ptr<QWidget> toolHubPopoverContent(AppState& state)
{
    auto content = std::make_unique<QWidget>();
    content->setAutoFillBackground(true);
    QPalette colours = content->palette();
    colours.setColor(QPalette::Window, QColor(0x1e, 0x27, 0x2e));
    content->setPalette(colours);
    auto* layout = new QVBoxLayout(content.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeSettingView(state));
    return content;
}

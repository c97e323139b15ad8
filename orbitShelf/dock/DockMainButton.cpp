#include "dock/DockMainButton.h"

#include "tools/SettingView.h"

#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>

QSizeF mainButtonLabelSize(double iconWidth, double iconHeight, double buttonScale, double inset)
{
    return QSizeF(
        std::max(0.0, iconWidth - buttonScale - inset), std::max(0.0, iconHeight - buttonScale - inset));
}

void paintMainButtonLabel(
    QPainter& painter, const QRectF& button, const QSizeF& labelSize, const QImage& image)
{
    if (labelSize.isEmpty())
        return;
    QRectF label(QPointF(0, 0), labelSize);
    label.moveCenter(button.center());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int ring = 2; ring >= 1; --ring) {
        QPainterPath shade;
        shade.addRoundedRect(label.translated(0, 2).adjusted(-ring, -ring, ring, ring), 10 + ring, 10 + ring);
        painter.fillPath(shade, QColor(0, 0, 0, int(0.33 * 255 / 2)));
    }
    QPainterPath clip;
    clip.addRoundedRect(label, 10, 10);
    painter.setClipPath(clip);
    if (!image.isNull()) {
        // Fill: the picture covers the label and keeps its aspect.
        const QSizeF drawn = QSizeF(image.size()).scaled(labelSize, Qt::KeepAspectRatioByExpanding);
        QRectF target(QPointF(0, 0), drawn);
        target.moveCenter(label.center());
        painter.drawImage(target, image);
    } else {
        painter.fillRect(label, QColor(90, 160, 230));
    }
    painter.restore();
}

QPointF toolHubPopoverOrigin(const QRectF& button, const QSizeF& popover, const QString& position)
{
    constexpr double gap = 8;
    if (position == QLatin1String("left"))
        return QPointF(button.right() + gap, button.center().y() - popover.height() / 2);
    if (position == QLatin1String("right"))
        return QPointF(button.left() - gap - popover.width(), button.center().y() - popover.height() / 2);
    return QPointF(button.center().x() - popover.width() / 2, button.top() - gap - popover.height());
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

#include "network/NewUpdateTag.h"

#include <QGraphicsDropShadowEffect>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage newUpdatorArtwork(const QSize& size, qreal devicePixelRatio)
{
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    QLinearGradient gradient(r.topLeft(), r.bottomRight());
    gradient.setColorAt(0, QColor(0xff, 0x9f, 0x43));
    gradient.setColorAt(1, QColor(0xee, 0x52, 0x53));
    painter.fillRect(r, gradient);

    // An up arrow in the upper half, "NEW" below it.
    const qreal w = r.width();
    const qreal h = r.height();
    QPainterPath arrow;
    arrow.moveTo(w * 0.5, h * 0.12);
    arrow.lineTo(w * 0.68, h * 0.34);
    arrow.lineTo(w * 0.57, h * 0.34);
    arrow.lineTo(w * 0.57, h * 0.5);
    arrow.lineTo(w * 0.43, h * 0.5);
    arrow.lineTo(w * 0.43, h * 0.34);
    arrow.lineTo(w * 0.32, h * 0.34);
    arrow.closeSubpath();
    painter.fillPath(arrow, Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qMax(1, qRound(h * 0.3)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(0, h * 0.52, w, h * 0.42), Qt::AlignCenter, QStringLiteral("NEW"));
    return image;
}

NewUpdateTag::NewUpdateTag(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(tagSize);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.33));
    shadow->setBlurRadius(4);
    shadow->setOffset(0, 2);
    setGraphicsEffect(shadow);
}

void NewUpdateTag::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.setClipPath(clip);
    painter.drawImage(rect(), newUpdatorArtwork(size(), devicePixelRatioF()));
}

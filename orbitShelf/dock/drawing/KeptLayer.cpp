#include "dock/drawing/KeptLayer.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>

#include <cmath>

bool copiesAtWholePixels(const QPainter& painter)
{
    const QTransform& device = painter.deviceTransform();
    return device.type() <= QTransform::TxTranslate && device.dx() == std::floor(device.dx())
        && device.dy() == std::floor(device.dy())
        && (!painter.device() || painter.device()->devicePixelRatioF() == 1.0) && painter.opacity() == 1.0
        && painter.compositionMode() == QPainter::CompositionMode_SourceOver;
}

QPointF keptLayerOrigin(const QRectF& reach)
{
    return QPointF(std::floor(reach.left()), std::floor(reach.top()));
}

QImage drawKeptLayer(const QRectF& reach, const std::function<void(QPainter&)>& draw)
{
    const QPointF origin = keptLayerOrigin(reach);
    QImage picture(
        QSize(int(std::ceil(reach.right() - origin.x())), int(std::ceil(reach.bottom() - origin.y()))),
        QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.translate(-origin);
    draw(painter);
    return picture;
}

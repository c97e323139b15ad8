#include "tools/ToolArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace {

QImage blank(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void paintFolder(QPainter& painter, const QRectF& box, const QColor& back, const QColor& front)
{
    const qreal w = box.width();
    const qreal h = box.height();
    QPainterPath tab;
    tab.addRoundedRect(QRectF(box.left(), box.top() + h * 0.12, w * 0.45, h * 0.25), w * 0.05, w * 0.05);
    painter.fillPath(tab, back);
    QPainterPath body;
    body.addRoundedRect(QRectF(box.left(), box.top() + h * 0.22, w, h * 0.66), w * 0.08, w * 0.08);
    painter.fillPath(body, front);
}

} // namespace

QImage directoryImage(int side)
{
    QImage image = blank(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFolder(painter, QRectF(0, 0, side, side), QColor(62, 138, 214), QColor(96, 170, 240));
    return image;
}

QImage finderImage(int side)
{
    QImage image = blank(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(side * 0.05, side * 0.05, side * 0.9, side * 0.9);
    QPainterPath face;
    face.addRoundedRect(box, side * 0.2, side * 0.2);
    painter.fillPath(face, QColor(70, 150, 230));
    // The face's lighter half and a smile: an application without its icon.
    painter.save();
    painter.setClipRect(QRectF(box.center().x(), box.top(), box.width() / 2, box.height()));
    painter.fillPath(face, QColor(200, 228, 250));
    painter.restore();
    QPen pen(QColor(20, 40, 70), qMax(1.0, side * 0.05), Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(side * 0.35, side * 0.32), QPointF(side * 0.35, side * 0.45));
    painter.drawLine(QPointF(side * 0.65, side * 0.32), QPointF(side * 0.65, side * 0.45));
    painter.drawArc(QRectF(side * 0.25, side * 0.45, side * 0.5, side * 0.3), 200 * 16, 140 * 16);
    return image;
}

QColor starColor(bool favourite)
{
    return favourite ? QColor(Qt::yellow) : QColor(Qt::gray);
}

void paintStar(QPainter& painter, const QRectF& box, const QColor& color)
{
    const QPointF centre = box.center();
    const qreal outer = qMin(box.width(), box.height()) / 2;
    const qreal inner = outer * 0.45;
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? outer : inner;
        const qreal angle = qDegreesToRadians(-90.0 + i * 36.0);
        const QPointF point(centre.x() + radius * qCos(angle), centre.y() + radius * qSin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(star, color);
    painter.restore();
}

QIcon sidebarFolderIcon(bool home)
{
    const QIcon themed = QIcon::fromTheme(home ? QStringLiteral("user-home") : QStringLiteral("folder"));
    if (!themed.isNull())
        return themed;
    QImage image = blank(32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintFolder(painter, QRectF(2, 2, 28, 28), QColor(200, 200, 200),
        home ? QColor(Qt::white) : QColor(230, 230, 230));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}

QIcon genericFileIcon()
{
    QImage image = blank(32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(7, 2);
    page.lineTo(19, 2);
    page.lineTo(26, 9);
    page.lineTo(26, 30);
    page.lineTo(7, 30);
    page.closeSubpath();
    painter.fillPath(page, QColor(235, 235, 235));
    QPainterPath fold;
    fold.moveTo(19, 2);
    fold.lineTo(19, 9);
    fold.lineTo(26, 9);
    fold.closeSubpath();
    painter.fillPath(fold, QColor(180, 180, 180));
    painter.end();
    return QIcon(QPixmap::fromImage(image));
}

QImage todoImage(int side, const QColor& color)
{
    QImage image = blank(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = side / 18.0;
    QPen pen(color, 1.4 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);
    for (int line = 0; line < 3; ++line) {
        const qreal y = (3.5 + line * 5.5) * unit;
        const QRectF box(1.5 * unit, y - 2 * unit, 4 * unit, 4 * unit);
        painter.drawRoundedRect(box, unit, unit);
        if (line < 2)
            painter.drawPolyline(QPolygonF { QPointF(box.left() + 0.8 * unit, y),
                QPointF(box.left() + 1.8 * unit, y + 1.1 * unit),
                QPointF(box.right() - 0.6 * unit, y - 1.2 * unit) });
        painter.drawLine(QPointF(8 * unit, y), QPointF(16.5 * unit, y));
    }
    return image;
}

QImage pinImage(int side, const QColor& color)
{
    QImage image = blank(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = side / 24.0;
    // Drawn upright on a 24-unit grid, then leaned 45 degrees about the
    // centre, as a pin stuck in at a slant.
    painter.translate(side / 2.0, side / 2.0);
    painter.rotate(45);
    painter.translate(-12 * unit, -12 * unit);
    QPainterPath head;
    head.addRoundedRect(QRectF(7.5 * unit, 1.5 * unit, 9 * unit, 3 * unit), unit, unit);
    QPainterPath body;
    body.moveTo(9.5 * unit, 4.5 * unit);
    body.lineTo(14.5 * unit, 4.5 * unit);
    body.lineTo(15.5 * unit, 11 * unit);
    body.lineTo(8.5 * unit, 11 * unit);
    body.closeSubpath();
    QPainterPath collar;
    collar.addRoundedRect(QRectF(5.5 * unit, 11 * unit, 13 * unit, 2.5 * unit), unit, unit);
    painter.fillPath(head.united(body).united(collar), color);
    painter.setPen(QPen(color, 1.6 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(12 * unit, 13.5 * unit), QPointF(12 * unit, 22.5 * unit));
    return image;
}

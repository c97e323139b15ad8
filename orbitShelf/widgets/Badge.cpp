#include "widgets/Badge.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

QString Badge::text() const
{
    return count.size() < 3 ? count : QStringLiteral("9+");
}

int Badge::pixelSize() const
{
    switch (count.size()) {
    case 1:
        return 10;
    case 2:
        return 9;
    default:
        return 8;
    }
}

QFont Badge::font() const
{
    QFont font = QApplication::font();
    font.setWeight(QFont::Normal);
    font.setPixelSize(pixelSize());
    return font;
}

QRectF Badge::rect(const QRectF& area) const
{
    if (!isShown())
        return {};
    const QFontMetricsF metrics(font());
    // Whole pixels, so that the red block has crisp edges.
    const qreal width = std::ceil(metrics.horizontalAdvance(text())) + 2 * padding;
    const qreal height = std::ceil(metrics.height()) + 2 * padding;
    const qreal right = area.x() + area.width();
    const qreal bottom = area.y() + overlap;
    return QRectF(right - width, bottom - height, width, height);
}

void Badge::paint(QPainter& painter, const QRectF& area) const
{
    if (!isShown())
        return;
    const QRectF box = rect(area);
    painter.save();
    painter.fillRect(box, Qt::red);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(box, Qt::AlignCenter, text());
    painter.restore();
}

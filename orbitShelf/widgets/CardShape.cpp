#include "widgets/CardShape.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <vector>

QRegion cardShape(const QSize& size, qreal radius)
{
    const QRect whole(QPoint(0, 0), size);
    if (radius <= 0 || size.isEmpty())
        return QRegion(whole);
    // Read from the card painted as its view paints it, antialiased: a
    // polygon of its outline cuts pixels at the arcs that the card covers.
    QImage card(size, QImage::Format_ARGB32_Premultiplied);
    card.fill(Qt::transparent);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(whole), radius, radius);
    painter.fillPath(outline, Qt::black);
    painter.end();
    // One span a row, from its first touched pixel to its last; rows alike
    // are one rectangle.
    std::vector<QRect> rows;
    for (int y = 0; y < size.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(card.constScanLine(y));
        int left = 0;
        while (left < size.width() && qAlpha(line[left]) == 0)
            ++left;
        int right = size.width() - 1;
        while (right > left && qAlpha(line[right]) == 0)
            --right;
        if (left >= size.width())
            continue;
        if (!rows.empty() && rows.back().bottom() == y - 1 && rows.back().left() == left
            && rows.back().right() == right)
            rows.back().setBottom(y);
        else
            rows.emplace_back(QPoint(left, y), QPoint(right, y));
    }
    QRegion shape;
    shape.setRects(rows.data(), int(rows.size()));
    return shape;
}

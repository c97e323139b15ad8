#include "widgets/RoundedCornersShape.h"

QPainterPath RoundedCornersShape::path(const QRectF& rect) const
{
    const qreal r = radius > 0 ? radius : 0;
    const qreal minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();
    auto rounded = [&](RectCorner corner) { return r > 0 && corners.testFlag(corner); };
    const qreal d = 2 * r;

    // Walks clockwise (on screen) from the top of the left edge; each chosen
    // corner is a quarter circle whose ends sit r away from the corner.
    QPainterPath path;
    path.moveTo(minX, rounded(RectCorner::topLeft) ? minY + r : minY);
    if (rounded(RectCorner::topLeft))
        path.arcTo(QRectF(minX, minY, d, d), 180, -90);
    path.lineTo(rounded(RectCorner::topRight) ? maxX - r : maxX, minY);
    if (rounded(RectCorner::topRight))
        path.arcTo(QRectF(maxX - d, minY, d, d), 90, -90);
    path.lineTo(maxX, rounded(RectCorner::bottomRight) ? maxY - r : maxY);
    if (rounded(RectCorner::bottomRight))
        path.arcTo(QRectF(maxX - d, maxY - d, d, d), 0, -90);
    path.lineTo(rounded(RectCorner::bottomLeft) ? minX + r : minX, maxY);
    if (rounded(RectCorner::bottomLeft))
        path.arcTo(QRectF(minX, maxY - d, d, d), 270, -90);
    path.closeSubpath();
    return path;
}

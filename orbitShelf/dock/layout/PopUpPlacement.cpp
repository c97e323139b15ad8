#include "dock/layout/PopUpPlacement.h"

#include <algorithm>

namespace {

// One axis of fittedInside: the start and length of [start, start + length)
// fitted to [low, high).
std::pair<double, double> fittedSpan(double start, double length, double low, double high, double minimum)
{
    if (length > high - low)
        return { low, std::min(length, std::max(high - low, minimum)) };
    return { std::clamp(start, low, high - length), length };
}

} // namespace

QRectF keptInside(const QRectF& rect, const QRectF& within)
{
    return fittedInside(rect, within, rect.size());
}

QRectF fittedInside(const QRectF& rect, const QRectF& within, const QSizeF& minimum)
{
    if (within.isEmpty())
        return rect;
    const auto [x, width]
        = fittedSpan(rect.x(), rect.width(), within.left(), within.right(), minimum.width());
    const auto [y, height]
        = fittedSpan(rect.y(), rect.height(), within.top(), within.bottom(), minimum.height());
    return QRectF(x, y, width, height);
}

QRectF roomBeside(const QRectF& free, const QRectF& anchor, const QString& edge, double gap)
{
    QRectF room = free;
    if (edge == QLatin1String("left"))
        room.setLeft(anchor.right() + gap);
    else if (edge == QLatin1String("right"))
        room.setRight(anchor.left() - gap);
    else if (edge == QLatin1String("top"))
        room.setTop(anchor.bottom() + gap);
    else
        room.setBottom(anchor.top() - gap);
    return room;
}

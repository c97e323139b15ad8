#include "platform/PanelReserve.h"

#include <algorithm>

namespace platform {

namespace {

    using Side = ReservedEdge::Side;

    // The strip `edge` keeps, root coordinates.
    QRect strip(const ReservedEdge& edge, const QSize& root)
    {
        const int length = edge.end - edge.start + 1;
        switch (edge.side) {
        case Side::left:
            return QRect(0, edge.start, edge.thickness, length);
        case Side::right:
            return QRect(root.width() - edge.thickness, edge.start, edge.thickness, length);
        case Side::top:
            return QRect(edge.start, 0, length, edge.thickness);
        case Side::bottom:
            break;
        }
        return QRect(edge.start, root.height() - edge.thickness, length, edge.thickness);
    }

    // The window's side facing `side`'s edge, as a coordinate.
    int facing(const QRect& r, Side side)
    {
        switch (side) {
        case Side::left:
            return r.left();
        case Side::right:
            return r.right();
        case Side::top:
            return r.top();
        case Side::bottom:
            break;
        }
        return r.bottom();
    }

    // The edge reserved from the root's `side` up to and over `window`.
    ReservedEdge reachingOver(Side side, const QRect& window, const QSize& root)
    {
        switch (side) {
        case Side::left:
            return { side, window.right() + 1, window.top(), window.bottom() };
        case Side::right:
            return { side, root.width() - window.left(), window.top(), window.bottom() };
        case Side::top:
            return { side, window.bottom() + 1, window.left(), window.right() };
        case Side::bottom:
            break;
        }
        return { side, root.height() - window.top(), window.left(), window.right() };
    }

} // namespace

ReservedEdge reserveWherePanelStands(
    const ReservedEdge& reserve, const QRect& window, const QSize& root, const std::vector<QRect>& screens)
{
    if (window.isEmpty() || root.isEmpty() || reserve.thickness <= 0 || screens.size() < 2)
        return reserve;
    QRect standsOn;
    for (const QRect& screen : screens)
        if (screen.intersects(window))
            standsOn |= screen;
    if (standsOn.isEmpty())
        return reserve;
    const Side side = reserve.side;
    const QRect rootRect(QPoint(0, 0), root);
    ReservedEdge kept = reserve;
    if (!strip(reserve, root).contains(window) && facing(window, side) != facing(rootRect, side)
        && facing(window, side) == facing(standsOn, side))
        kept = reachingOver(side, window, root);
    kept.within = standsOn;
    return kept;
}

} // namespace platform

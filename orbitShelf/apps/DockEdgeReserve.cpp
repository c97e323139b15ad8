#include "apps/DockEdgeReserve.h"

#include <algorithm>

using platform::ReservedEdge;

std::optional<ReservedEdge> barEdgeReserve(
    const QRect& bar, const QString& edge, const QRect& root, bool keep)
{
    if (!keep || bar.isEmpty() || root.isEmpty())
        return std::nullopt;
    ReservedEdge reserve;
    if (edge == QLatin1String("left")) {
        reserve.side = ReservedEdge::Side::left;
        reserve.thickness = bar.right() + 1 - root.left();
        reserve.start = bar.top();
        reserve.end = bar.bottom();
    } else if (edge == QLatin1String("right")) {
        reserve.side = ReservedEdge::Side::right;
        reserve.thickness = root.right() + 1 - bar.left();
        reserve.start = bar.top();
        reserve.end = bar.bottom();
    } else {
        reserve.side = ReservedEdge::Side::bottom;
        reserve.thickness = root.bottom() + 1 - bar.top();
        reserve.start = bar.left();
        reserve.end = bar.right();
    }
    if (reserve.thickness <= 0)
        return std::nullopt;
    return reserve;
}

namespace {

std::map<QString, std::vector<ReservedEdge>>& reservesByScreen()
{
    static std::map<QString, std::vector<ReservedEdge>> reserves;
    return reserves;
}

} // namespace

std::vector<ReservedEdge>& ownEdgeReserves(const QString& screenKey)
{
    return reservesByScreen()[screenKey];
}

std::vector<ReservedEdge> allOwnEdgeReserves()
{
    std::vector<ReservedEdge> merged;
    for (const auto& [key, reserves] : reservesByScreen()) {
        for (const ReservedEdge& reserve : reserves) {
            const auto same = std::find_if(merged.begin(), merged.end(),
                [&reserve](const ReservedEdge& kept) { return kept.side == reserve.side; });
            if (same == merged.end())
                merged.push_back(reserve);
            else
                same->thickness = std::max(same->thickness, reserve.thickness);
        }
    }
    return merged;
}

void recordOwnReserve(const QString& screenKey, const ReservedEdge& reserve)
{
    std::vector<ReservedEdge>& kept = ownEdgeReserves(screenKey);
    for (ReservedEdge& edge : kept) {
        if (edge.side == reserve.side) {
            edge.thickness = std::max(edge.thickness, reserve.thickness);
            return;
        }
    }
    kept.push_back(reserve);
}

QRect withOwnReserve(
    const QRect& available, const QRect& screen, const QRect& root, const std::vector<ReservedEdge>& reserves)
{
    if (available.isEmpty())
        return available;
    // An edge cut no deeper than the bar's own reserve was cut for the bar;
    // a deeper cut is another panel's, and stays.
    QRect out = available;
    for (const ReservedEdge& reserve : reserves) {
        switch (reserve.side) {
        case ReservedEdge::Side::left:
            if (available.left() <= root.left() + reserve.thickness)
                out.setLeft(screen.left());
            break;
        case ReservedEdge::Side::right:
            if (available.right() >= root.right() - reserve.thickness)
                out.setRight(screen.right());
            break;
        case ReservedEdge::Side::top:
            if (available.top() <= root.top() + reserve.thickness)
                out.setTop(screen.top());
            break;
        case ReservedEdge::Side::bottom:
            if (available.bottom() >= root.bottom() - reserve.thickness)
                out.setBottom(screen.bottom());
            break;
        }
    }
    return out;
}

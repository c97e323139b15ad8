#include "apps/DockEdgeReserve.h"

#include <QObject>

#include <algorithm>

using platform::ReservedEdge;

std::optional<ReservedEdge> barEdgeReserve(
    const QRect& bar, const QString& edge, const QRect& root, const std::vector<QRect>& screens, bool keep)
{
    if (!keep || bar.isEmpty() || root.isEmpty())
        return std::nullopt;
    ReservedEdge reserve;
    QRect covered; // what the reserve keeps windows out of, the bar included
    if (edge == QLatin1String("left")) {
        reserve.side = ReservedEdge::Side::left;
        reserve.thickness = bar.right() + 1 - root.left();
        reserve.start = bar.top();
        reserve.end = bar.bottom();
        covered = QRect(QPoint(root.left(), bar.top()), bar.bottomRight());
    } else if (edge == QLatin1String("right")) {
        reserve.side = ReservedEdge::Side::right;
        reserve.thickness = root.right() + 1 - bar.left();
        reserve.start = bar.top();
        reserve.end = bar.bottom();
        covered = QRect(bar.topLeft(), QPoint(root.right(), bar.bottom()));
    } else {
        reserve.side = ReservedEdge::Side::bottom;
        reserve.thickness = root.bottom() + 1 - bar.top();
        reserve.start = bar.left();
        reserve.end = bar.right();
        covered = QRect(bar.topLeft(), QPoint(bar.right(), root.bottom()));
    }
    if (reserve.thickness <= 0)
        return std::nullopt;
    // The bar's own screen is the one it stands on; a screen that only
    // touches the strip at a corner or an edge shares no pixel with it.
    const QPoint centre = bar.center();
    const auto own = std::find_if(
        screens.begin(), screens.end(), [&centre](const QRect& screen) { return screen.contains(centre); });
    for (auto screen = screens.begin(); screen != screens.end(); ++screen) {
        if (screen != own && screen->intersects(covered))
            return std::nullopt;
    }
    return reserve;
}

std::optional<ReservedEdge> placedBarReserve(const QRectF& bar, const std::optional<PlacedDockWindow>& placed,
    const std::vector<platform::ScaledScreen>& screens, bool keep)
{
    if (!placed)
        return std::nullopt;
    QRect root;
    std::vector<QRect> places;
    for (const platform::ScaledScreen& screen : screens) {
        root |= screen.place;
        places.push_back(screen.place);
    }
    const QRect onRoot = bar.toAlignedRect().translated(placed->origin);
    return barEdgeReserve(platform::serverFromQt(QRectF(onRoot), screens), placed->edge, root, places, keep);
}

namespace {

std::map<QString, std::vector<ReservedEdge>>& reservesByScreen()
{
    static std::map<QString, std::vector<ReservedEdge>> reserves;
    return reserves;
}

class OwnReservesNotice final : public QObject {
    Q_OBJECT
public:
    static OwnReservesNotice& shared()
    {
        static OwnReservesNotice notice;
        return notice;
    }
signals:
    void changed();
};

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
            if (reserve.thickness <= edge.thickness)
                return;
            edge.thickness = reserve.thickness;
            emit OwnReservesNotice::shared().changed();
            return;
        }
    }
    kept.push_back(reserve);
    emit OwnReservesNotice::shared().changed();
}

QMetaObject::Connection watchOwnReserves(QObject* context, std::function<void()> changed)
{
    return QObject::connect(
        &OwnReservesNotice::shared(), &OwnReservesNotice::changed, context, std::move(changed));
}

QRect withOwnReserve(
    const QRect& available, const QRect& screen, const QRect& root, const std::vector<ReservedEdge>& reserves)
{
    if (available.isEmpty())
        return available;
    // An edge cut no deeper than the bar's own reserve was cut for the bar;
    // a deeper cut is another panel's, and stays. A reserve is measured from
    // the root's edge; some window managers (xfwm4) cut it from the edge of
    // the screen instead, which lies inside the root's where the screens
    // differ in size: a cut that deep is the bar's too.
    QRect out = available;
    for (const ReservedEdge& reserve : reserves) {
        switch (reserve.side) {
        case ReservedEdge::Side::left:
            if (available.left() <= std::max(root.left(), screen.left()) + reserve.thickness)
                out.setLeft(screen.left());
            break;
        case ReservedEdge::Side::right:
            if (available.right() >= std::min(root.right(), screen.right()) - reserve.thickness)
                out.setRight(screen.right());
            break;
        case ReservedEdge::Side::top:
            if (available.top() <= std::max(root.top(), screen.top()) + reserve.thickness)
                out.setTop(screen.top());
            break;
        case ReservedEdge::Side::bottom:
            if (available.bottom() >= std::min(root.bottom(), screen.bottom()) - reserve.thickness)
                out.setBottom(screen.bottom());
            break;
        }
    }
    return out;
}

QRect freeOfReserves(const QRect& area, const QRect& root, const std::vector<ReservedEdge>& reserves)
{
    QRect out = area;
    for (const ReservedEdge& reserve : reserves) {
        if (reserve.thickness <= 0)
            continue;
        // The reserved strip in root coordinates, on the screens it counts on.
        QRect strip;
        switch (reserve.side) {
        case ReservedEdge::Side::left:
            strip = QRect(
                QPoint(root.left(), reserve.start), QPoint(root.left() + reserve.thickness - 1, reserve.end));
            break;
        case ReservedEdge::Side::right:
            strip = QRect(QPoint(root.right() - reserve.thickness + 1, reserve.start),
                QPoint(root.right(), reserve.end));
            break;
        case ReservedEdge::Side::top:
            strip = QRect(
                QPoint(reserve.start, root.top()), QPoint(reserve.end, root.top() + reserve.thickness - 1));
            break;
        case ReservedEdge::Side::bottom:
            strip = QRect(QPoint(reserve.start, root.bottom() - reserve.thickness + 1),
                QPoint(reserve.end, root.bottom()));
            break;
        }
        if (!reserve.within.isEmpty())
            strip &= reserve.within;
        if (!strip.intersects(out))
            continue;
        switch (reserve.side) {
        case ReservedEdge::Side::left:
            out.setLeft(strip.right() + 1);
            break;
        case ReservedEdge::Side::right:
            out.setRight(strip.left() - 1);
            break;
        case ReservedEdge::Side::top:
            out.setTop(strip.bottom() + 1);
            break;
        case ReservedEdge::Side::bottom:
            out.setBottom(strip.top() - 1);
            break;
        }
    }
    return out;
}

namespace {

std::map<QString, QMargins>& marginsByScreen()
{
    static std::map<QString, QMargins> margins;
    return margins;
}

} // namespace

void recordMarginsBeforeOwnReserve(const QString& screenKey, const QRect& available, const QRect& screen,
    const QRect& root, const std::vector<ReservedEdge>& others)
{
    if (available.isEmpty() || !screen.contains(available))
        return;
    QMargins margins(available.left() - screen.left(), available.top() - screen.top(),
        screen.right() - available.right(), screen.bottom() - available.bottom());
    if (!others.empty() && !root.isEmpty()) {
        const QRect byPanels = freeOfReserves(screen, root, others);
        if (byPanels.left() >= available.left())
            margins.setLeft(0);
        if (byPanels.top() >= available.top())
            margins.setTop(0);
        if (byPanels.right() <= available.right())
            margins.setRight(0);
        if (byPanels.bottom() <= available.bottom())
            margins.setBottom(0);
    }
    marginsByScreen().try_emplace(screenKey, margins);
}

std::optional<QMargins> marginsBeforeOwnReserve(const QString& screenKey)
{
    const auto it = marginsByScreen().find(screenKey);
    if (it == marginsByScreen().end())
        return std::nullopt;
    return it->second;
}

QRect visibleArea(const QString& screenKey, const QRect& available, const QRect& screen, const QRect& root,
    const std::vector<ReservedEdge>& others)
{
    const std::vector<ReservedEdge> own = allOwnEdgeReserves();
    QRect out = withOwnReserve(available, screen, root, own);
    if (std::optional<QMargins> margins = marginsBeforeOwnReserve(screenKey)) {
        // Only a cut shallower than the bar's own reserve needs the record
        // (a deeper one stays in the available area). One as deep is taken
        // for a bar of ours that had not let go yet when the record was made
        // (a relaunch), not for a panel.
        const auto ownDepth = [&own](ReservedEdge::Side side) {
            int depth = 0;
            for (const ReservedEdge& edge : own)
                if (edge.side == side)
                    depth = std::max(depth, edge.thickness);
            return depth;
        };
        const auto kept
            = [&](int margin, ReservedEdge::Side side) { return margin < ownDepth(side) ? margin : 0; };
        margins = QMargins(kept(margins->left(), ReservedEdge::Side::left),
            kept(margins->top(), ReservedEdge::Side::top), kept(margins->right(), ReservedEdge::Side::right),
            kept(margins->bottom(), ReservedEdge::Side::bottom));
        out &= screen.marginsRemoved(*margins);
    }
    out = freeOfReserves(out, root, others);
    // Panels that leave nothing would leave the bar nowhere: the screen then.
    return out.isEmpty() ? screen : out;
}

#include "DockEdgeReserve.moc"

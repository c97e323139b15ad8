#include "platform/OtherDocks.h"

#include <algorithm>
#include <optional>

namespace platform {

namespace {

    using Side = ReservedEdge::Side;

    // The screen a window belongs to: the one holding its middle, else (a
    // panel hidden just beyond the root's edge) the nearest one beside it
    // along either axis. None for a window far from every screen, as
    // xfce4-panel's 3 by 3 helper window at -9999,-9999.
    std::optional<QRect> screenOf(const QRect& frame, const std::vector<QRect>& screens)
    {
        for (const QRect& s : screens)
            if (s.contains(frame.center()))
                return s;
        std::optional<QRect> nearest;
        int best = 0;
        for (const QRect& s : screens) {
            const bool besideX = frame.left() <= s.right() && frame.right() >= s.left();
            const bool besideY = frame.top() <= s.bottom() && frame.bottom() >= s.top();
            if (!besideX && !besideY)
                continue;
            const int distance = besideX ? std::max(s.top() - frame.bottom(), frame.top() - s.bottom())
                                         : std::max(s.left() - frame.right(), frame.left() - s.right());
            if (!nearest || distance < best) {
                nearest = s;
                best = distance;
            }
        }
        return nearest;
    }

    // The edges of its screen the window lies along: reaching the edge (or
    // beyond it) from the screen's far half.
    std::vector<Side> sidesAlong(const QRect& frame, const std::vector<QRect>& screens)
    {
        const std::optional<QRect> s = screenOf(frame, screens);
        if (!s)
            return {};
        std::vector<Side> sides;
        if (frame.bottom() >= s->bottom() && frame.top() > s->center().y())
            sides.push_back(Side::bottom);
        if (frame.top() <= s->top() && frame.bottom() < s->center().y())
            sides.push_back(Side::top);
        if (frame.left() <= s->left() && frame.right() < s->center().x())
            sides.push_back(Side::left);
        if (frame.right() >= s->right() && frame.left() > s->center().x())
            sides.push_back(Side::right);
        return sides;
    }

    bool holds(const std::vector<Side>& sides, Side side)
    {
        return std::find(sides.begin(), sides.end(), side) != sides.end();
    }

    // Not the strip that brings a hidden panel back: it has no role, and
    // taken for a panel it would take that panel's settings from it.
    bool isXfcePanel(const RunningWindow& w)
    {
        return w.instanceName == QLatin1String("xfce4-panel") && w.dockType
            && w.role == QLatin1String("Panel");
    }

    bool nearAnyScreen(const QRect& frame, const std::vector<QRect>& screens)
    {
        return screenOf(frame, screens).has_value();
    }

} // namespace

bool xfceSnapSide(int snap, int mode, ReservedEdge::Side* side)
{
    // xfce4-panel's snap positions: none, then E, NE, EC, SE, W, NW, WC, SW
    // (the corners and centres of the right and left edges), NC, SC (top and
    // bottom centre), N, S. A corner is the edge the panel runs along.
    const bool horizontal = mode == 0;
    switch (snap) {
    case 1:
    case 3:
        *side = Side::right;
        return true;
    case 5:
    case 7:
        *side = Side::left;
        return true;
    case 2:
        *side = horizontal ? Side::top : Side::right;
        return true;
    case 4:
        *side = horizontal ? Side::bottom : Side::right;
        return true;
    case 6:
        *side = horizontal ? Side::top : Side::left;
        return true;
    case 8:
        *side = horizontal ? Side::bottom : Side::left;
        return true;
    case 9:
    case 11:
        *side = Side::top;
        return true;
    case 10:
    case 12:
        *side = Side::bottom;
        return true;
    default:
        return false;
    }
}

std::vector<OtherDock> findOtherDocks(const std::vector<RunningWindow>& windows,
    const std::vector<XfcePanelSettings>& panels, const std::vector<PlankSettings>& planks,
    const std::vector<ReservedEdge::Side>& barSides, const std::vector<QRect>& screens)
{
    std::vector<const RunningWindow*> xfce;
    for (const RunningWindow& w : windows)
        if (isXfcePanel(w) && nearAnyScreen(w.frame, screens))
            xfce.push_back(&w);
    std::stable_sort(xfce.begin(), xfce.end(),
        [](const RunningWindow* a, const RunningWindow* b) { return a->id < b->id; });
    std::vector<const XfcePanelSettings*> unmatched;
    for (const XfcePanelSettings& p : panels)
        unmatched.push_back(&p);
    std::vector<std::pair<const RunningWindow*, const XfcePanelSettings*>> matched;
    for (const RunningWindow* w : xfce) {
        const std::vector<Side> sides = sidesAlong(w->frame, screens);
        auto agrees = [&](const XfcePanelSettings* p) {
            Side side = Side::bottom;
            return xfceSnapSide(p->snap, p->mode, &side) ? holds(sides, side) : sides.empty();
        };
        const auto it = std::find_if(unmatched.begin(), unmatched.end(), agrees);
        const XfcePanelSettings* panel = it == unmatched.end() ? nullptr : *it;
        if (it != unmatched.end())
            unmatched.erase(it);
        matched.emplace_back(w, panel);
    }

    std::vector<OtherDock> docks;
    for (const RunningWindow& w : windows) {
        if (!w.dockType)
            continue;
        if (w.instanceName == QLatin1String("plank")) {
            const QString name = w.plankDock.isEmpty() ? QStringLiteral("dock1") : w.plankDock;
            const auto settings = std::find_if(
                planks.begin(), planks.end(), [&](const PlankSettings& p) { return p.dock == name; });
            OtherDock dock;
            dock.kind = OtherDock::Kind::plank;
            dock.window = w.id;
            dock.plankDock = name;
            dock.hides = settings != planks.end() && settings->hideMode == QLatin1String("auto");
            docks.push_back(dock);
            continue;
        }
        const auto match = std::find_if(
            matched.begin(), matched.end(), [&](const auto& m) { return m.first->id == w.id; });
        if (match == matched.end() || w.reserves)
            continue;
        const XfcePanelSettings* panel = match->second;
        const std::vector<Side> sides = sidesAlong(w.frame, screens);
        if (std::none_of(barSides.begin(), barSides.end(), [&](Side s) { return holds(sides, s); }))
            continue;
        OtherDock dock;
        dock.kind = OtherDock::Kind::xfcePanel;
        dock.window = w.id;
        dock.panel = panel ? panel->number : 0;
        dock.hides = panel && panel->autohide == 2;
        docks.push_back(dock);
    }
    return docks;
}

QString otherDockName(const OtherDock& dock)
{
    if (dock.kind == OtherDock::Kind::plank)
        return QStringLiteral("plank (%1)").arg(dock.plankDock);
    return dock.panel > 0 ? QStringLiteral("Xfce panel %1").arg(dock.panel) : QStringLiteral("an Xfce panel");
}

} // namespace platform

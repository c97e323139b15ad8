#include "platform/DockWindowHints.h"

namespace platform {

namespace {
    DockWindowHints& installed()
    {
        static DockWindowHints hints;
        return hints;
    }
} // namespace

void setDockWindowHints(DockWindowHints hints)
{
    installed() = std::move(hints);
}

void markDockWindow(QWindow* window)
{
    if (window && installed().markDockWindow)
        installed().markDockWindow(window);
}

void setDockInputRegion(QWindow* window, const QRegion& region)
{
    if (window && installed().setInputRegion)
        installed().setInputRegion(window, region);
}

void setDockReservedEdge(QWindow* window, const std::optional<ReservedEdge>& edge)
{
    if (window && installed().reserveEdge)
        installed().reserveEdge(window, edge);
}

bool dockTranslucencyAvailable()
{
    return !installed().translucencyAvailable || installed().translucencyAvailable();
}

std::vector<ReservedEdge> otherReservedEdges()
{
    return installed().otherReservedEdges ? installed().otherReservedEdges() : std::vector<ReservedEdge> {};
}

} // namespace platform

#include "platform/x11/X11ReserveWatch.h"

#include <gtest/gtest.h>

using platform::ReservedEdge;
using platform::x11::barAlongRootEdge;

namespace {

const QSize kRoot(1920, 1080);

// A window manager's own panel keeps the rows it covers from its edge;
// what is not a bar along the root's edge keeps nothing.
TEST(ManagersOwnPanel, ABarAlongTheRootsEdgeKeepsTheRowsItCovers)
{
    // fluxbox's toolbar: 1918x18 with a border of 1, at the bottom.
    EXPECT_EQ(barAlongRootEdge(QRect(0, 1060, 1920, 20), kRoot),
        (ReservedEdge { ReservedEdge::Side::bottom, 20, 0, 1919 }));
    // Narrowed to the middle of the top edge.
    EXPECT_EQ(barAlongRootEdge(QRect(480, 0, 960, 24), kRoot),
        (ReservedEdge { ReservedEdge::Side::top, 24, 480, 1439 }));
    EXPECT_EQ(barAlongRootEdge(QRect(1880, 100, 40, 800), kRoot),
        (ReservedEdge { ReservedEdge::Side::right, 40, 100, 899 }));
    EXPECT_EQ(barAlongRootEdge(QRect(0, 0, 30, 1080), kRoot),
        (ReservedEdge { ReservedEdge::Side::left, 30, 0, 1079 }));

    // A bar that does not touch the edge (a panel floating above it), a
    // menu or message in a corner, a maximised window's frame, nothing.
    EXPECT_FALSE(barAlongRootEdge(QRect(0, 1050, 1920, 20), kRoot));
    EXPECT_FALSE(barAlongRootEdge(QRect(0, 980, 200, 100), kRoot));
    EXPECT_FALSE(barAlongRootEdge(QRect(0, 0, 1920, 1060), kRoot));
    EXPECT_FALSE(barAlongRootEdge(QRect(0, 780, 1920, 300), kRoot)) << "deeper than a quarter of the root";
    EXPECT_FALSE(barAlongRootEdge(QRect(), kRoot));
}

} // namespace

#include "platform/x11/X11ReserveWatch.h"

#include <gtest/gtest.h>

using platform::ReservedEdge;
using platform::x11::barAlongRootEdge;
using platform::x11::managersPanelEdge;
using platform::x11::TopLevelWindow;

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

// Of the windows at the top of the tree only the window manager's own that
// stand on their own and hold no client are its panels: a frame round a
// client is none, though fluxbox's stand on their own too.
TEST(ManagersOwnPanel, OnlyAWindowOfTheManagersHoldingNoClientIsItsPanel)
{
    // A laptop above a monitor: the root is 1920x2130.
    const QSize stacked(1920, 2130);
    const struct {
        const char* meaning;
        TopLevelWindow window;
        QSize root;
        std::optional<ReservedEdge> expected;
    } cases[] = {
        { "fluxbox's toolbar", { QRect(0, 1060, 1920, 20), true, true, false }, kRoot,
            ReservedEdge { ReservedEdge::Side::bottom, 20, 0, 1919 } },
        // Read as a panel, our own bar's 500-row window moved the bar up by
        // 500 rows, off the root's edge, where it was read as none again.
        { "fluxbox's frame round the monitor's dock window", { QRect(0, 1630, 1920, 500), true, true, true },
            stacked, std::nullopt },
        { "fluxbox's frame round another program's panel (its strut counts)",
            { QRect(0, 1050, 1920, 30), true, true, true }, kRoot, std::nullopt },
        { "another program's window standing on its own", { QRect(0, 1060, 1920, 20), false, true, false },
            kRoot, std::nullopt },
        { "a window of the manager's that it manages", { QRect(0, 1060, 1920, 20), true, false, false },
            kRoot, std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(managersPanelEdge(c.window, c.root), c.expected) << c.meaning;
}

// On several screens the manager's panel is read along the edge of the
// screen it stands on, and keeps the rows from the root's edge to its far
// side on that screen only: fluxbox puts its toolbar at the primary's
// bottom, which beside a taller screen or above another is not the root's.
TEST(ManagersOwnPanel, OnSeveralScreensAPanelGoesByTheEdgeOfItsOwnScreen)
{
    using Side = ReservedEdge::Side;
    // The laptop beside a taller monitor: the root is 3320x1080.
    const QSize sideBySide(3320, 1080);
    const QRect laptop(0, 0, 1400, 1050);
    const std::vector<QRect> laptopLeft { laptop, QRect(1400, 0, 1920, 1080) };
    // The laptop above the monitor: the root is 1920x2130.
    const QSize stacked(1920, 2130);
    const std::vector<QRect> laptopAbove { laptop, QRect(0, 1050, 1920, 1080) };
    // The monitor above the laptop.
    const QRect lowerLaptop(0, 1080, 1400, 1050);
    const std::vector<QRect> monitorAbove { QRect(0, 0, 1920, 1080), lowerLaptop };
    const QRect leftMonitor(0, 0, 1920, 1080);
    const std::vector<QRect> sameHeight { leftMonitor, QRect(1920, 0, 1920, 1080) };
    const auto toolbar = [](const QRect& outer) { return TopLevelWindow { outer, true, true, false }; };
    const struct {
        const char* meaning;
        TopLevelWindow window;
        QSize root;
        std::vector<QRect> screens;
        std::optional<ReservedEdge> expected;
    } cases[] = {
        { "the toolbar at the bottom of the laptop beside a taller monitor",
            toolbar(QRect(0, 1030, 1400, 20)), sideBySide, laptopLeft,
            ReservedEdge { Side::bottom, 50, 0, 1399, laptop } },
        { "the toolbar at the bottom of the laptop above a monitor", toolbar(QRect(0, 1030, 1400, 20)),
            stacked, laptopAbove, ReservedEdge { Side::bottom, 1100, 0, 1399, laptop } },
        { "the toolbar at the bottom of the laptop below a monitor: the root's bottom",
            toolbar(QRect(0, 2110, 1400, 20)), stacked, monitorAbove,
            ReservedEdge { Side::bottom, 20, 0, 1399, lowerLaptop } },
        { "the toolbar at the top of the laptop beside a taller monitor", toolbar(QRect(0, 0, 1400, 20)),
            sideBySide, laptopLeft, ReservedEdge { Side::top, 20, 0, 1399, laptop } },
        { "the toolbar along the right of the upper laptop", toolbar(QRect(1380, 100, 20, 800)), stacked,
            laptopAbove, ReservedEdge { Side::right, 540, 100, 899, laptop } },
        { "two screens of the same height side by side", toolbar(QRect(0, 1060, 1920, 20)), QSize(3840, 1080),
            sameHeight, ReservedEdge { Side::bottom, 20, 0, 1919, leftMonitor } },
        { "one screen: the root's edge, as before", toolbar(QRect(0, 1060, 1920, 20)), kRoot,
            { QRect(QPoint(0, 0), kRoot) }, ReservedEdge { Side::bottom, 20, 0, 1919 } },

        { "a frame round the laptop's dock window stays a frame",
            { QRect(0, 550, 1400, 500), true, true, true }, sideBySide, laptopLeft, std::nullopt },
        { "a bar above the laptop's bottom", toolbar(QRect(0, 1000, 1400, 20)), sideBySide, laptopLeft,
            std::nullopt },
        { "deeper than a quarter of its own screen, though not of the root",
            toolbar(QRect(0, 750, 1400, 300)), stacked, laptopAbove, std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(managersPanelEdge(c.window, c.root, c.screens), c.expected) << c.meaning;
}

} // namespace

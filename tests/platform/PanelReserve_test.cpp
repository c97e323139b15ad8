#include "platform/PanelReserve.h"

#include <gtest/gtest.h>

using platform::ReservedEdge;
using platform::reserveWherePanelStands;
using Side = ReservedEdge::Side;

namespace {

// A shorter primary left of a taller screen, as laptops beside a monitor
// stand; the root is 3320x1080.
const QSize kSideBySide(3320, 1080);
const QRect kShort(0, 0, 1400, 1050);
const QRect kTall(1400, 0, 1920, 1080);
const std::vector<QRect> kShortLeft { kShort, kTall };
// Screens one above the other: the root is 1920x2130.
const QSize kStackedRoot(1920, 2130);
// A monitor above a laptop at the root's left.
const QRect kUpperMonitor(0, 0, 1920, 1080);
const QRect kLowerLaptop(0, 1080, 1400, 1050);
const std::vector<QRect> kStacked { kUpperMonitor, kLowerLaptop };
// The laptop above the monitor.
const QRect kUpperLaptop(0, 0, 1400, 1050);
const std::vector<QRect> kLaptopAbove { kUpperLaptop, QRect(0, 1050, 1920, 1080) };

struct Case {
    const char* meaning;
    ReservedEdge reserve;
    QRect window;
    QSize root;
    std::vector<QRect> screens;
    ReservedEdge expected;
};

TEST(PanelReserve, APanelTakesSpaceWhereItsWindowStandsOnThatScreenOnly)
{
    const ReservedEdge icewmStrut { Side::bottom, 26, 0, 3319 };
    const ReservedEdge icewmStacked { Side::bottom, 26, 0, 1919 };
    const std::vector<Case> cases {
        // Reserves that do not hold their window: read from the window.
        { "icewm's taskbar along the short screen's bottom: from the root's bottom over its columns",
            icewmStrut, QRect(0, 1024, 1400, 26), kSideBySide, kShortLeft,
            { Side::bottom, 56, 0, 1399, kShort } },
        { "icewm's taskbar at the bottom of a laptop above a monitor: on the laptop alone", icewmStacked,
            QRect(0, 1024, 1400, 26), kStackedRoot, kLaptopAbove,
            { Side::bottom, 1106, 0, 1399, kUpperLaptop } },
        { "a panel along the top of a screen lower than the root's top", { Side::top, 30, 1400, 3319 },
            QRect(1400, 40, 1920, 30), kSideBySide, { QRect(0, 0, 1400, 1080), QRect(1400, 40, 1920, 1040) },
            { Side::top, 70, 1400, 3319, QRect(1400, 40, 1920, 1040) } },
        // The laptop below the monitor, 200 columns in from the root's left.
        { "a panel along the left of a screen in from the root's left", { Side::left, 40, 1080, 2129 },
            QRect(200, 1080, 40, 1050), kStackedRoot, { kUpperMonitor, QRect(200, 1080, 1400, 1050) },
            { Side::left, 240, 1080, 2129, QRect(200, 1080, 1400, 1050) } },
        { "a panel along the right of a screen short of the root's right", { Side::right, 40, 1080, 2129 },
            QRect(1360, 1080, 40, 1050), kStackedRoot, kStacked,
            { Side::right, 560, 1080, 2129, kLowerLaptop } },
        { "a panel on the edge the screens share: on its own screen, clear of the other",
            { Side::right, 40, 0, 1049 }, QRect(1360, 0, 40, 1050), kSideBySide, kShortLeft,
            { Side::right, 1960, 0, 1049, kShort } },

        // Reserves that hold their window, or lie along the root's edge.
        { "tint2 at the bottom of a monitor above a laptop: down to the root's bottom, on the monitor",
            { Side::bottom, 1080, 0, 1919 }, QRect(0, 1050, 1920, 30), kStackedRoot, kStacked,
            { Side::bottom, 1080, 0, 1919, kUpperMonitor } },
        { "tint2 at the bottom of the laptop below", { Side::bottom, 30, 0, 1399 }, QRect(0, 2100, 1400, 30),
            kStackedRoot, kStacked, { Side::bottom, 30, 0, 1399, kLowerLaptop } },
        { "a reserve that holds its window", { Side::bottom, 26, 1400, 3319 }, QRect(1400, 1054, 1920, 26),
            kSideBySide, kShortLeft, { Side::bottom, 26, 1400, 3319, kTall } },
        { "a panel on the root's edge reserving less than it covers", { Side::bottom, 20, 1400, 3319 },
            QRect(1400, 1050, 1920, 30), kSideBySide, kShortLeft, { Side::bottom, 20, 1400, 3319, kTall } },
        { "a panel over two screens side by side counts on both", { Side::bottom, 30, 0, 3839 },
            QRect(0, 1050, 3840, 30), QSize(3840, 1080),
            { QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080) },
            { Side::bottom, 30, 0, 3839, QRect(0, 0, 3840, 1080) } },

        // A window along no edge its reserve names keeps the reserve, on
        // its own screen.
        { "a panel along no screen's edge", icewmStrut, QRect(0, 900, 1400, 26), kSideBySide, kShortLeft,
            { Side::bottom, 26, 0, 3319, kShort } },
        { "a panel along a screen's other edge", icewmStrut, QRect(0, 0, 1400, 26), kSideBySide, kShortLeft,
            { Side::bottom, 26, 0, 3319, kShort } },

        // Nothing to go by: the reserve as announced, everywhere.
        { "one screen: a panel floating above the bottom keeps its reserve", { Side::bottom, 26, 0, 1919 },
            QRect(0, 1000, 1920, 26), QSize(1920, 1080), { QRect(0, 0, 1920, 1080) },
            { Side::bottom, 26, 0, 1919 } },
        { "the screens unknown", icewmStrut, QRect(0, 1024, 1400, 26), kSideBySide, {}, icewmStrut },
        { "the window unknown", icewmStrut, QRect(), kSideBySide, kShortLeft, icewmStrut },
        { "the window off every screen", icewmStacked, QRect(1500, 0, 400, 26), kStackedRoot, kLaptopAbove,
            icewmStacked },
    };
    for (const Case& c : cases)
        EXPECT_EQ(reserveWherePanelStands(c.reserve, c.window, c.root, c.screens), c.expected) << c.meaning;
}

} // namespace

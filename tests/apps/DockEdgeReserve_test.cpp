// The edge a shown bar keeps for itself, and the area the bars are placed in
// with their own reserves given back.
#include "apps/DockEdgeReserve.h"

#include <algorithm>

#include <gtest/gtest.h>

using platform::ReservedEdge;
using Side = ReservedEdge::Side;

namespace {

const QRect kRoot(0, 0, 1920, 1080);

} // namespace

TEST(DockEdgeReserve, AShownBarReservesFromTheRootEdgeToItsFarSide)
{
    const struct {
        const char* name;
        QRect bar;
        const char* edge;
        bool keep;
        std::optional<ReservedEdge> expected;
    } rows[] = {
        // 50 high, 2 above the bottom: windows keep 52 free.
        { "bottom", QRect(800, 1028, 320, 50), "bottom", true, ReservedEdge { Side::bottom, 52, 800, 1119 } },
        { "left", QRect(0, 300, 50, 400), "left", true, ReservedEdge { Side::left, 50, 300, 699 } },
        { "right", QRect(1870, 300, 50, 400), "right", true, ReservedEdge { Side::right, 50, 300, 699 } },
        { "an unknown edge is the bottom", QRect(800, 1028, 320, 50), "top?", true,
            ReservedEdge { Side::bottom, 52, 800, 1119 } },
        { "auto-hidden or hidden for full screen", QRect(800, 1028, 320, 50), "bottom", false, std::nullopt },
        { "nothing drawn", QRect(), "bottom", true, std::nullopt },
    };
    for (const auto& row : rows)
        EXPECT_EQ(
            barEdgeReserve(row.bar, QString::fromLatin1(row.edge), kRoot, { kRoot }, row.keep), row.expected)
            << row.name;
}

// Reckoned from where the program put the window and for the edge it put it
// there for, never from where the window manager still holds it.
TEST(DockEdgeReserve, ABarReservesItsOwnRowsFromWhereItsWindowWasPut)
{
    const std::vector<platform::ScaledScreen> one { { QStringLiteral("A"), kRoot, 1.0 } };
    const std::vector<platform::ScaledScreen> at2 { { QStringLiteral("A"), QRect(0, 0, 3840, 2160), 2.0 } };
    const std::vector<platform::ScaledScreen> at15 { { QStringLiteral("A"), QRect(0, 0, 2880, 1620), 1.5 } };
    // As the program puts the windows and lays out the bars on Qt's 1920x1080.
    const PlacedDockWindow bottom { QPoint(0, 580), QStringLiteral("bottom") };
    const PlacedDockWindow left { QPoint(-20, 0), QStringLiteral("left") };
    const PlacedDockWindow right { QPoint(1430, 0), QStringLiteral("right") };
    const QRectF bottomBar(800, 448, 320, 50), leftBar(20, 340, 50, 400), rightBar(440, 340, 50, 400);
    const struct {
        const char* name;
        QRectF bar;
        std::optional<PlacedDockWindow> placed;
        std::vector<platform::ScaledScreen> screens;
        std::optional<ReservedEdge> expected;
    } rows[] = {
        { "bottom", bottomBar, bottom, one, ReservedEdge { Side::bottom, 52, 800, 1119 } },
        { "bottom at 2", bottomBar, bottom, at2, ReservedEdge { Side::bottom, 104, 1600, 2239 } },
        { "left at 2", leftBar, left, at2, ReservedEdge { Side::left, 100, 680, 1479 } },
        { "right at 1.5", rightBar, right, at15, ReservedEdge { Side::right, 75, 510, 1109 } },
        { "not put anywhere yet", leftBar, std::nullopt, one, std::nullopt },
    };
    for (const auto& row : rows)
        EXPECT_EQ(placedBarReserve(row.bar, row.placed, row.screens, true), row.expected) << row.name;
}

// A reserve runs from the root's edge: a bar whose reserve would reach into
// another screen reserves nothing; one whose reserve reaches no other screen
// keeps it, however far the root's edge lies beyond its own screen.
TEST(DockEdgeReserve, ABarReservesNothingWhereAnotherScreenLiesBeyondItsEdge)
{
    const QRect laptop(0, 1080, 1400, 1050), monitorAbove(0, 0, 1920, 1080);
    const QRect left(0, 0, 1400, 1050), right(1400, 0, 1920, 1080);
    const struct {
        const char* name;
        std::vector<QRect> screens;
        QRect bar;
        const char* edge;
        std::optional<ReservedEdge> expected;
    } rows[] = {
        // Stacked: the upper screen's bottom borders the laptop below it.
        { "the upper screen's bottom, the lower one wholly beyond", { monitorAbove, laptop },
            QRect(800, 1028, 320, 50), "bottom", std::nullopt },
        { "the lower screen's bottom is the root's", { monitorAbove, laptop }, QRect(540, 2078, 320, 50),
            "bottom", ReservedEdge { Side::bottom, 52, 540, 859 } },
        // The laptop reaches columns 0-1399 only.
        { "the upper screen's bottom, the lower one beyond in part", { monitorAbove, laptop },
            QRect(1300, 1028, 400, 50), "bottom", std::nullopt },
        { "the upper screen's bottom past the lower one's side", { monitorAbove, laptop },
            QRect(1500, 1028, 320, 50), "bottom", ReservedEdge { Side::bottom, 1102, 1500, 1819 } },
        { "a screen only at a corner", { QRect(0, 0, 1920, 1080), QRect(1920, 1080, 1920, 1080) },
            QRect(0, 1028, 1920, 50), "bottom", ReservedEdge { Side::bottom, 1132, 0, 1919 } },
        // Side by side: each side bar on the edge the screens share.
        { "a left bar on the right screen", { left, right }, QRect(1400, 300, 50, 400), "left",
            std::nullopt },
        { "a right bar on the left screen", { left, right }, QRect(1350, 300, 50, 400), "right",
            std::nullopt },
        { "a left bar on the left screen", { left, right }, QRect(0, 300, 50, 400), "left",
            ReservedEdge { Side::left, 50, 300, 699 } },
        { "a right bar on the right screen", { left, right }, QRect(3270, 300, 50, 400), "right",
            ReservedEdge { Side::right, 50, 300, 699 } },
        // The shorter screen's bottom ends 30 above the root's; the taller
        // screen beside it is not beyond that edge.
        { "the shorter screen's bottom beside a taller one", { left, right }, QRect(540, 998, 320, 50),
            "bottom", ReservedEdge { Side::bottom, 82, 540, 859 } },
        { "a right bar beside a screen above its span only", { left, QRect(1400, 0, 1920, 500) },
            QRect(1350, 600, 50, 400), "right", ReservedEdge { Side::right, 1970, 600, 999 } },
        { "one screen", { QRect(0, 0, 1920, 1080) }, QRect(0, 300, 50, 400), "left",
            ReservedEdge { Side::left, 50, 300, 699 } },
    };
    for (const auto& row : rows) {
        QRect root;
        for (const QRect& screen : row.screens)
            root |= screen;
        EXPECT_EQ(
            barEdgeReserve(row.bar, QString::fromLatin1(row.edge), root, row.screens, true), row.expected)
            << row.name;
    }
}

TEST(DockEdgeReserve, TheBarsOwnReserveIsGivenBackSoTheBarNeverCreepsInward)
{
    const QRect screen = kRoot;
    const ReservedEdge bottom { Side::bottom, 52, 0, 1919 };
    const ReservedEdge left { Side::left, 50, 0, 1079 };
    const struct {
        const char* name;
        QRect available;
        std::vector<ReservedEdge> own;
        QRect expected;
    } rows[] = {
        { "cut by the bar itself", QRect(0, 0, 1920, 1028), { bottom }, screen },
        { "not cut yet", screen, { bottom }, screen },
        { "another panel cuts deeper: its part stays", QRect(0, 0, 1920, 1000), { bottom },
            QRect(0, 0, 1920, 1000) },
        { "left bar", QRect(50, 0, 1870, 1080), { left }, screen },
        // Moved from the bottom to the left before the window manager heard.
        { "an edge given up a moment ago", QRect(0, 0, 1920, 1028), { bottom, left }, screen },
        { "a top panel stays with a bottom reserve", QRect(0, 30, 1920, 998), { bottom },
            QRect(0, 30, 1920, 1050) },
        { "no reserve", QRect(0, 0, 1920, 1028), {}, QRect(0, 0, 1920, 1028) },
    };
    for (const auto& row : rows)
        EXPECT_EQ(withOwnReserve(row.available, screen, kRoot, row.own), row.expected) << row.name;
}

// A 1400×1050 screen beside a 1920×1080 one: the shorter screen's bar
// reserves 82 from the root's bottom edge (30 below its screen plus 52), and
// the window manager's one work area cuts the taller screen there too.
TEST(DockEdgeReserve, AReserveOfOneScreenIsGivenBackOnTheOthers)
{
    const QRect root(0, 0, 3320, 1080);
    const QRect shorter(0, 0, 1400, 1050);
    const QRect taller(1400, 0, 1920, 1080);
    recordOwnReserve(
        QStringLiteral("Optional(two-screens-short)"), ReservedEdge { Side::bottom, 82, 0, 1399 });
    recordOwnReserve(
        QStringLiteral("Optional(two-screens-short)"), ReservedEdge { Side::bottom, 60, 0, 1399 });
    const std::vector<ReservedEdge> all = allOwnEdgeReserves();
    const auto bottom
        = std::find_if(all.begin(), all.end(), [](const ReservedEdge& e) { return e.side == Side::bottom; });
    ASSERT_NE(bottom, all.end());
    EXPECT_GE(bottom->thickness, 82) << "the deepest of a side";
    EXPECT_EQ(withOwnReserve(QRect(1400, 0, 1920, 998), taller, root, all), taller)
        << "the taller screen's bar goes to its own bottom edge";
    EXPECT_EQ(withOwnReserve(QRect(0, 0, 1400, 998), shorter, root, all), shorter);
    // xfwm4 cuts the reserve from the shorter screen's own bottom: the
    // bar's too, or every rebuild would stand it higher.
    const std::vector<ReservedEdge> own { ReservedEdge { Side::bottom, 82, 0, 1399 } };
    EXPECT_EQ(withOwnReserve(QRect(0, 0, 1400, 968), shorter, root, own), shorter);
    EXPECT_EQ(withOwnReserve(QRect(0, 0, 1400, 960), shorter, root, own), QRect(0, 0, 1400, 960))
        << "a deeper cut is another panel's";
    EXPECT_TRUE(ownEdgeReserves(QStringLiteral("Optional(two-screens-tall)")).empty())
        << "each screen's own record stays apart";
}

// Other programs' panels reserve their edges with struts; the part of each
// screen they take is left out of where the bar stands.
TEST(DockEdgeReserve, OtherPanelsTakeTheirPartOfEachScreenTheyReach)
{
    const QRect root(0, 0, 3320, 1080);
    const QRect shorter(0, 0, 1400, 1050);
    const QRect taller(1400, 0, 1920, 1080);
    const struct {
        const char* name;
        ReservedEdge panel;
        QRect shorterFree, tallerFree;
    } rows[] = {
        // Along the root's whole bottom: the shorter screen ends above it.
        { "a taskbar along the bottom", { Side::bottom, 26, 0, 3319 }, shorter, QRect(1400, 0, 1920, 1054) },
        { "a bottom panel of one screen", { Side::bottom, 40, 1400, 3319 }, shorter,
            QRect(1400, 0, 1920, 1040) },
        // 70 from the root's bottom reaches 40 into the shorter screen.
        { "a deeper one over both", { Side::bottom, 70, 0, 3319 }, QRect(0, 0, 1400, 1010),
            QRect(1400, 0, 1920, 1010) },
        { "a left panel", { Side::left, 30, 0, 1079 }, QRect(30, 0, 1370, 1050), taller },
        { "a top panel of the right screen", { Side::top, 24, 1400, 3319 }, shorter,
            QRect(1400, 24, 1920, 1056) },
        { "a right panel", { Side::right, 50, 0, 1079 }, shorter, QRect(1400, 0, 1870, 1080) },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(freeOfReserves(shorter, root, { row.panel }), row.shorterFree) << row.name;
        EXPECT_EQ(freeOfReserves(taller, root, { row.panel }), row.tallerFree) << row.name;
    }
}

// A panel's reserve read with the screens its window stands on cuts those
// screens only, however far from the root's edge it counts.
TEST(DockEdgeReserve, APanelsReserveCutsOnlyTheScreensItCountsOn)
{
    const QRect stacked(0, 0, 1920, 2130);
    const QRect upperMonitor(0, 0, 1920, 1080);
    const QRect lowerLaptop(0, 1080, 1400, 1050);
    const QRect upperLaptop(0, 0, 1400, 1050);
    const QRect lowerMonitor(0, 1050, 1920, 1080);
    const struct {
        const char* name;
        ReservedEdge panel;
        QRect upper, lower, upperFree, lowerFree;
    } rows[] = {
        { "tint2 at the monitor's bottom, counted down to the root's",
            { Side::bottom, 1080, 0, 1919, upperMonitor }, upperMonitor, lowerLaptop, QRect(0, 0, 1920, 1050),
            lowerLaptop },
        { "tint2 at the laptop's bottom below", { Side::bottom, 30, 0, 1399, lowerLaptop }, upperMonitor,
            lowerLaptop, upperMonitor, QRect(0, 1080, 1400, 1020) },
        { "icewm's taskbar at the upper laptop's bottom", { Side::bottom, 1106, 0, 1399, upperLaptop },
            upperLaptop, lowerMonitor, QRect(0, 0, 1400, 1024), lowerMonitor },
        { "a reserve read with no screen of its own cuts wherever it reaches", { Side::bottom, 26, 0, 1919 },
            upperLaptop, lowerMonitor, upperLaptop, QRect(0, 1050, 1920, 1054) },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(freeOfReserves(row.upper, stacked, { row.panel }), row.upperFree) << row.name;
        EXPECT_EQ(freeOfReserves(row.lower, stacked, { row.panel }), row.lowerFree) << row.name;
    }
}

// The bar's own reserve is given back, and no further than what others keep:
// a strut read from a panel, or a built-in panel of the window manager that
// only its first work area showed (fluxbox's toolbar).
TEST(DockEdgeReserve, TheVisibleAreaGivesBackOnlyTheBarsOwnReserve)
{
    const QString key = QStringLiteral("Optional(visible-area)");
    const QRect screen = kRoot;
    recordOwnReserve(key, ReservedEdge { Side::bottom, 60, 0, 1919 });
    // Cut 60 by the bar: given back whole when nothing else is there.
    const QRect cutByBar(0, 0, 1920, 1020);
    EXPECT_EQ(visibleArea(key, cutByBar, screen, kRoot, {}), screen);
    // A taskbar's strut under the bar's reserve.
    EXPECT_EQ(visibleArea(key, cutByBar, screen, kRoot, { ReservedEdge { Side::bottom, 26, 0, 1919 } }),
        QRect(0, 0, 1920, 1054));
    // The window manager's own 20-pixel toolbar, seen before the bar reserved.
    recordMarginsBeforeOwnReserve(key, QRect(0, 0, 1920, 1060), screen);
    recordMarginsBeforeOwnReserve(key, QRect(0, 0, 1920, 1020), screen); // once only
    EXPECT_EQ(visibleArea(key, cutByBar, screen, kRoot, {}), QRect(0, 0, 1920, 1060));
    // Kept as margins: a screen that grows keeps the toolbar's 20.
    EXPECT_EQ(visibleArea(key, QRect(0, 0, 2560, 1380), QRect(0, 0, 2560, 1440), QRect(0, 0, 2560, 1440), {}),
        QRect(0, 0, 2560, 1420));
    // A cut as deep as the bar's own was a bar of ours still going (a
    // relaunch), not a panel.
    int deepest = 0;
    for (const ReservedEdge& edge : allOwnEdgeReserves())
        if (edge.side == Side::bottom)
            deepest = std::max(deepest, edge.thickness);
    const QRect cutByOldBar(0, 0, 1920, 1080 - deepest);
    const QString relaunched = QStringLiteral("Optional(visible-area-relaunched)");
    recordMarginsBeforeOwnReserve(relaunched, cutByOldBar, screen);
    EXPECT_EQ(visibleArea(relaunched, cutByOldBar, screen, kRoot, {}), screen);
    // A panel running before the bar reserved is not the window manager's:
    // once it quits, the bar goes back down to the edge.
    const QString withPanel = QStringLiteral("Optional(visible-area-panel)");
    const ReservedEdge panel { Side::bottom, 30, 0, 1919 };
    recordMarginsBeforeOwnReserve(withPanel, QRect(0, 0, 1920, 1050), screen, kRoot, { panel });
    EXPECT_EQ(visibleArea(withPanel, cutByBar, screen, kRoot, { panel }), QRect(0, 0, 1920, 1050));
    EXPECT_EQ(visibleArea(withPanel, cutByBar, screen, kRoot, {}), screen);
    // Panels that would leave nothing leave the whole screen.
    EXPECT_EQ(
        visibleArea(key, cutByBar, screen, kRoot, { ReservedEdge { Side::left, 1920, 0, 1079 } }), screen);
}

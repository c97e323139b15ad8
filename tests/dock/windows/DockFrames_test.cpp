#include "dock/windows/DockFrames.h"

#include <gtest/gtest.h>

namespace {

struct FrameRow {
    const char* name;
    QString position;
    QSizeF visibleSize;
    DockFrame expected;
};

TEST(DockFrames, MainDockWindowFrameByEdge)
{
    const FrameRow rows[] = {
        { "bottom spans the width, 500 high", "bottom", { 1440, 875 }, { 0, 0, 1440, 500 } },
        { "top is laid out like bottom", "top", { 1440, 875 }, { 0, 0, 1440, 500 } },
        { "right hangs 10 past the right edge", "right", { 1440, 875 }, { 950, 0, 500, 875 } },
        { "left starts 20 left of the screen", "left", { 1440, 875 }, { -20, 0, 500, 875 } },
        { "fractions truncate toward zero", "right", { 1439.7, 874.9 }, { 949, 0, 500, 874 } },
        { "no screen gives an empty width", "bottom", { 0, 0 }, { 0, 0, 0, 500 } },
    };
    for (const FrameRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(mainDockWindowFrame(row.position, row.visibleSize), row.expected);
    }
}

TEST(DockFrames, TheMainDockStandsBesideAPanelOfTheDesktop)
{
    // A taskbar 26 high along the bottom, a panel 30 wide on the left.
    EXPECT_EQ(mainDockWindowFrame(QStringLiteral("bottom"), QRectF(0, 26, 1920, 1054)),
        (DockFrame { 0, 26, 1920, 500 }));
    EXPECT_EQ(mainDockWindowFrame(QStringLiteral("left"), QRectF(30, 0, 1890, 1080)),
        (DockFrame { 10, 0, 500, 1080 }));
    EXPECT_EQ(mainDockWindowFrame(QStringLiteral("right"), QRectF(0, 26, 1920, 1054)),
        (DockFrame { 1430, 26, 500, 1054 }));
    EXPECT_EQ(mainDockWindowFrame(QStringLiteral("bottom"), QRectF(0, 0, 1440, 875)),
        mainDockWindowFrame(QStringLiteral("bottom"), QSizeF(1440, 875)));
}

TEST(DockFrames, MainDockTriggerFrameByEdge)
{
    const FrameRow rows[] = {
        { "bottom strip 20 high, 2 left of the origin", "bottom", { 1920, 1080 }, { -2, 0, 1920, 20 } },
        { "right strip 15 wide at the right edge", "right", { 1920, 1080 }, { 1910, 0, 15, 1080 } },
        { "left strip 15 wide at the left edge", "left", { 1920, 1080 }, { 0, 0, 15, 1080 } },
        { "no primary screen", "left", { 0, 0 }, { 0, 0, 15, 0 } },
    };
    for (const FrameRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(mainDockTriggerFrame(row.position, row.visibleSize), row.expected);
    }
}

TEST(DockFrames, TheMainStripLiesAlongTheFreeAreasEdgeBesideAPanel)
{
    // icewm's taskbar 26 high along the bottom: the strip lies on it, where
    // the bar stands, not under it.
    EXPECT_EQ(mainDockTriggerFrame(QStringLiteral("bottom"), QRectF(0, 26, 1920, 1054)),
        (DockFrame { -2, 26, 1920, 20 }));
    // A panel 30 wide on the left, one 40 wide on the right.
    EXPECT_EQ(mainDockTriggerFrame(QStringLiteral("left"), QRectF(30, 0, 1890, 1080)),
        (DockFrame { 30, 0, 15, 1080 }));
    EXPECT_EQ(mainDockTriggerFrame(QStringLiteral("right"), QRectF(0, 0, 1880, 1080)),
        (DockFrame { 1870, 0, 15, 1080 }));
    EXPECT_EQ(mainDockTriggerFrame(QStringLiteral("bottom"), QRectF(0, 0, 1920, 1080)),
        mainDockTriggerFrame(QStringLiteral("bottom"), QSizeF(1920, 1080)));
}

TEST(DockFrames, AStripIsPutInsideTheFreeAreaAndReachesOnToTheScreensEdge)
{
    const QRectF screen(0, 0, 1920, 1080);
    // Bottom: 2 left of the screen is cut off; over a taskbar 26 high the
    // pointer resting on the taskbar still counts as on the strip.
    const DockFrame bottom = stripPlacement({ -2, 26, 1920, 20 }, QRectF(0, 26, 1920, 1054));
    EXPECT_EQ(bottom, (DockFrame { 0, 26, 1918, 20 }));
    EXPECT_EQ(stripReach(bottom, screen, "bottom"), (DockFrame { 0, 0, 1918, 46 }));
    // Right: the 5 past the free area stay the panel's; the reach goes on
    // over it to the screen's edge.
    const DockFrame right = stripPlacement({ 1870, 0, 15, 1080 }, QRectF(0, 0, 1880, 1080));
    EXPECT_EQ(right, (DockFrame { 1870, 0, 10, 1080 }));
    EXPECT_EQ(stripReach(right, screen, "right"), (DockFrame { 1870, 0, 50, 1080 }));
    // Left, beside a panel 30 wide.
    const DockFrame left = stripPlacement({ 30, 0, 15, 1080 }, QRectF(30, 0, 1890, 1080));
    EXPECT_EQ(left, (DockFrame { 30, 0, 15, 1080 }));
    EXPECT_EQ(stripReach(left, screen, "left"), (DockFrame { 0, 0, 45, 1080 }));
    // Without a panel the reach is the strip; a "top" bar's strip is a
    // bottom one.
    EXPECT_EQ(stripReach({ 0, 0, 1918, 20 }, screen, "top"), (DockFrame { 0, 0, 1918, 20 }));
    // Another screen, reaching 30 below the primary's bottom.
    EXPECT_EQ(stripReach({ 1400, 0, 1920, 10 }, QRectF(1400, -30, 1920, 1080), "bottom"),
        (DockFrame { 1400, -30, 1920, 40 }));
    // Where the pointer brings the bar back: the screen's outer row or
    // column across the strip's span, on the panel beside it or not.
    EXPECT_EQ(stripEdgeTrigger(bottom, screen, "bottom"), (DockFrame { 0, 0, 1918, 1 }));
    EXPECT_EQ(stripEdgeTrigger({ 0, 0, 1918, 20 }, screen, "bottom"), (DockFrame { 0, 0, 1918, 1 }));
    EXPECT_EQ(stripEdgeTrigger(right, screen, "right"), (DockFrame { 1919, 0, 1, 1080 }));
    EXPECT_EQ(stripEdgeTrigger({ 1905, 0, 15, 1080 }, screen, "right"), (DockFrame { 1919, 0, 1, 1080 }));
    EXPECT_EQ(stripEdgeTrigger(left, screen, "left"), (DockFrame { 0, 0, 1, 1080 }));
    EXPECT_EQ(stripEdgeTrigger({ 1400, 0, 1920, 10 }, QRectF(1400, -30, 1920, 1080), "bottom"),
        (DockFrame { 1400, -30, 1920, 1 }));
    // A strip wholly outside the free area keeps its frame.
    EXPECT_EQ(stripPlacement({ 0, 0, 1920, 20 }, QRectF(0, 26, 1920, 1054)), (DockFrame { 0, 0, 1920, 20 }));
    EXPECT_EQ(stripPlacement({ -2, 0, 1920, 20 }, QRectF()), (DockFrame { -2, 0, 1920, 20 }));
}

struct ScreenRow {
    const char* name;
    std::optional<QString> position;
    DockFrame dock;
    DockFrame trigger;
};

TEST(DockFrames, OtherScreenFramesByEdge)
{
    // A 1920x1080 screen right of a 1400 wide primary, its visible frame
    // starting 30 up (a panel along its bottom).
    const QRectF visible(1400, 30, 1920, 1050);
    const ScreenRow rows[] = {
        { "no stored edge: bottom bar on its own screen", std::nullopt, { 1400, 30, 1920, 500 },
            { 1400, 30, 1920, 10 } },
        { "top behaves as bottom", QString("top"), { 1400, 30, 1920, 500 }, { 1400, 30, 1920, 10 } },
        { "right", QString("right"), { 2827, 30, 500, 1050 }, { 3312, 30, 15, 1050 } },
        { "left", QString("left"), { 1380, 30, 500, 1050 }, { 1400, 30, 15, 1050 } },
    };
    for (const ScreenRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(screenDockWindowFrame(visible, row.position), row.dock);
        EXPECT_EQ(screenDockTriggerFrame(visible, row.position), row.trigger);
    }
}

TEST(DockFrames, MainDockScreenIsTheOneStartingAtTheOrigin)
{
    EXPECT_TRUE(isMainDockScreenOrigin(QRectF(0, 0, 1920, 1080)));
    EXPECT_TRUE(isMainDockScreenOrigin(QRectF(0.4, 0.9, 1920, 1080)));
    EXPECT_FALSE(isMainDockScreenOrigin(QRectF(0, 30, 1920, 1050)));
    EXPECT_FALSE(isMainDockScreenOrigin(QRectF(1400, 0, 1920, 1080)));
}

TEST(DockFrames, PrimaryScreenHoldsTheOrigin)
{
    const std::vector<DockScreen> screens = {
        { "right", QRectF(1400, 0, 1920, 1080), QRectF(1400, 0, 1920, 1080) },
        { "left-of-primary", QRectF(-1280, 0, 1280, 1024), QRectF(-1280, 0, 1280, 1024) },
        { "primary", QRectF(0, 0, 1400, 1050), QRectF(0, 0, 1400, 1050) },
    };
    EXPECT_EQ(primaryDockScreen(screens).value().id, "primary");
    EXPECT_EQ(dockScreenContaining(screens, QPointF(1400, 5))->id, "right");
    EXPECT_EQ(dockScreenContaining(screens, QPointF(-1, 5))->id, "left-of-primary");
    EXPECT_FALSE(dockScreenContaining(screens, QPointF(5000, 5)).has_value());
    EXPECT_FALSE(primaryDockScreen({}).has_value());
}

TEST(DockFrames, ConversionToWindowSystemSpace)
{
    // Primary 1400x1050 at the top left, a 1920x1080 screen to its right.
    const QRect primary(0, 0, 1400, 1050);
    EXPECT_EQ(toWindowSystemRect({ 0, 0, 1400, 500 }, primary), QRect(0, 550, 1400, 500));
    EXPECT_EQ(toWindowSystemRect({ -20, 0, 500, 1050 }, primary), QRect(-20, 0, 500, 1050));
    // Dock space y below the primary's bottom is negative: the taller
    // second screen reaches 30 below it.
    EXPECT_EQ(toWindowSystemRect({ 1400, -30, 1920, 500 }, primary), QRect(1400, 580, 1920, 500));
    EXPECT_EQ(toDockSpace(QRectF(1400, 0, 1920, 1080), primary), QRectF(1400, -30, 1920, 1080));
    // A primary not at the virtual desktop's origin.
    const QRect shifted(1920, 200, 1280, 1024);
    EXPECT_EQ(toWindowSystemRect({ 0, 0, 1280, 500 }, shifted), QRect(1920, 724, 1280, 500));
    EXPECT_EQ(toDockSpace(QRectF(1920, 200, 1280, 1024), shifted), QRectF(0, 0, 1280, 1024));
}

TEST(DockFrames, StripEdgeLineLiesOnTheScreenEdge)
{
    const QRectF primary(0, 0, 1920, 1080);
    // Bottom strip 20 high: its lowest row, the screen's bottom row.
    EXPECT_EQ(stripEdgeLine({ -2, 0, 1920, 20 }, primary, "bottom"), QRect(0, 19, 1920, 1));
    // Left strip: its first column.
    EXPECT_EQ(stripEdgeLine({ 0, 0, 15, 1080 }, primary, "left"), QRect(0, 0, 1, 1080));
    // Right strip hangs 5 past the screen: the screen's last column is its 10th.
    EXPECT_EQ(stripEdgeLine({ 1910, 0, 15, 1080 }, primary, "right"), QRect(9, 0, 1, 1080));
    // Another screen's bottom strip, on its own visible bottom.
    EXPECT_EQ(stripEdgeLine({ 1400, -30, 1920, 10 }, QRectF(1400, -30, 1920, 1080), "bottom"),
        QRect(0, 9, 1920, 1));
}

// At every scale the auto-show strip takes the pointer on its screen's last
// row (or column) of the server's alone, though a pixel of Qt's there covers
// two or three of them, or starts mid-row; a strip window is cut to it too.
TEST(DockFrames, AStripTakesOnlyItsScreensLastRowOfTheServersAtEveryScale)
{
    struct Desk {
        const char* name;
        QRect place; // the strip's screen, on the server
        bool beside; // right of a 1920x1080 primary at scale 1
        int panel; // a taskbar along the edge, Qt's pixels
    };
    const std::vector<Desk> desks { { "1366x768", QRect(0, 0, 1366, 768), false, 0 },
        { "3840x2160", QRect(0, 0, 3840, 2160), false, 0 },
        { "1366x768 over a taskbar", QRect(0, 0, 1366, 768), false, 26 },
        { "3840x2160 beside", QRect(1920, 0, 3840, 2160), true, 0 } };
    for (const double scale : { 1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0 })
        for (const Desk& desk : desks)
            for (const char* edgeName : { "bottom", "left", "right" }) {
                const QString position = QLatin1String(edgeName);
                SCOPED_TRACE(
                    QStringLiteral("%1 at %2, %3").arg(desk.name).arg(scale).arg(position).toStdString());
                std::vector<platform::ScaledScreen> screens;
                if (desk.beside)
                    screens.push_back({ QStringLiteral("primary"), QRect(0, 0, 1920, 1080), 1.0 });
                screens.push_back({ QStringLiteral("strip's"), desk.place, scale });
                const QRect primary = platform::qtGeometry(screens.front());
                const QRectF screen = toDockSpace(QRectF(platform::qtGeometry(screens.back())), primary);
                const auto panelOn
                    = [&](const char* edge) { return position == QLatin1String(edge) ? desk.panel : 0; };
                const QRectF visible
                    = screen.adjusted(panelOn("left"), panelOn("bottom"), -panelOn("right"), 0);
                const DockFrame frame = desk.beside ? screenDockTriggerFrame(visible, position)
                                                    : mainDockTriggerFrame(position, visible);
                const DockFrame placed = stripPlacement(frame, visible);

                const StripOnServer strip = stripOnServer(placed, screen, position, primary, screens);
                const QRect edge = strip.edge.translated(strip.area.topLeft());
                EXPECT_TRUE(desk.place.contains(strip.area));
                if (position == QLatin1String("bottom")) {
                    EXPECT_EQ(edge, QRect(strip.area.left(), desk.place.bottom(), strip.area.width(), 1));
                } else {
                    const int column
                        = position == QLatin1String("left") ? desk.place.left() : desk.place.right();
                    EXPECT_EQ(edge, QRect(column, strip.area.top(), 1, strip.area.height()));
                    EXPECT_EQ(strip.area.height(), desk.place.height()) << "a side strip the screen's height";
                }

                // A strip window's line; beside a panel, its own outer row.
                const QRect window = toWindowSystemRect(placed, primary);
                const QRect line = edgeLineOnServer(
                    stripEdgeLine(placed, screen, position).translated(window.topLeft()), position, screens);
                EXPECT_TRUE(line.width() == 1 || line.height() == 1);
                if (desk.panel == 0)
                    EXPECT_EQ(line, edge);
                else
                    EXPECT_TRUE(platform::serverFromQt(QRectF(window), screens).contains(line));
            }
}

} // namespace

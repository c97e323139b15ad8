#include "platform/ScreenScale.h"

#include <gtest/gtest.h>

#include <optional>

using platform::ScaledScreen;

namespace {

const ScaledScreen kFourK { QStringLiteral("DUMMY0"), QRect(0, 0, 3840, 2160), 2.0 };

} // namespace

// What Qt lays out at a scale is the server's pixels divided by it, about
// the screen's top-left corner: a bar 52 of Qt's rows high at a 4K screen's
// bottom reserves 104 rows at 2 and 78 at 1.5, and comes back the same.
TEST(ScreenScale, AWholeOrFractionalScaleMultipliesEveryFigure)
{
    struct Row {
        const char* name;
        ScaledScreen screen;
        QRect qt; // the screen as Qt has it
        QRectF bar; // along its bottom, in Qt's pixels
        QRect server; // the bar on the server
    };
    const Row rows[] = {
        { "scale 2", kFourK, QRect(0, 0, 1920, 1080), QRectF(0, 1028, 1920, 52), QRect(0, 2056, 3840, 104) },
        { "scale 1.5", { QStringLiteral("DUMMY0"), QRect(0, 0, 3840, 2160), 1.5 }, QRect(0, 0, 2560, 1440),
            QRectF(0, 1388, 2560, 52), QRect(0, 2082, 3840, 78) },
        { "scale 1", { QStringLiteral("DUMMY0"), QRect(0, 0, 1920, 1080), 1.0 }, QRect(0, 0, 1920, 1080),
            QRectF(0, 1028, 1920, 52), QRect(0, 1028, 1920, 52) },
        { "a screen right of the primary, at 2",
            { QStringLiteral("DUMMY1"), QRect(1400, 0, 3840, 2000), 2.0 }, QRect(1400, 0, 1920, 1000),
            QRectF(1400, 948, 1920, 52), QRect(1400, 1896, 3840, 104) },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<ScaledScreen> screens { row.screen };
        EXPECT_EQ(platform::qtGeometry(row.screen), row.qt);
        EXPECT_EQ(platform::serverFromQt(row.bar, screens), row.server);
        EXPECT_EQ(platform::qtFromServer(row.server, screens), row.bar.toRect());
        // The pointer on the screen's last row, both ways.
        const QPointF lastRow(row.qt.center().x(), row.qt.bottom() + 0.5);
        EXPECT_EQ(platform::qtFromServer(platform::serverFromQt(lastRow, screens), screens), lastRow);
    }
}

// With a scale per screen each place converts with its own screen's scale,
// wherever the primary stands; places off every screen go with the nearest.
TEST(ScreenScale, EachScreenConvertsWithItsOwnScale)
{
    const ScaledScreen first { QStringLiteral("DUMMY0"), QRect(0, 0, 1400, 1050), 1.0 };
    const ScaledScreen second { QStringLiteral("DUMMY1"), QRect(1400, 0, 3840, 2000), 2.0 };
    const std::vector<ScaledScreen> sideBySide { first, second };
    EXPECT_EQ(platform::serverFromQt(QPointF(700, 500), sideBySide), QPointF(700, 500));
    EXPECT_EQ(platform::serverFromQt(QPointF(2000, 500), sideBySide), QPointF(2600, 1000));
    EXPECT_EQ(platform::qtFromServer(QPointF(2600, 1000), sideBySide), QPointF(2000, 500));
    EXPECT_EQ(platform::screenOfPoint(QPointF(1400, 10), true, sideBySide), &sideBySide[1])
        << "the left edge of the second is the second's";
    EXPECT_EQ(platform::screenOfPoint(QPointF(3000, 1500), true, sideBySide), &sideBySide[1])
        << "below the second in Qt's pixels, the nearest is the second";
    // A rectangle goes with the screen that holds its centre.
    EXPECT_EQ(platform::serverFromQt(QRectF(1400, 948, 1920, 52), sideBySide), QRect(1400, 1896, 3840, 104));
    EXPECT_EQ(platform::serverFromQt(QRectF(0, 998, 1400, 52), sideBySide), QRect(0, 998, 1400, 52));

    // The scaled screen left of the primary, then above it.
    const ScaledScreen leftOfPrimary { QStringLiteral("DUMMY1"), QRect(0, 0, 3840, 2160), 2.0 };
    const ScaledScreen primaryRight { QStringLiteral("DUMMY0"), QRect(3840, 0, 1400, 1050), 1.0 };
    const std::vector<ScaledScreen> left { leftOfPrimary, primaryRight };
    EXPECT_EQ(platform::serverFromQt(QPointF(3900, 1000), left), QPointF(3900, 1000));
    EXPECT_EQ(platform::serverFromQt(QPointF(100, 1000), left), QPointF(200, 2000));
    const ScaledScreen above { QStringLiteral("DUMMY1"), QRect(0, 0, 3840, 2160), 2.0 };
    const ScaledScreen primaryBelow { QStringLiteral("DUMMY0"), QRect(0, 2160, 1400, 1050), 1.0 };
    const std::vector<ScaledScreen> stacked { above, primaryBelow };
    EXPECT_EQ(platform::qtFromServer(QRect(0, 2160, 1400, 1050), stacked), QRect(0, 2160, 1400, 1050));
    EXPECT_EQ(platform::qtFromServer(QRect(0, 2056, 3840, 104), stacked), QRect(0, 1028, 1920, 52));

    // Rectangles that meet in Qt's pixels meet on the server too.
    const QRect a = platform::serverFromQt(QRectF(0, 0, 100.5, 10), { kFourK });
    const QRect b = platform::serverFromQt(QRectF(100.5, 0, 100, 10), { kFourK });
    EXPECT_EQ(a.right() + 1, b.left());

    // Without screens nothing converts.
    EXPECT_EQ(platform::serverFromQt(QRectF(10, 20, 30, 40), {}), QRect(10, 20, 30, 40));
    EXPECT_EQ(platform::qtFromServer(QPointF(10, 20), {}), QPointF(10, 20));
}

// The pointer pushed against a screen's edge stands on the server's last
// column or row, which at 1.75 or 2 is half of one of Qt's pixels. Whatever
// the scale, the screen's size and its neighbour, every pixel of an edge's
// last and first lines is on a strip that runs along that edge (as the
// auto-show strip's hover area does, in the server's pixels); held in Qt's
// pixels, the last line's are on that strip and on that screen, where the
// bar is drawn.
TEST(ScreenScale, EveryPixelOfAnEdgeIsOnItsStripAtEveryScale)
{
    const ScaledScreen primary { QStringLiteral("DUMMY0"), QRect(0, 0, 1400, 1050), 1.0 };
    struct Arrangement {
        const char* name;
        QRect place; // the scaled screen's
    };
    const Arrangement arrangements[] = {
        { "right of the primary", QRect(1400, 0, 3840, 2160) },
        { "below the primary", QRect(0, 1050, 1920, 1080) },
        // Sizes no scale divides: Qt rounds them.
        { "right of the primary, 1366x768", QRect(1400, 0, 1366, 768) },
    };
    enum class Edge { Left, Right, Top, Bottom };
    constexpr int kDepth = 10; // the strip's, in Qt's pixels
    for (const Arrangement& arrangement : arrangements) {
        for (const double scale : { 1.0, 1.25, 1.5, 1.75, 2.0, 3.0 }) {
            const ScaledScreen screen { QStringLiteral("DUMMY1"), arrangement.place, scale };
            const std::vector<ScaledScreen> screens { primary, screen };
            const QRect qt = platform::qtGeometry(screen);
            const QRect place = arrangement.place;
            for (const Edge edge : { Edge::Left, Edge::Right, Edge::Top, Edge::Bottom }) {
                SCOPED_TRACE(::testing::Message()
                    << arrangement.name << ", scale " << scale << ", edge " << int(edge));
                const bool vertical = edge == Edge::Left || edge == Edge::Right;
                QRectF strip(qt);
                if (edge == Edge::Left)
                    strip.setWidth(kDepth);
                else if (edge == Edge::Right)
                    strip.setLeft(qt.x() + qt.width() - kDepth);
                else if (edge == Edge::Top)
                    strip.setHeight(kDepth);
                else
                    strip.setTop(qt.y() + qt.height() - kDepth);
                const QRect onServer = platform::serverFromQt(strip, screens);
                EXPECT_TRUE(place.contains(onServer)) << "the strip on the server reaches off its screen";
                // The screen's outermost line, and the strip's innermost.
                const int outer = edge == Edge::Left ? place.left()
                    : edge == Edge::Right            ? place.right()
                    : edge == Edge::Top              ? place.top()
                                                     : place.bottom();
                const int inner = edge == Edge::Left ? onServer.right()
                    : edge == Edge::Right            ? onServer.left()
                    : edge == Edge::Top              ? onServer.bottom()
                                                     : onServer.top();
                for (const int line : { outer, inner }) {
                    std::optional<QPoint> offStrip, offQtStrip;
                    const int length = vertical ? place.height() : place.width();
                    for (int i = 0; i < length; ++i) {
                        const QPoint pixel
                            = vertical ? QPoint(line, place.top() + i) : QPoint(place.left() + i, line);
                        if (!offStrip && !onServer.contains(pixel))
                            offStrip = pixel;
                        const QPoint held = platform::qtPixelOnScreen(pixel, screens);
                        // The bar drawn along the edge is under it too.
                        if (line == outer && !offQtStrip
                            && !(strip.toRect().contains(held) && qt.contains(held)))
                            offQtStrip = pixel;
                    }
                    EXPECT_FALSE(offStrip) << "line " << line << ": " << offStrip->x() << "," << offStrip->y()
                                           << " is off the strip on the server";
                    EXPECT_FALSE(offQtStrip) << "line " << line << ": " << offQtStrip->x() << ","
                                             << offQtStrip->y() << " held in Qt's pixels is off the strip";
                }
            }
        }
    }
}

// The primary's pixels stay the primary's beside a scaled screen, and a
// point off every screen is held to the nearest one's edge.
TEST(ScreenScale, APixelIsHeldToItsOwnScreen)
{
    const ScaledScreen primary { QStringLiteral("DUMMY0"), QRect(0, 0, 1400, 1050), 1.0 };
    const ScaledScreen right { QStringLiteral("DUMMY1"), QRect(1400, 0, 3840, 2160), 2.0 };
    const std::vector<ScaledScreen> screens { primary, right };
    EXPECT_EQ(platform::qtPixelOnScreen(QPoint(1399, 1049), screens), QPoint(1399, 1049));
    EXPECT_EQ(platform::qtPixelOnScreen(QPoint(1400, 0), screens), QPoint(1400, 0));
    EXPECT_EQ(platform::qtPixelOnScreen(QPoint(5239, 2159), screens), QPoint(3319, 1079));
    EXPECT_EQ(platform::qtPixelOnScreen(QPoint(1000, 1100), screens), QPoint(1000, 1049))
        << "below the primary, nearest to it";
    EXPECT_EQ(platform::qtPixelOnScreen(QPoint(10, 20), {}), QPoint(10, 20));
}

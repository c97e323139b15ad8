// The bar's rectangle and its items' as the geometry lays them out: where
// the bar stands on each edge, the items' order and lengths, and the two
// rows of a grid.
#include "dock/layout/DockBarGeometry.h"

#include "platform/ScreenScale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Kind = DockBarItem::Kind;

// A bottom bar with the bar rows' items as DockView hands them over; with
// none, the main button and the launcher.
DockBarGeometryInput bottomBar(std::vector<DockBarSlotSpec> items = {}, const QString& mode = "list")
{
    DockBarGeometryInput input;
    input.windowSize = QSizeF(1920, 500);
    input.onScreen = QRectF(0, 0, 1920, 500);
    input.screenWidth = 1920;
    input.listMode = mode;
    input.barItems = std::move(items);
    return input;
}

DockBarGeometryInput sideBar(const QString& edge)
{
    DockBarGeometryInput input;
    input.windowSize = QSizeF(500, 1080);
    // The left window starts 20 left of the screen; the right one hangs 10 past it.
    input.onScreen = edge == "left" ? QRectF(20, 0, 480, 1080) : QRectF(0, 0, 490, 1080);
    input.edge = edge;
    input.vertical = true;
    input.dockHeight = 96;
    return input;
}

TEST(DockBarGeometry, BottomBarIsCentredOnTheBottomEdge)
{
    // Main button and launchpad: two icons of 56, 8 at each end.
    const DockBarPicture picture = dockBarPicture(bottomBar());
    EXPECT_EQ(picture.barRect, QRectF(896, 448, 128, 50));
    ASSERT_EQ(picture.items.size(), 2u);
    EXPECT_EQ(picture.items[1].kind, Kind::Launchpad);
    EXPECT_EQ(picture.items[0].iconRect, QRectF(909, 450, 46, 46));
    for (const DockBarItem& item : picture.items)
        EXPECT_TRUE(picture.barRect.contains(item.iconRect));
}

TEST(DockBarGeometry, FullScreenDockSpansTheScreenAndAHiddenOneDrawsNothing)
{
    DockBarGeometryInput input = bottomBar();
    input.content.settings.fullScreenDock = true;
    EXPECT_EQ(dockBarPicture(input).barRect.width(), 1920);
    input.shown = false;
    EXPECT_TRUE(dockBarPicture(input).barRect.isEmpty());
    EXPECT_TRUE(dockBarPicture(input).items.empty());
}

TEST(DockBarGeometry, SideBarsHugTheirScreenEdge)
{
    const DockBarPicture left = dockBarPicture(sideBar("left"));
    EXPECT_EQ(left.barRect.left(), 20) << "the window's first 20 pixels are off the screen";
    EXPECT_EQ(left.barRect.size(), QSizeF(50, 96));
    EXPECT_EQ(left.barRect.center().y(), 540 - 18);

    const DockBarPicture right = dockBarPicture(sideBar("right"));
    EXPECT_EQ(right.barRect.right(), 490);
    for (const DockBarItem& item : right.items)
        EXPECT_TRUE(right.barRect.contains(item.iconRect)) << "buttons stay inside the panel";
}

TEST(DockBarGeometry, BarNeverLeavesItsScreen)
{
    DockBarGeometryInput input = sideBar("left");
    input.dockHeight = 5000;
    const DockBarPicture picture = dockBarPicture(input);
    EXPECT_EQ(picture.barRect.top(), 0);
    EXPECT_EQ(picture.barRect.height(), 1080);

    DockBarGeometryInput tiny = bottomBar();
    tiny.content.settings.iconSize = -10; // a broken setting still draws something sane
    EXPECT_GE(dockBarPicture(tiny).barRect.width(), 1);
}

TEST(BarRowsGeometry, ItemsKeepTheirOrderAndPointBackToTheirEntry)
{
    DockBarSlotSpec onlyWindow { Kind::Window };
    onlyWindow.iconOnly = true;
    const DockBarPicture picture = dockBarPicture(bottomBar({ { Kind::MainButton }, { Kind::Launchpad },
        { Kind::PinnedApp }, { Kind::Window }, onlyWindow, { Kind::App } }));
    ASSERT_EQ(picture.items.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(picture.items[size_t(i)].entryIndex, i);
    // Icons take 56 along the bar, so does an application's only window;
    // window buttons with a tag 46 + 140.
    EXPECT_EQ(picture.items[2].rect.width(), 56);
    EXPECT_EQ(picture.items[3].rect.width(), 186);
    EXPECT_EQ(picture.items[4].rect.width(), 56);
    for (size_t i = 1; i < picture.items.size(); ++i)
        EXPECT_DOUBLE_EQ(picture.items[i].rect.left(), picture.items[i - 1].rect.right());
    EXPECT_DOUBLE_EQ(picture.barRect.width(), 5 * 56 + 186 + 16);
}

TEST(BarRowsGeometry, AGridStacksPairsInColumnsOfTheScreensTagWidth)
{
    // Five windows: columns 1-2, 3-4, 5.
    DockBarGeometryInput input = bottomBar({ { Kind::Window, 0 }, { Kind::Window, 1 }, { Kind::Window, 0 },
                                               { Kind::Window, 1 }, { Kind::Window, 0 } },
        "grid");
    input.windowTagWidth = 110;
    const DockBarPicture picture = dockBarPicture(input);
    ASSERT_EQ(picture.items.size(), 5u);
    const auto& it = picture.items;
    EXPECT_EQ(it[0].rect, it[1].rect.translated(0, -25));
    EXPECT_EQ(it[0].rect.size(), QSizeF(46 + 110, 25));
    EXPECT_EQ(it[2].rect.left(), it[0].rect.right());
    EXPECT_EQ(it[2].rect.left(), it[3].rect.left());
    EXPECT_EQ(it[4].rect, it[2].rect.translated(156, 0));
    EXPECT_EQ(picture.barRect.width(), 3 * 156 + 16);
}

TEST(BarRowsGeometry, GridRowsAreIgnoredOnASideBar)
{
    DockBarGeometryInput input = bottomBar({ { Kind::Window, 0 }, { Kind::Window, 1 } }, "grid");
    input.vertical = true;
    input.edge = "left";
    input.windowSize = QSizeF(500, 1080);
    input.onScreen = QRectF(0, 0, 500, 1080);
    const DockBarPicture picture = dockBarPicture(input);
    ASSERT_EQ(picture.items.size(), 2u);
    EXPECT_EQ(picture.items[1].rect.top(), picture.items[0].rect.bottom());
}

} // namespace

TEST(DockDrawnRegion, HoldsThePanelAndWhatIsDrawnOverItNothingMore)
{
    DockBarPicture picture;
    picture.barRect = QRectF(100, 448, 200, 50);
    DockBarItem item;
    item.rect = QRectF(108, 448, 56, 50);
    item.iconRect = QRectF(113, 450, 46, 46);
    picture.items.push_back(item);
    const QRectF badge(140, 436, 20, 18); // over the icon's top right corner
    const QRectF grownIcon(108.4, 445.4, 55.2, 55.2); // a hovered icon, a fifth larger
    const QRegion region = barDrawnRegion(picture, { { badge, 0 } });
    EXPECT_TRUE(region.contains(badge.toAlignedRect()));
    EXPECT_TRUE(region.contains(QRect(110, 448, 180, 50))) << "the panel";
    EXPECT_FALSE(region.contains(QPoint(120, 444))) << "over the bar only where something is drawn";
    EXPECT_FALSE(region.contains(QPoint(100, 448))) << "a rounded corner is not painted";
    EXPECT_FALSE(region.contains(QPoint(299, 497)));
    EXPECT_TRUE(barDrawnRegion(picture, { { grownIcon, 0 } }).contains(QPoint(120, 446)));
    EXPECT_TRUE(barDrawnRegion(DockBarPicture {}, { { badge, 0 } }).isEmpty())
        << "a hidden bar takes no input";
}

namespace {

// The dock window of a 1920x1080 screen (the server's pixels) that Qt scales
// by `scale`, with its bar on `edge`: three buttons, the middle one hovered
// (its icon grown a fifth past the panel) and badged.
struct DockWindowAt {
    DockBarGeometryInput input;
    DockBarPicture picture;
    std::vector<DockBarExtra> extras;
    QRectF area; // the part of the window on its screen

    DockWindowAt(const QString& edge, double scale)
    {
        const double width = 1920 / scale, height = 1080 / scale;
        if (edge == "bottom") {
            input = bottomBar({ { Kind::MainButton }, { Kind::App }, { Kind::App } });
            input.windowSize = QSizeF(width, 500);
            input.onScreen = QRectF(0, 0, width, 500);
            input.screenWidth = width;
        } else {
            input = sideBar(edge);
            input.windowSize = QSizeF(500, height);
            input.onScreen = edge == "left" ? QRectF(20, 0, 480, height) : QRectF(0, 0, 490, height);
            input.dockHeight.reset();
            input.barItems = { { Kind::MainButton }, { Kind::App }, { Kind::App } };
        }
        area = input.onScreen;
        picture = dockBarPicture(input);
        const QRectF icon = picture.items.at(1).iconRect;
        const double grow = icon.width() / 10;
        extras = { { icon.adjusted(-grow, -grow, grow, grow), 1 },
            { QRectF(icon.right() - 8, icon.top() - 6, 18, 16), 1 } };
    }
};

} // namespace

// For every edge, at every scale: the dock window shows only where it takes
// the pointer (a frame copies what it shows and takes every click there, a
// soft shadow's too), on the panel and what is painted past it; the band
// under the bar reaches the screen's edge, each point going to the bar above.
TEST(DockWindowShape, ShowsOnlyWhereItTakesThePointerAndTheEdgeUnderTheBarIsTheBars)
{
    for (const char* edge : { "bottom", "left", "right" })
        for (const double scale : { 1.0, 1.5, 2.0 }) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(QLatin1String(edge)).arg(scale).toStdString());
            const DockWindowAt dock(QLatin1String(edge), scale);
            const QRectF bar = dock.picture.barRect;
            ASSERT_FALSE(bar.isEmpty());
            // Past the panel only the extras' opaque pixels show: here a
            // column through the grown icon.
            const QRectF grown = dock.extras[0].rect;
            const QRegion opaque(
                QRectF(grown.center().x() - 4, grown.top(), 8, grown.height()).toAlignedRect());
            const BarWindowShape shape = barWindowShape(dock.picture, dock.extras, opaque);
            const QRegion input = platform::serverRegion(shape.input, scale);
            const QRegion shown = platform::serverRegion(shape.shown, scale);

            EXPECT_EQ(shown, input) << "shown but taking no click, or taking clicks it does not show";
            EXPECT_TRUE(shape.input.contains(bar.center().toPoint())) << "the panel";
            EXPECT_TRUE(shape.input.contains(opaque.boundingRect().topLeft())) << "the grown icon";
            EXPECT_FALSE(
                shape.input.contains(QPoint(int(std::floor(grown.left())), int(std::floor(grown.top())))))
                << "a pixel the grown icon leaves clear past the panel";
            const QRegion drawn = barDrawnRegion(dock.picture, dock.extras);
            EXPECT_EQ(shape.input - drawn, QRegion())
                << "the pointer is taken (and a shadow shown) past what is drawn";

            const bool vertical = QLatin1String(edge) != QLatin1String("bottom");
            const QRectF band = barEdgeBand(dock.picture, dock.area, QLatin1String(edge), vertical);
            // What takes the pointer from the bar's middle line to the
            // window's outer edge, in the server's pixels.
            const QRegion reach = input + platform::serverRegion(QRegion(band.toAlignedRect()), scale);
            const QPointF middle = bar.center();
            if (!vertical) {
                const int x = int(middle.x() * scale);
                const int last = int(std::ceil(dock.area.bottom() * scale)) - 1;
                for (int y = int(middle.y() * scale); y <= last; ++y)
                    ASSERT_TRUE(reach.contains(QPoint(x, y))) << "row " << y << " of " << last;
                EXPECT_DOUBLE_EQ(band.height(), 2) << "the bar stands 2 points off the edge";
            } else {
                EXPECT_TRUE(band.isEmpty()) << "a side bar touches its edge";
                const int y = int(middle.y() * scale);
                const int outer = QLatin1String(edge) == QLatin1String("left")
                    ? int(dock.area.left() * scale)
                    : int(std::ceil(dock.area.right() * scale)) - 1;
                EXPECT_TRUE(reach.contains(QPoint(outer, y))) << "column " << outer;
            }
            // A point of the band goes to the item right above it.
            const DockBarItem& item = dock.picture.items.at(2);
            const QPointF onBand = vertical
                ? QPointF(band.isEmpty() ? 0 : band.center().x(), item.rect.center().y())
                : QPointF(item.rect.center().x(), band.center().y());
            const QPointF above = barPointAbove(onBand, bar, QLatin1String(edge), vertical);
            EXPECT_TRUE(item.rect.contains(above)) << above.x() << "," << above.y();
        }
    EXPECT_EQ(barWindowShape(DockBarPicture {}, {}, {}), BarWindowShape {}) << "a hidden bar shows nothing";
    EXPECT_TRUE(barEdgeBand(DockBarPicture {}, QRectF(0, 0, 1920, 500), "bottom", false).isEmpty())
        << "nor takes its edge";
}

// Each server pixel where the dock window takes the pointer acts as an
// item but for the panel's ends; past the panel, the hovered button's badge
// and grown icon act as that button.
TEST(BarItemAt, EveryPixelThatTakesThePointerActsAsTheItemItBelongsTo)
{
    for (const char* edge : { "bottom", "left", "right" })
        for (const double scale : { 1.0, 1.25, 1.5, 1.75, 2.0 }) {
            SCOPED_TRACE(QStringLiteral("%1 at %2").arg(QLatin1String(edge)).arg(scale).toStdString());
            const DockWindowAt dock(QLatin1String(edge), scale);
            const bool vertical = QLatin1String(edge) != QLatin1String("bottom");
            const QRectF first = dock.picture.items.front().rect, last = dock.picture.items.back().rect;
            const QRegion panel = platform::serverRegion(barDrawnRegion(dock.picture, {}), scale);
            int pastThePanel = 0, notItsButtons = 0, wrong = 0;
            for (const QRect& r : platform::serverRegion(barDrawnRegion(dock.picture, dock.extras), scale))
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x) {
                        // Qt hands the server's pixel to the bar divided by the scale.
                        const QPointF point = QPointF(x, y) / scale;
                        const int item = barItemAt(dock.picture, dock.extras, point);
                        const bool end = vertical ? point.y() < first.top() || point.y() >= last.bottom()
                                                  : point.x() < first.left() || point.x() >= last.right();
                        if (!panel.contains(QPoint(x, y))) {
                            ++pastThePanel;
                            notItsButtons += item != 1;
                        } else
                            wrong += (item < 0) != end;
                    }
            EXPECT_GT(pastThePanel, 0) << "the badge and the grown icon stand past the panel";
            EXPECT_EQ(notItsButtons, 0) << "pixels past the panel that are not the hovered, badged button's";
            EXPECT_EQ(wrong, 0)
                << "pixels of the panel acting as none along its buttons, or as one at its ends";
        }
}

TEST(OpaquePart, HoldsThePixelsAtLeastHalfOpaqueNeverASoftShadow)
{
    // An opaque square with a soft black shadow around it and an
    // antialiased rim: half opaque on its right, just under half below.
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 2; y < 18; ++y)
        for (int x = 2; x < 18; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 0, 84));
    for (int y = 5; y < 15; ++y)
        for (int x = 5; x < 15; ++x)
            image.setPixelColor(x, y, QColor(255, 100, 0));
    for (int y = 5; y < 15; ++y)
        image.setPixelColor(15, y, QColor(255, 100, 0, 128));
    for (int x = 5; x < 15; ++x)
        image.setPixelColor(x, 15, QColor(255, 100, 0, 127));

    const QRegion region = opaquePart(image, QPoint(100, 200));
    EXPECT_EQ(region, QRegion(QRect(105, 205, 11, 10)));
    EXPECT_EQ(region.rectCount(), 1) << "rows with the same runs make one band";
    EXPECT_EQ(opaquePart(image, QPoint(0, 0), 84), QRegion(QRect(2, 2, 16, 16)));

    // Two runs on a row, then rows of one run: bands as QRegion keeps them.
    QImage gaps(6, 3, QImage::Format_ARGB32);
    gaps.fill(Qt::transparent);
    for (const QPoint p : { QPoint(0, 0), QPoint(1, 0), QPoint(4, 0), QPoint(4, 1), QPoint(4, 2) })
        gaps.setPixelColor(p, Qt::white);
    EXPECT_EQ(opaquePart(gaps, QPoint(0, 0)), QRegion(QRect(0, 0, 2, 1)) + QRect(4, 0, 1, 3));

    QImage solid(3, 2, QImage::Format_RGB32);
    solid.fill(Qt::black);
    EXPECT_EQ(opaquePart(solid, QPoint(1, 1)), QRegion(QRect(1, 1, 3, 2))) << "no alpha: all opaque";
    EXPECT_TRUE(opaquePart(QImage(), QPoint()).isEmpty());
}

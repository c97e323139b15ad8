// The bar's rectangle and its items' as the geometry lays them out: where
// the bar stands on each edge, the items' order and lengths, and the two
// rows of a grid.
#include "dock/layout/DockBarGeometry.h"

#include <gtest/gtest.h>

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
    const QRegion region = barDrawnRegion(picture, { badge });
    EXPECT_TRUE(region.contains(badge.toAlignedRect()));
    EXPECT_TRUE(region.contains(QRect(110, 448, 180, 50))) << "the panel";
    EXPECT_FALSE(region.contains(QPoint(120, 444))) << "over the bar only where something is drawn";
    EXPECT_FALSE(region.contains(QPoint(100, 448))) << "a rounded corner is not painted";
    EXPECT_FALSE(region.contains(QPoint(299, 497)));
    EXPECT_TRUE(barDrawnRegion(picture, { grownIcon }).contains(QPoint(120, 446)));
    EXPECT_TRUE(barDrawnRegion(DockBarPicture {}, { badge }).isEmpty()) << "a hidden bar takes no input";
}

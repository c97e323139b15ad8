// The bar rows' items as the geometry lays them out: order, lengths and the
// two rows of a grid.
#include "dock/DockBarGeometry.h"

#include <gtest/gtest.h>

namespace {

using Kind = DockBarItem::Kind;

DockBarGeometryInput bottomBarWith(std::vector<DockBarSlotSpec> items, const QString& mode = "list")
{
    DockBarGeometryInput input;
    input.windowSize = QSizeF(1920, 500);
    input.onScreen = QRectF(0, 0, 1920, 500);
    input.screenWidth = 1920;
    input.listMode = mode;
    input.windowTagWidth = 140;
    input.barItems = std::move(items);
    return input;
}

TEST(BarRowsGeometry, ItemsKeepTheirOrderAndPointBackToTheirEntry)
{
    const DockBarPicture picture = dockBarPicture(bottomBarWith({ { Kind::MainButton }, { Kind::Launchpad },
        { Kind::PinnedApp }, { Kind::Window }, { Kind::Window }, { Kind::App } }));
    ASSERT_EQ(picture.items.size(), 6u);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(picture.items[size_t(i)].entryIndex, i);
    // Icons take 56 along the bar, window buttons with a tag 46 + 140.
    EXPECT_EQ(picture.items[2].rect.width(), 56);
    EXPECT_EQ(picture.items[3].rect.width(), 186);
    EXPECT_EQ(picture.items[5].rect.width(), 56);
    for (size_t i = 1; i < picture.items.size(); ++i)
        EXPECT_DOUBLE_EQ(picture.items[i].rect.left(), picture.items[i - 1].rect.right());
    EXPECT_DOUBLE_EQ(picture.barRect.width(), 4 * 56 + 2 * 186 + 16);
}

TEST(BarRowsGeometry, TheOnlyWindowOfAnApplicationTakesAnIconsLength)
{
    DockBarSlotSpec only { Kind::Window };
    only.iconOnly = true;
    const DockBarPicture picture = dockBarPicture(bottomBarWith({ only, { Kind::Window } }));
    ASSERT_EQ(picture.items.size(), 2u);
    EXPECT_EQ(picture.items[0].kind, Kind::Window);
    EXPECT_EQ(picture.items[0].rect.width(), 56);
    EXPECT_EQ(picture.items[1].rect.width(), 186);
}

TEST(BarRowsGeometry, AGridStacksPairsInColumns)
{
    // Five windows: columns 1-2, 3-4, 5.
    const DockBarPicture picture
        = dockBarPicture(bottomBarWith({ { Kind::Window, 0 }, { Kind::Window, 1 }, { Kind::Window, 0 },
                                           { Kind::Window, 1 }, { Kind::Window, 0 } },
            "grid"));
    ASSERT_EQ(picture.items.size(), 5u);
    const auto& it = picture.items;
    EXPECT_EQ(it[0].rect.left(), it[1].rect.left());
    EXPECT_LT(it[0].rect.top(), it[1].rect.top());
    EXPECT_EQ(it[2].rect.left(), it[3].rect.left());
    EXPECT_EQ(it[2].rect.left(), it[0].rect.right());
    EXPECT_EQ(it[4].rect.left(), it[2].rect.right());
    EXPECT_EQ(it[4].rect.top(), it[0].rect.top());
    EXPECT_DOUBLE_EQ(it[0].rect.height(), picture.barRect.height() / 2);
}

TEST(BarRowsGeometry, GridRowsAreIgnoredOnASideBar)
{
    DockBarGeometryInput input = bottomBarWith({ { Kind::Window, 0 }, { Kind::Window, 1 } }, "grid");
    input.vertical = true;
    input.edge = "left";
    input.windowSize = QSizeF(500, 1080);
    input.onScreen = QRectF(0, 0, 500, 1080);
    const DockBarPicture picture = dockBarPicture(input);
    ASSERT_EQ(picture.items.size(), 2u);
    EXPECT_EQ(picture.items[1].rect.top(), picture.items[0].rect.bottom());
}

} // namespace

// The update tag: its artwork fills the 60×50 badge inside rounded corners.
#include "network/NewUpdateTag.h"

#include <QPainter>

#include <gtest/gtest.h>

TEST(NewUpdateTag, ShowsTheArtworkClippedToRoundedCorners)
{
    NewUpdateTag tag;
    EXPECT_EQ(tag.size(), QSize(60, 50));
    // Drawn without its shadow: the clip alone decides the corners.
    tag.setGraphicsEffect(nullptr);
    QImage shot(tag.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    tag.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(shot.pixelColor(0, 0).alpha(), 0) << "the corner lies outside the radius-10 clip";
    EXPECT_EQ(shot.pixelColor(59, 49).alpha(), 0);
    EXPECT_EQ(shot.pixelColor(30, 2).alpha(), 255) << "the top edge between the corners is artwork";
    EXPECT_EQ(shot.pixelColor(2, 25).alpha(), 255);
}

// The hover preview's widget, rendered offscreen.
#include "dock/preview/HoverPreviewWidget.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowHoverPreviewWidget, DrawsThePictureWhereTheLayoutSays)
{
    QWidget bar;
    bar.resize(1200, 600);
    HoverPreviewWidget preview(&bar);

    QImage picture(1600, 1000, QImage::Format_ARGB32);
    picture.fill(QColor(20, 200, 40));
    HoverPreviewInput input;
    input.hoveredNumber = input.windowNumber = 9;
    input.title = QStringLiteral("xterm");
    input.thumbnailSize = picture.size();
    preview.present(hoverPreviewLayout(input), picture, QPointF(600, 550));

    EXPECT_TRUE(preview.isVisible());
    EXPECT_TRUE(preview.isWindow()) << "a window of its own above the bar";
    EXPECT_EQ(preview.pictureRect().size(), QSizeF(320, 200));
    EXPECT_NEAR(preview.geometry().center().x(), 600, 1);
    EXPECT_NEAR(preview.geometry().center().y(), 550 - 150, 1);
    const QImage shown = preview.grab().toImage();
    EXPECT_EQ(QColor(shown.pixel(preview.pictureRect().center().toPoint())), QColor(20, 200, 40));

    preview.dismiss();
    EXPECT_FALSE(preview.isVisible());

    input.thumbnailSize = QSize(300, 0);
    preview.present(hoverPreviewLayout(input), QImage(300, 1, QImage::Format_ARGB32), QPointF(400, 500));
    EXPECT_TRUE(preview.pictureRect().isEmpty()) << "no picture for a window of no height";
}

} // namespace

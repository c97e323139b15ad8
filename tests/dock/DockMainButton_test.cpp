// The main button's label and the placing of its popover.
#include "dock/DockMainButton.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(DockMainButton, LabelSizeLessScaleAndInset)
{
    EXPECT_EQ(mainButtonLabelSize(46, 46, 0, 6), QSizeF(40, 40));
    EXPECT_EQ(mainButtonLabelSize(46, 46, 8, 6), QSizeF(32, 32)) << "a screen's scale shrinks it";
    EXPECT_EQ(mainButtonLabelSize(10, 10, 8, 6), QSizeF(0, 0)) << "never negative";
}

TEST(DockMainButton, LabelFillsItsRoundedSquare)
{
    QImage canvas(60, 60, QImage::Format_ARGB32);
    canvas.fill(Qt::transparent);
    QImage picture(80, 40, QImage::Format_ARGB32);
    picture.fill(QColor(250, 200, 0));
    {
        QPainter painter(&canvas);
        paintMainButtonLabel(painter, QRectF(0, 0, 60, 60), QSizeF(40, 40), picture);
    }
    EXPECT_EQ(QColor(canvas.pixel(30, 30)), QColor(250, 200, 0));
    EXPECT_EQ(QColor(canvas.pixel(30, 12)), QColor(250, 200, 0)) << "a wide picture still fills the height";
    EXPECT_NE(QColor(canvas.pixel(11, 11)), QColor(250, 200, 0)) << "corners are rounded";
}

TEST(DockMainButton, PopoverStandsNextToTheButton)
{
    const QRectF button(100, 1000, 46, 46);
    const QSizeF popover(300, 200);
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "bottom"), QPointF(123 - 150, 1000 - 8 - 200));
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "left"), QPointF(146 + 8, 1023 - 100));
    EXPECT_EQ(toolHubPopoverOrigin(button, popover, "right"), QPointF(100 - 8 - 300, 1023 - 100));
}

} // namespace

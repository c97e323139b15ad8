#include "platform/Coordinates.h"

#include <gtest/gtest.h>

// Window bounds and the mouse location are kept relative to the primary
// screen's top-left corner.
TEST(Coordinates, AxIsRelativeToThePrimaryScreensTopLeft)
{
    const QRect primary(1400, 200, 1920, 1080); // right of and lower than another screen
    EXPECT_EQ(platform::axFromRoot(QPointF(100, 50), primary), QPointF(-1300, -150));
    EXPECT_EQ(platform::axFromRoot(QRectF(1450, 300, 300, 200), primary), QRectF(50, 100, 300, 200));
}

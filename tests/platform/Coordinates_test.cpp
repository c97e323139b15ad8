#include "platform/Coordinates.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Coordinates, ConvertBetweenRootAxAndModel)
{
    struct Row {
        const char* meaning;
        QRect primary;
        QPointF root;
        QPointF ax;
        QPointF model;
    };
    const Row rows[] = {
        {"primary at the origin: top-left corner", QRect(0, 0, 1920, 1080), {0, 0}, {0, 0}, {0, 1080}},
        {"primary at the origin: bottom-left corner", QRect(0, 0, 1920, 1080), {0, 1080}, {0, 1080}, {0, 0}},
        {"primary right of a second screen", QRect(1400, 0, 1920, 1080), {1400, 100}, {0, 100}, {0, 980}},
        {"point on a screen left of the primary", QRect(1400, 0, 1920, 1080), {100, 50}, {-1300, 50}, {-1300, 1030}},
        {"primary lower than the root's top", QRect(0, 200, 1000, 800), {10, 900}, {10, 700}, {10, 100}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.meaning);
        EXPECT_EQ(axFromRoot(row.root, row.primary), row.ax);
        EXPECT_EQ(rootFromAx(row.ax, row.primary), row.root);
        EXPECT_EQ(modelFromRoot(row.root, row.primary), row.model);
        EXPECT_EQ(rootFromModel(row.model, row.primary), row.root);
    }
}

TEST(Coordinates, RectanglesKeepTheirSizeAndFlipTheirOrigin)
{
    const QRect primary(0, 0, 1920, 1080);
    // A window 200 high whose top is 100 below the screen's top has its
    // bottom edge 780 above the screen's bottom.
    const QRectF root(50, 100, 300, 200);
    const QRectF model = modelFromRoot(root, primary);
    EXPECT_EQ(model, QRectF(50, 780, 300, 200));
    EXPECT_EQ(rootFromModel(model, primary), root);
    EXPECT_EQ(axFromRoot(root, QRect(100, 0, 800, 600)), QRectF(-50, 100, 300, 200));
}

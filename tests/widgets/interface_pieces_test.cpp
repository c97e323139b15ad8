#include "widgets/AlertBox.h"
#include "widgets/Badge.h"
#include "widgets/RoundedCornersShape.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <functional>

namespace {

QImage blank(int width = 100, int height = 100)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Bounding box of the pixels that pass the test.
QRect boxOf(const QImage& image, const std::function<bool(QColor)>& test)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (test(image.pixelColor(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect boxOf(const QImage& image, QColor colour)
{
    return boxOf(image, [colour](QColor c) { return c == colour; });
}

// Pixels of white type on red: anti-aliased, so whitish rather than white.
int whitishPixels(const QImage& image, const QRect& within)
{
    int n = 0;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            n += image.pixelColor(x, y).green() > 128;
    return n;
}

TEST(RoundedCornersShape, RoundsOnlyTheChosenCorners)
{
    QImage image = blank(60, 60);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(RoundedCornersShape { 20, RectCorner::topLeft | RectCorner::bottomRight }.path(
                             QRectF(0, 0, 60, 60)),
            Qt::black);
    }
    const QColor black(Qt::black);
    // Rounded corners leave their very corner empty; sharp ones are filled.
    EXPECT_EQ(image.pixelColor(1, 1).alpha(), 0) << "top left is rounded";
    EXPECT_EQ(image.pixelColor(58, 58).alpha(), 0) << "bottom right is rounded";
    EXPECT_EQ(image.pixelColor(59, 0), black) << "top right stays sharp";
    EXPECT_EQ(image.pixelColor(0, 59), black) << "bottom left stays sharp";
    // Along the arc: the corner square's far inside is filled, its outer
    // corner beyond the radius empty.
    EXPECT_EQ(image.pixelColor(10, 10), black);
    EXPECT_EQ(image.pixelColor(4, 4).alpha(), 0);
    EXPECT_EQ(image.pixelColor(30, 30), black);

    // No corner chosen, or no radius: a plain rectangle.
    const QRectF rect(5, 5, 40, 30);
    for (const auto& shape : { RoundedCornersShape { 12, {} }, RoundedCornersShape { 0, allRectCorners } }) {
        const QPainterPath path = shape.path(rect);
        EXPECT_EQ(path.boundingRect(), rect);
        EXPECT_DOUBLE_EQ(path.length(), 2 * (40 + 30));
    }
}

struct BadgeRender {
    QImage image;
    QRectF expected;
};

BadgeRender render(const QString& count)
{
    BadgeRender r { blank(), {} };
    const QRectF area(20, 40, 60, 50);
    const Badge badge(count);
    r.expected = badge.rect(area);
    QPainter painter(&r.image);
    badge.paint(painter, area);
    return r;
}

TEST(Badge, StandsAboveTheTopRightCornerOfTheAreaWhenThereIsACount)
{
    struct Row {
        QString count;
        QString shown;
        int pixelSize;
    };
    const Row rows[] = { { "3", "3", 10 }, { "42", "42", 9 }, { "128", "9+", 8 } };
    int lastHeight = 1000;
    for (const auto& row : rows) {
        const Badge badge(row.count);
        EXPECT_EQ(badge.text(), row.shown);
        EXPECT_EQ(badge.pixelSize(), row.pixelSize);

        const BadgeRender r = render(row.count);
        const QRect red = boxOf(r.image, Qt::red);
        ASSERT_FALSE(red.isEmpty()) << row.count.toStdString();
        EXPECT_EQ(red, r.expected.toRect()) << row.count.toStdString();
        EXPECT_EQ(red.right(), 79) << "right edge on the area's right edge";
        EXPECT_EQ(red.bottom(), 49) << "only the lowest 10 pixels inside the area";
        EXPECT_LT(red.height(), lastHeight) << "smaller type for longer counts";
        lastHeight = red.height();
        // The count is written in white inside the red block.
        EXPECT_GT(whitishPixels(r.image, red), 3) << row.count.toStdString();
        EXPECT_EQ(boxOf(r.image, [](QColor c) { return c.alpha() != 0; }), red)
            << "nothing outside the block";
    }
}

} // namespace

TEST(AlertBox, IsWideEnoughForItsTitleAndItsMessage)
{
    const QFontMetrics metrics(QApplication::font());
    const QString title = QStringLiteral("orbitShelf");
    EXPECT_GE(alertMinimumWidth(title, QStringLiteral("x"), metrics), metrics.horizontalAdvance(title) + 100)
        << "the frame cuts a title as wide as the box";
    const QString message = QStringLiteral("xclock could not be started.");
    EXPECT_GE(alertMinimumWidth(title, message, metrics), metrics.horizontalAdvance(message));
    EXPECT_LE(alertMinimumWidth(title, QString(500, QLatin1Char('m')), metrics), 480 + 120)
        << "a long message wraps instead of making a screen-wide box";
}

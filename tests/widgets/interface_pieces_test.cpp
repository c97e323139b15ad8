#include "widgets/Badge.h"
#include "widgets/FileView.h"
#include "widgets/GrowingButton.h"
#include "widgets/RoundedCornersShape.h"
#include "widgets/SizeReaders.h"
#include "tests/support/XvfbSession.h"

#include <QApplication>
#include <QFileDialog>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using orbitshelf::test::waitUntil;

namespace {

QImage blank(int width = 100, int height = 100)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Bounding box of the pixels of exactly this colour.
QRect boxOf(const QImage& image, QColor colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
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
}

TEST(RoundedCornersShape, PlainRectangleWithoutCornersOrRadius)
{
    const QRectF rect(5, 5, 40, 30);
    for (const auto& shape : { RoundedCornersShape { 12, {} }, RoundedCornersShape { 0, allRectCorners } }) {
        const QPainterPath path = shape.path(rect);
        EXPECT_EQ(path.boundingRect(), rect);
        EXPECT_DOUBLE_EQ(path.length(), 2 * (40 + 30));
    }
    RectCorners corners = RectCorner::topLeft | RectCorner::topRight;
    corners &= ~RectCorners(RectCorner::topLeft);
    EXPECT_EQ(corners, RectCorners(RectCorner::topRight));
    EXPECT_EQ(int(allRectCorners), 15);
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

TEST(Badge, StandsAboveTheTopRightCornerOfTheArea)
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
        // Nothing outside the block is painted.
        EXPECT_EQ(boxOf(r.image, QColor(0, 0, 0, 0)).width(), 100);
        const QRect all = [&] {
            QRect b;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 100; ++x)
                    if (r.image.pixelColor(x, y).alpha() != 0)
                        b |= QRect(x, y, 1, 1);
            return b;
        }();
        EXPECT_EQ(all, red);
    }
}

TEST(Badge, EmptyCountShowsNothing)
{
    const BadgeRender r = render(QString());
    EXPECT_TRUE(boxOf(r.image, Qt::red).isEmpty());
    EXPECT_TRUE(r.expected.isEmpty());
}

TEST(GrowingButton, GrowsWhilePressedAndShrinksBack)
{
    GrowingButton button("Go");
    button.resize(button.sizeHint());
    button.show();
    const QPointF centre(button.width() / 2.0, button.height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, centre, button.mapToGlobal(centre), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &press);
    ASSERT_TRUE(waitUntil([&] { return qFuzzyCompare(button.scale(), 1.2); }, std::chrono::seconds(2)));
    QMouseEvent release(QEvent::MouseButtonRelease, centre, button.mapToGlobal(centre), Qt::LeftButton,
        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &release);
    EXPECT_TRUE(waitUntil([&] { return qFuzzyCompare(button.scale(), 1.0); }, std::chrono::seconds(2)));
}

TEST(FileView, HandsOverAChosenImageAndIgnoresCancel)
{
    QTemporaryDir dir;
    const QString png = dir.filePath("picture.png");
    QImage(4, 4, QImage::Format_RGB32).save(png);
    QStringList picked;
    FileView view([&](const QString& path) { picked << path; });
    EXPECT_EQ(view.text(), "Select File");

    view.click();
    auto* dialog = view.findChild<QFileDialog*>();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
    dialog->reject();
    EXPECT_TRUE(picked.isEmpty());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    view.click();
    dialog = view.findChild<QFileDialog*>();
    ASSERT_TRUE(dialog);
    dialog->setDirectory(dir.path());
    dialog->selectFile(png);
    static_cast<QDialog*>(dialog)->accept(); // public in QDialog
    EXPECT_EQ(picked, QStringList { png });
}

TEST(SizeReaders, ReportOnShowAndOnEveryChange)
{
    QWidget parent;
    parent.resize(300, 300);
    auto* child = new QWidget(&parent);
    child->setGeometry(10, 20, 50, 40);
    QList<QSize> sizes;
    QList<QRect> frames;
    readSize(child, [&](QSize s) { sizes << s; });
    readFrame(child, &parent, [&](QRect r) { frames << r; });
    EXPECT_TRUE(sizes.isEmpty()) << "nothing before the view is shown";

    parent.show();
    ASSERT_EQ(sizes, QList<QSize> { QSize(50, 40) });
    child->resize(50, 40);
    EXPECT_EQ(sizes.size(), 1) << "the same size is not reported again";
    child->resize(70, 40);
    EXPECT_EQ(sizes.last(), QSize(70, 40));
    child->move(30, 20);
    EXPECT_EQ(sizes.size(), 2);
    EXPECT_EQ(frames.last(), QRect(30, 20, 70, 40));
}

} // namespace

#include "dock/drawing/DockIcons.h"

#include "state/AppState.h"
#include "apps/Windows.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <random>

namespace {

// The plain box blur the bar's shadows are defined by: every pixel becomes
// the mean of the 2r+1 pixels around it along a line, counting pixels past
// the edge as transparent; columns, then rows, twice.
QImage referenceBlur(QImage out, int radius)
{
    const int r = std::max(1, radius / 2);
    const int n = 2 * r + 1;
    for (int pass = 0; pass < 4; ++pass) {
        const bool columns = pass % 2 == 0;
        const QImage in = out.copy();
        for (int y = 0; y < in.height(); ++y) {
            for (int x = 0; x < in.width(); ++x) {
                const int at = columns ? y : x;
                const int last = (columns ? in.height() : in.width()) - 1;
                int red = 0, green = 0, blue = 0, alpha = 0;
                for (int k = std::max(0, at - r); k <= std::min(last, at + r); ++k) {
                    const QRgb p = columns ? in.pixel(x, k) : in.pixel(k, y);
                    red += qRed(p), green += qGreen(p), blue += qBlue(p), alpha += qAlpha(p);
                }
                reinterpret_cast<QRgb*>(out.scanLine(y))[x] = qRgba(red / n, green / n, blue / n, alpha / n);
            }
        }
    }
    return out;
}

QImage noise(int width, int height, unsigned seed)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int a = int(random() % 256);
            image.setPixel(x, y, qRgba(int(random() % (a + 1)), int(random() % (a + 1)), 0, a));
        }
    }
    return image;
}

} // namespace

TEST(DockIcons, BlurMatchesThePlainBoxBlurAtEveryRadiusAndShape)
{
    // Lines shorter than the box, a single pixel, odd radii and a padded
    // stride (width 13 in a 32-bit image is unpadded, so take a sub-image
    // copy of a wider one as well).
    for (const QSize size : { QSize(1, 1), QSize(3, 2), QSize(13, 7), QSize(64, 64) }) {
        for (const int radius : { 1, 2, 3, 4, 8, 20 }) {
            const QImage source = noise(size.width(), size.height(), unsigned(size.width() * 31 + radius));
            const QImage blurred = blurredImage(source, radius);
            // Against the source as it is now: the blur must not write into it.
            EXPECT_EQ(blurred, referenceBlur(source, radius))
                << size.width() << "x" << size.height() << " radius " << radius;
        }
    }
    const QImage wide = noise(40, 9, 7).copy(3, 1, 33, 8);
    EXPECT_EQ(
        blurredImage(wide, 4), referenceBlur(wide.convertToFormat(QImage::Format_ARGB32_Premultiplied), 4));
    EXPECT_EQ(blurredImage(wide, 0), wide);
}

TEST(DockIcons, ShadowedIconPaintsTheSameOnRepeatedDraws)
{
    // The shadow is kept between repaints: the second picture must be the
    // first, and an icon of another colour must not get the first's shadow.
    auto draw = [](const QColor& colour) {
        QPixmap pixmap(32, 32);
        pixmap.fill(colour);
        const QIcon icon(pixmap);
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        paintIconFilling(painter, icon, QRectF(16, 16, 32, 32), true);
        return canvas;
    };
    const QImage red = draw(Qt::red);
    EXPECT_EQ(draw(Qt::red), red);
    const QImage blue = draw(Qt::blue);
    EXPECT_NE(blue, red);
    EXPECT_EQ(blue.pixelColor(32, 32), QColor(Qt::blue));
    // The shadow darkens the white below the icon's lower edge.
    EXPECT_LT(red.pixelColor(32, 49).lightness(), 255);
}

TEST(DockIcons, PinnedIconFileWithEscapedNameLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QString::fromUtf8("my icons/caf\u00e9 #1.png"));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage red(32, 32, QImage::Format_ARGB32);
    red.fill(QColor(255, 0, 0));
    ASSERT_TRUE(red.save(path));
    Windows pinned;
    pinned.num = 0;
    // The stored form: a fully encoded file URL.
    pinned.appIconUrl = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    ASSERT_TRUE(pinned.appIconUrl->contains(QStringLiteral("%23")));
    const AppState state;
    const QIcon icon = appButtonIcon(state, pinned, true);
    EXPECT_EQ(icon.pixmap(QSize(32, 32)).toImage().pixelColor(16, 16), QColor(255, 0, 0));

    pinned.appIconUrl = QStringLiteral("file:///nowhere/missing.png");
    EXPECT_EQ(appButtonIcon(state, pinned, true).cacheKey(), fallbackAppIcon().cacheKey());
}

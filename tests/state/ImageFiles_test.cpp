#include "state/ImageFiles.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QImage halves(int width, int height)
{
    // Left half red, right half blue: a stretch keeps the split in the middle.
    QImage image(width, height, QImage::Format_ARGB32);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y)
            image.setPixelColor(x, y, x < width / 2 ? Qt::red : Qt::blue);
    return image;
}

} // namespace

TEST(ImageResize, StretchesToTheSquareKeepsTransparencyAndRefusesEmptyInput)
{
    const QImage source = halves(512, 256);
    const QImage square = resized(source, QSizeF(128, 128));
    ASSERT_EQ(square.size(), QSize(128, 128));
    EXPECT_EQ(square.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(square.pixelColor(10, 120), QColor(Qt::red));
    EXPECT_EQ(square.pixelColor(117, 64), QColor(Qt::blue));
    EXPECT_EQ(source.size(), QSize(512, 256)) << "the source must stay as it was";

    QImage clear(32, 32, QImage::Format_ARGB32);
    clear.fill(Qt::transparent);
    EXPECT_EQ(resized(clear, QSizeF(8, 8)).pixelColor(4, 4).alpha(), 0);
    EXPECT_TRUE(resized(QImage(), QSizeF(128, 128)).isNull());
    EXPECT_TRUE(resized(clear, QSizeF(0, 10)).isNull());
}

TEST(SavePNG, WritesAReadablePngInPlaceOfAnOldFileOrReportsThatNothingWasWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("icon.png");
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("not a picture");
    }
    ASSERT_TRUE(savePNG(halves(64, 64), path));
    QImage back;
    ASSERT_TRUE(back.load(path, "PNG"));
    EXPECT_EQ(back.size(), QSize(64, 64));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList { "icon.png" })
        << "no temporary file is left";

    // No folder or no picture: the caller must not go on as if the file existed.
    EXPECT_FALSE(savePNG(halves(8, 8), dir.filePath("missing/folder/icon.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing/folder/icon.png")));
    EXPECT_FALSE(savePNG(QImage(), dir.filePath("empty.png")));
    EXPECT_FALSE(QFile::exists(dir.filePath("empty.png")));
}

#include "dock/drawing/NamedImages.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(NamedImages, EveryBuiltInNameIsDrawnAndOthersAreNot)
{
    QStringList names { "Finder", "ButtonTheme-1", "ButtonTheme-2", "ButtonTheme-3" };
    for (int i = 2; i <= 12; ++i)
        names << QStringLiteral("Finder%1").arg(i);
    QSet<QRgb> centres;
    for (const QString& name : names) {
        const QImage image = namedImage(name, QSize(64, 64));
        ASSERT_FALSE(image.isNull()) << name.toStdString();
        if (name.startsWith(QLatin1String("Finder")))
            centres.insert(image.pixel(4, 20));
    }
    EXPECT_EQ(centres.size(), 12) << "each picture has colours of its own";
    for (const char* unknown : { "Finder1", "Finder13", "Finder02", "ButtonTheme-4", "" })
        EXPECT_TRUE(namedImage(QString::fromLatin1(unknown), QSize(64, 64)).isNull()) << unknown;
}

TEST(NamedImages, TheMainButtonShowsTheUploadedFileElseTheChosenPicture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("my icon.png"));
    QImage uploaded(128, 128, QImage::Format_RGB32);
    uploaded.fill(QColor(10, 200, 30));
    ASSERT_TRUE(uploaded.save(path));
    const QSize size(40, 40);
    EXPECT_EQ(mainButtonImage(path, QStringLiteral("Finder"), size).pixelColor(20, 20), QColor(10, 200, 30));
    EXPECT_EQ(mainButtonImage(std::nullopt, QStringLiteral("Finder4"), size),
        namedImage(QStringLiteral("Finder4"), size));
    EXPECT_EQ(mainButtonImage(dir.filePath(QStringLiteral("gone.png")), QStringLiteral("Finder"), size),
        namedImage(QStringLiteral("Finder"), size));
    EXPECT_EQ(mainButtonImage(std::nullopt, QStringLiteral("no such picture"), size),
        namedImage(QStringLiteral("Finder"), size));
}

// The bar's panel and the hot-key badge.
#include "dock/DockBarBackground.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(DockBarBackground, TintFromTheDockColour)
{
    struct Case {
        const char* text;
        QRgb rgb;
    };
    const Case cases[] = {
        { "ff0000", qRgb(255, 0, 0) },
        { "00cec9", qRgb(0, 0xce, 0xc9) },
        { "", qRgb(0xF5, 0xBC, 0x53) },
        { "zz", qRgb(0xF5, 0xBC, 0x53) },
        { "#ff0000", qRgb(0xF5, 0xBC, 0x53) },
    };
    for (const Case& c : cases) {
        const QColor tint = dockTint(QString::fromLatin1(c.text));
        EXPECT_EQ(tint.rgb(), c.rgb) << c.text;
        EXPECT_NEAR(tint.alphaF(), 0.15, 0.005) << c.text;
    }
}

TEST(DockBarBackground, HorizontalPanelSpansTheScreenInFullScreenMode)
{
    const QRectF bar(660, 1000, 600, 50);
    EXPECT_EQ(horizontalBarPanel(bar, 1920, false, 600, 50).rect, bar);
    const BarPanel full = horizontalBarPanel(bar, 1920, true, 600, 50);
    EXPECT_EQ(full.rect, QRectF(0, 1000, 1920, 50));
    EXPECT_EQ(full.cornerRadius, 8);
}

TEST(DockBarBackground, VerticalPanelTouchesItsEdgeAbove)
{
    const QRectF area(0, 0, 400, 1000);
    const BarPanel right = verticalBarPanel(area, QStringLiteral("right"), 50, 600.0);
    EXPECT_EQ(right.rect, QRectF(350, 200 - 18, 50, 600));
    EXPECT_EQ(right.cornerRadius, 10);
    EXPECT_EQ(verticalBarPanel(area, QStringLiteral("left"), 50, 600.0).rect.left(), 0);
    EXPECT_EQ(verticalBarPanel(area, QStringLiteral("left"), 50, std::nullopt).rect.height(), 1000)
        << "no spaceDockHeight entry: the whole offered height";
}

TEST(DockBarBackground, HotKeyBadge)
{
    EXPECT_EQ(hotKeyBadgeText(QStringLiteral("f")), QStringLiteral("\u2325 F"));
    EXPECT_EQ(hotKeyBadgeText(QStringLiteral("7")), QStringLiteral("\u2325 7"));
    EXPECT_EQ(hotKeyBadgeRect(QRectF(100, 50, 40, 40), QSizeF(12, 8)), QRectF(95, 45, 12, 8));

    QImage image(60, 60, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        paintHotKeyBadge(painter, QRectF(20, 20, 30, 30), QString());
    }
    EXPECT_EQ(image.pixel(17, 17), qRgba(0, 0, 0, 0)) << "no key, no badge";
    {
        QPainter painter(&image);
        paintHotKeyBadge(painter, QRectF(20, 20, 30, 30), QStringLiteral("a"));
    }
    EXPECT_EQ(qAlpha(image.pixel(17, 17)), 255) << "the badge stands above and left of the button";
}

} // namespace

namespace {

TEST(DockBarBackground, HotKeyOfAWindow)
{
    const QMap<QString, QString> cache { { "a", "17" }, { "f", "42" }, { "g", "42" } };
    EXPECT_EQ(windowHotKey(cache, 17u), "a");
    EXPECT_EQ(windowHotKey(cache, 42u), "g") << "the last bound key wins";
    EXPECT_EQ(windowHotKey(cache, 5u), QString());
    EXPECT_EQ(windowHotKey(cache, std::nullopt), QString());
}

} // namespace

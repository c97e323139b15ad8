// The hot-key mark drawn over a window button.
#include "dock/buttons/HotKeyBadge.h"
#include "dock/layout/PopUpPlacement.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TEST(DockBarBackground, HotKeyBadge)
{
    EXPECT_EQ(hotKeyBadgeText(QStringLiteral("f")), QStringLiteral("Alt + F"));
    EXPECT_EQ(hotKeyBadgeText(QStringLiteral("7")), QStringLiteral("Alt + 7"));
    EXPECT_EQ(hotKeyBadgeRect(QRectF(100, 50, 40, 40), QSizeF(12, 8)), QRectF(95, 45, 12, 8));
    // Kept whole inside the bar: a button at the bar's top or left edge
    // moves its badge in rather than have it cut.
    EXPECT_EQ(keptInside(QRectF(95, 45, 12, 8), QRectF(0, 48, 500, 60)), QRectF(95, 48, 12, 8));
    EXPECT_EQ(keptInside(QRectF(-3, 45, 12, 8), QRectF(0, 40, 500, 60)), QRectF(0, 45, 12, 8));
    EXPECT_EQ(keptInside(QRectF(95, 45, 12, 8), QRectF()), QRectF(95, 45, 12, 8));

    // The badge stands above and left of the button.
    const auto alphaAboveLeft = [](const QString& key) {
        QImage image(60, 60, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        paintHotKeyBadge(painter, QRectF(20, 20, 30, 30), key);
        painter.end();
        return qAlpha(image.pixel(17, 17));
    };
    EXPECT_EQ(alphaAboveLeft(QString()), 0) << "no key, no badge";
    EXPECT_EQ(alphaAboveLeft(QStringLiteral("a")), 255);
}

} // namespace

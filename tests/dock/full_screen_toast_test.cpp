// The full-screen toast's card, rendered offscreen and checked by pixels.
#include "RenderWidget.h"
#include "dock/FullScreenToast.h"

#include <gtest/gtest.h>

TEST(FullScreenToastCard, ADarkCardAtTheBottomCentreWithTheHintAndNothingElse)
{
    FullScreenToast toast("Optional(A)", 42, 1344, 756);
    EXPECT_EQ(toast.cardRect(), QRectF(472, 0, 400, 756));
    EXPECT_EQ(toast.backdropRect(), QRectF(422, 536, 500, 220));
    EXPECT_EQ(toast.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(toast.property("winnum").toLongLong(), 42);

    const QImage image = renderWidget(toast);
    // Outside the card the toast is clear; the screen shows through.
    EXPECT_EQ(qAlpha(image.pixel(100, 100)), 0);
    EXPECT_EQ(qAlpha(image.pixel(672, 100)), 0) << "the card's upper part has no backdrop";
    // The backdrop: black at half opacity, inside the card only.
    const QRgb backdrop = image.pixel(480, 545);
    EXPECT_NEAR(qAlpha(backdrop), 128, 2);
    EXPECT_EQ(qRed(backdrop), 0);
    EXPECT_EQ(qAlpha(image.pixel(440, 700)), 0) << "the backdrop is clipped to the card";
    // White text lies somewhere in the lower part of the card.
    int white = 0;
    for (int y = 536; y < 756; ++y)
        for (int x = 472; x < 872; ++x)
            white += qRed(image.pixel(x, y)) > 200 && qAlpha(image.pixel(x, y)) > 200;
    EXPECT_GT(white, 100);
}

TEST(FullScreenToastCard, TheScreenAndWindowDoNotChangeThePicture)
{
    FullScreenToast a("Optional(A)", 1, 900, 600);
    FullScreenToast b("nil", 987654321, 900, 600);
    EXPECT_EQ(renderWidget(a), renderWidget(b));
}

#include "widgets/PaintedShape.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <gtest/gtest.h>

// Against the card as its views paint it, antialiased: each pixel the card
// covers whole is kept, each it leaves clear is cut.
TEST(CardShape, KeepsWhatTheCardCoversAndCutsWhatItLeavesClear)
{
    for (const qreal radius : { 0.0, 4.0, 10.0 }) {
        QImage card(QSize(600, 500), QImage::Format_ARGB32);
        card.fill(Qt::transparent);
        QPainter painter(&card);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(card.rect()), radius, radius);
        painter.fillPath(outline, Qt::white);
        painter.end();
        const QRegion shape = cardShape(card.size(), radius);
        int wrong = 0;
        for (int y = 0; y < card.height(); ++y)
            for (int x = 0; x < card.width(); ++x) {
                const int alpha = qAlpha(card.pixel(x, y));
                wrong += shape.contains(QPoint(x, y)) ? alpha == 0 : alpha == 255;
            }
        EXPECT_EQ(wrong, 0) << "radius " << radius;
    }
}

// The bar's panel.
#include "dock/drawing/BarPanel.h"

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

int largestDifferenceWithAlpha(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            largest = std::max({ largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q)) });
        }
    }
    return largest;
}

TEST(DockBarBackground, KeptPanelLooksLikeTheDrawnOneAtAnyDensityAndOffset)
{
    // The panel is kept between repaints as a picture; a scaled painter
    // draws it afresh, so the two must agree (to rounding) wherever it lands.
    for (const QPointF origin : { QPointF(40, 40), QPointF(40.5, 41.25) }) {
        const QRectF rect(origin, QSizeF(200, 40));
        QImage kept(QSize(600, 240), QImage::Format_ARGB32_Premultiplied);
        kept.setDevicePixelRatio(2);
        kept.fill(Qt::white);
        {
            QPainter p(&kept);
            paintBarPanel(p, { rect, 8 }, QStringLiteral("00cec9"));
        }
        QImage drawn(QSize(600, 240), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::white);
        {
            QPainter p(&drawn);
            p.scale(2, 2);
            paintBarPanel(p, { rect, 8 }, QStringLiteral("00cec9"));
        }
        kept.setDevicePixelRatio(1);
        EXPECT_LE(largestDifferenceWithAlpha(kept, drawn), 3) << origin.x() << "," << origin.y();
        // Dark inside; nothing past the panel, right next to it included:
        // a badge or a grown icon opens the window's shape there, and a
        // shadow cut to its rectangle showed as a grey box.
        EXPECT_LT(qRed(kept.pixel(240, 120)), 60);
        for (const QPoint beside :
            { QPoint(240, int(2 * rect.top()) - 2), QPoint(240, int(2 * rect.bottom()) + 2),
                QPoint(int(2 * rect.right()) + 2, 120), QPoint(590, 230) })
            EXPECT_EQ(kept.pixel(beside), qRgb(255, 255, 255)) << beside.x() << "," << beside.y();
    }
}

TEST(DockBarBackground, ChangedColourIsNotServedTheKeptPanel)
{
    auto centre = [](const QString& colour) {
        QImage image(QSize(300, 120), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter p(&image);
        paintBarPanel(p, { QRectF(30, 30, 240, 50), 8 }, colour);
        p.end();
        return QColor(image.pixel(150, 55));
    };
    const QColor red = centre(QStringLiteral("ff0000"));
    const QColor blue = centre(QStringLiteral("0000ff"));
    EXPECT_GT(red.red(), red.blue());
    EXPECT_GT(blue.blue(), blue.red());
    EXPECT_EQ(centre(QStringLiteral("ff0000")), red);
}

} // namespace

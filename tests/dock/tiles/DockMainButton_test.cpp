#include "dock/tiles/DockMainButton.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {

// The label drawn by the painter as it stands, with its rings, clip and
// picture, for the copy the bar reuses to be compared with.
QImage paintedBar(const QRectF& button, const QImage& picture, bool afresh)
{
    QImage bar(120, 90, QImage::Format_ARGB32_Premultiplied);
    bar.fill(QColor(0, 206, 201));
    QPainter painter(&bar);
    // Anything but full opacity is drawn afresh every time, so a hair under
    // it draws the reference.
    if (afresh)
        painter.setOpacity(0.9999);
    paintMainButtonLabel(painter, button, QSizeF(50, 50), picture);
    return bar;
}

TEST(MainButtonLabel, TheReusedLabelLooksAsTheOneDrawnEachTime)
{
    QImage picture(50, 50, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(200, 60, 30));
    const struct {
        const char* name;
        QRectF button;
        QImage picture;
    } rows[] = {
        { "whole pixels", QRectF(20, 10, 60, 60), picture },
        { "half a pixel off", QRectF(20.5, 10.25, 60, 60), picture },
        { "no picture", QRectF(21, 11, 60, 60), QImage() },
        { "moved after a reuse", QRectF(40, 20, 60, 60), picture },
    };
    for (const auto& row : rows) {
        const QImage fresh = paintedBar(row.button, row.picture, true);
        // Twice: the first draws the copy, the second reuses it.
        paintedBar(row.button, row.picture, false);
        const QImage reused = paintedBar(row.button, row.picture, false);
        EXPECT_LE(largestChannelDifference(fresh, reused), 2) << row.name;
        EXPECT_NE(reused.pixel(int(row.button.center().x()), int(row.button.center().y())),
            QColor(0, 206, 201).rgb())
            << row.name << ": the label is drawn";
    }
}

} // namespace

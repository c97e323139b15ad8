#include "widgets/PaintedShape.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRgb>

#include <algorithm>
#include <vector>

QRegion cardShape(const QSize& size, qreal radius)
{
    const QRect whole(QPoint(0, 0), size);
    if (radius <= 0 || size.isEmpty())
        return QRegion(whole);
    // Read from the card painted as its view paints it, antialiased: a
    // polygon of its outline cuts pixels at the arcs that the card covers.
    QImage card(size, QImage::Format_ARGB32_Premultiplied);
    card.fill(Qt::transparent);
    QPainter painter(&card);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(whole), radius, radius);
    painter.fillPath(outline, Qt::black);
    painter.end();
    return opaquePart(card, QPoint(), 1);
}

QRegion opaquePart(const QImage& image, QPoint offset, int minimumAlpha)
{
    if (image.isNull())
        return {};
    const QImage argb = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32) : QImage();
    if (argb.isNull())
        return QRegion(image.rect().translated(offset));
    // Bands of runs, built in the order and form QRegion keeps them: rows
    // with the same runs make one band.
    std::vector<QRect> runs;
    size_t band = 0; // where the last band's runs start
    std::vector<QRect> row;
    for (int y = 0; y < argb.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        row.clear();
        int start = -1;
        for (int x = 0; x <= argb.width(); ++x) {
            const bool opaque = x < argb.width() && qAlpha(pixels[x]) >= minimumAlpha;
            if (opaque && start < 0)
                start = x;
            if (!opaque && start >= 0) {
                row.emplace_back(offset.x() + start, offset.y() + y, x - start, 1);
                start = -1;
            }
        }
        const bool sameAsLast = band < runs.size() && runs.size() - band == row.size()
            && runs.back().bottom() == offset.y() + y - 1
            && std::equal(
                row.begin(), row.end(), runs.begin() + qsizetype(band), [](const QRect& a, const QRect& b) {
                    return a.left() == b.left() && a.width() == b.width();
                });
        if (sameAsLast) {
            for (size_t i = band; i < runs.size(); ++i)
                runs[i].setBottom(runs[i].bottom() + 1);
        } else if (!row.empty()) {
            band = runs.size();
            runs.insert(runs.end(), row.begin(), row.end());
        }
    }
    QRegion region;
    region.setRects(runs.data(), int(runs.size()));
    return region;
}

#include "dock/drawing/BarPanel.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

QColor dockTint(const QString& dockColor)
{
    bool ok = false;
    const uint value = dockColor.toUInt(&ok, 16);
    const uint rgb = ok && !dockColor.isEmpty() ? value : 0xF5BC53;
    QColor tint(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF));
    tint.setAlphaF(0.15f);
    return tint;
}

namespace {

// How far the panel's painting reaches past its edge: a point for the
// antialiased rim.
constexpr double kPaintReach = 1;

void drawBarPanel(QPainter& painter, const BarPanel& panel, const QString& dockColor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QPainterPath shape;
    shape.addRoundedRect(panel.rect, panel.cornerRadius, panel.cornerRadius);
    // The soft black shadow (33 %, 24 points, as a few widening rings) falls
    // on the panel only. The dock window shows nothing past the panel but
    // where a badge or a grown icon stands, and there the shadow, cut to
    // their rectangles by the window's shape, showed as a grey box.
    for (int ring = 6; ring >= 1; --ring)
        painter.fillPath(shape, QColor(0, 0, 0, int(0.33 * 255 / 6 / (1 + ring * 0.5))));
    // The backdrop stands in for a blur: a dark, mostly opaque panel.
    painter.fillPath(shape, QColor(28, 30, 34, 225));
    painter.fillPath(shape, dockTint(dockColor));
    painter.restore();
}

} // namespace

void paintBarPanel(QPainter& painter, const BarPanel& panel, const QString& dockColor)
{
    if (panel.rect.isEmpty())
        return;
    // Rasterising the panel's rounded shapes is most of what drawing the bar
    // costs, and the bar is drawn on every change of a button; the panel is
    // drawn once per size, colour and sub-pixel offset and then copied.
    const QTransform transform = painter.worldTransform();
    if (transform.type() > QTransform::TxTranslate) {
        drawBarPanel(painter, panel, dockColor);
        return;
    }
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPointF corner = transform.map(panel.rect.topLeft()) - QPointF(kPaintReach, kPaintReach);
    const QPoint whole(int(std::floor(corner.x())), int(std::floor(corner.y())));
    const QPointF offset(
        std::round((corner.x() - whole.x()) * 64) / 64, std::round((corner.y() - whole.y()) * 64) / 64);

    struct Key {
        QSizeF size;
        double radius;
        QPointF offset;
        QString colour;
        qreal ratio;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        QImage image;
    };
    static std::vector<Entry> cache; // one per bar on screen, most recent last
    constexpr size_t kCapacity = 8;
    const Key key { panel.rect.size(), panel.cornerRadius, offset, dockColor, ratio };
    auto hit = std::find_if(cache.begin(), cache.end(), [&](const Entry& e) { return e.key == key; });
    if (hit == cache.end()) {
        const QSizeF logical = panel.rect.size() + QSizeF(2 * kPaintReach + 1, 2 * kPaintReach + 1);
        QImage image(QSize(int(std::ceil(logical.width() * ratio)), int(std::ceil(logical.height() * ratio))),
            QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            drawBarPanel(p,
                { QRectF(offset + QPointF(kPaintReach, kPaintReach), panel.rect.size()), panel.cornerRadius },
                dockColor);
        }
        if (cache.size() >= kCapacity)
            cache.erase(cache.begin());
        cache.push_back({ key, std::move(image) });
        hit = cache.end() - 1;
    } else {
        std::rotate(hit, hit + 1, cache.end());
        hit = cache.end() - 1;
    }
    painter.save();
    painter.resetTransform();
    painter.drawImage(whole, hit->image);
    painter.restore();
}

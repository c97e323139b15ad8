#include "dock/drawing/NamedImages.h"

#include <QFont>
#include <QHash>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <optional>

namespace {

struct ColourPair {
    QColor light;
    QColor dark;
};

// One pair per built-in picture, "Finder" first.
const std::array<ColourPair, 12>& colourPairs()
{
    static const std::array<ColourPair, 12> pairs { {
        { QColor(0x8fd3fe), QColor(0x1e6fd9) },
        { QColor(0x9ff0d2), QColor(0x00a07a) },
        { QColor(0xffc0b0), QColor(0xd8504a) },
        { QColor(0xc8bffd), QColor(0x5b4bd6) },
        { QColor(0xffe7a0), QColor(0xe09a1a) },
        { QColor(0xf7b8dd), QColor(0xc2307e) },
        { QColor(0xd6dde0), QColor(0x55606a) },
        { QColor(0xb0e6ff), QColor(0x0f8fbf) },
        { QColor(0xffd1a8), QColor(0x9a4d1c) },
        { QColor(0xc9f2a8), QColor(0x3f8f2a) },
        { QColor(0x4a4f5a), QColor(0x16181d) },
        { QColor(0xfff3f3), QColor(0xff7675) },
    } };
    return pairs;
}

// "Finder" → 0, "FinderN" (2…12) → N−1.
std::optional<int> markIndex(const QString& name)
{
    if (name == QLatin1String("Finder"))
        return 0;
    if (!name.startsWith(QLatin1String("Finder")))
        return std::nullopt;
    bool ok = false;
    const int n = name.mid(6).toInt(&ok);
    if (!ok || n < 2 || n > 12 || name.mid(6) != QString::number(n))
        return std::nullopt;
    return n - 1;
}

std::optional<int> themeIndex(const QString& name)
{
    for (int i = 1; i <= 3; ++i) {
        if (name == QStringLiteral("ButtonTheme-%1").arg(i))
            return i;
    }
    return std::nullopt;
}

// orbitShelf's own mark: its bar (a shelf holding three buttons) under an
// orbit with its planet, on a tile that runs from the pair's light colour to
// its dark one; from 96 pixels up the name stands above the orbit.
void drawShelfMark(QPainter& p, const QRectF& r, const ColourPair& colours)
{
    const qreal w = r.width();
    const qreal h = r.height();
    const qreal radius = w * 0.22;
    QPainterPath tile;
    tile.addRoundedRect(r, radius, radius);
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, colours.light);
    shade.setColorAt(1, colours.dark);
    p.fillPath(tile, shade);
    p.setClipPath(tile);

    const QColor ink(255, 255, 255, 235);
    // A planet with its orbit, a thin tilted ring whose near half passes in
    // front of it.
    const QPointF centre(r.left() + w * 0.5, r.top() + h * 0.44);
    const qreal planet = w * 0.15;
    const QRectF ring(-w * 0.38, -h * 0.08, w * 0.76, h * 0.16);
    const QPen ringPen(ink, std::max<qreal>(1.0, w * 0.035));
    p.save();
    p.translate(centre);
    p.rotate(-20);
    p.setBrush(Qt::NoBrush);
    p.setPen(ringPen);
    p.drawArc(ring, 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(colours.dark.darker(115));
    p.drawEllipse(QPointF(0, 0), planet, planet);
    p.setBrush(Qt::NoBrush);
    p.setPen(ringPen);
    p.drawArc(ring, 180 * 16, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(ring.right() - w * 0.02, 0), w * 0.04, w * 0.04);
    p.restore();

    // The bar with its three buttons.
    const QRectF bar(r.left() + w * 0.12, r.top() + h * 0.7, w * 0.76, h * 0.16);
    QPainterPath shelf;
    shelf.addRoundedRect(bar, bar.height() * 0.35, bar.height() * 0.35);
    p.fillPath(shelf, ink);
    const qreal button = bar.height() * 0.62;
    const qreal gap = (bar.width() - 3 * button) / 4;
    for (int i = 0; i < 3; ++i) {
        QPainterPath b;
        b.addRoundedRect(
            QRectF(bar.left() + gap + i * (button + gap), bar.center().y() - button / 2, button, button),
            button * 0.25, button * 0.25);
        p.fillPath(b, i == 1 ? colours.dark : colours.dark.lighter(135));
    }

    if (w >= 96) {
        QFont name;
        name.setPixelSize(int(h * 0.12));
        name.setBold(true);
        p.setFont(name);
        // White on the palest tops would all but vanish.
        p.setPen(colours.light.lightness() > 215 ? colours.dark.darker(140) : ink);
        p.drawText(
            QRectF(r.left(), r.top() + h * 0.06, w, h * 0.18), Qt::AlignCenter, QStringLiteral("orbitShelf"));
    }
    p.setClipping(false);
}

// A strip of three bar buttons on a teal bar, as the theme shows them.
void drawThemeStrip(QPainter& p, const QRectF& r, int theme)
{
    QPainterPath bar;
    bar.addRoundedRect(r, r.height() * 0.25, r.height() * 0.25);
    p.fillPath(bar, QColor(0x00cec9));
    const qreal pad = r.height() * 0.15;
    const qreal icon = r.height() - 2 * pad;
    const std::array<QColor, 3> icons { QColor(0x6c5ce7), QColor(0xff7675), QColor(0xfab1a0) };
    qreal x = r.left() + pad;
    for (int i = 0; i < 3; ++i) {
        const bool showIcon = theme != 3;
        const bool showTitle = theme != 1;
        const qreal width
            = (showIcon ? icon : 0) + (showTitle ? r.width() * 0.18 : 0) + (showIcon && showTitle ? pad : 0);
        if (showIcon) {
            p.fillPath(
                [&] {
                    QPainterPath path;
                    path.addRoundedRect(QRectF(x, r.top() + pad, icon, icon), icon * 0.22, icon * 0.22);
                    return path;
                }(),
                icons[std::size_t(i)]);
        }
        if (showTitle) {
            const qreal tx = x + (showIcon ? icon + pad : 0);
            QPainterPath chip;
            chip.addRoundedRect(QRectF(tx, r.top() + pad, r.width() * 0.18, icon), icon * 0.2, icon * 0.2);
            p.fillPath(chip, QColor(255, 255, 255, 70));
            p.fillRect(
                QRectF(tx + pad, r.center().y() - icon * 0.08, r.width() * 0.18 - 2 * pad, icon * 0.16),
                QColor(255, 255, 255, 230));
        }
        x += width + pad * 2;
    }
}

} // namespace

QImage namedImage(const QString& name, const QSize& size)
{
    const std::optional<int> mark = markIndex(name);
    const std::optional<int> theme = themeIndex(name);
    if ((!mark && !theme) || size.isEmpty())
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));
    if (mark)
        drawShelfMark(p, r, colourPairs()[std::size_t(*mark)]);
    else
        drawThemeStrip(p, r, *theme);
    return image;
}

QImage mainButtonImage(const std::optional<QString>& file, const QString& builtinName, const QSize& size)
{
    static QHash<QString, QImage> cache;
    const QString key = (file ? QStringLiteral("file:") + *file : QStringLiteral("name:") + builtinName)
        + QStringLiteral("@%1x%2").arg(size.width()).arg(size.height());
    const auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QImage image;
    if (file) {
        QImageReader reader(*file);
        reader.setAutoTransform(true);
        const QImage read = reader.read();
        if (!read.isNull())
            image = read.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (image.isNull())
        image = namedImage(builtinName, size);
    if (image.isNull())
        image = namedImage(QStringLiteral("Finder"), size);
    // Uploaded files get fresh names and are never rewritten, so an entry
    // never goes stale; the cache holds a few dozen small images at most.
    if (cache.size() > 64)
        cache.clear();
    cache.insert(key, image);
    return image;
}

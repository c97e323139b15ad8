#include "dock/drawing/DockIcons.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/SupportFolder.h"
#include "apps/Windows.h"

#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

QPixmap drawnFileManagerPicture()
{
    QPixmap pixmap(128, 128);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 112, 112), 26, 26);
    QLinearGradient sky(0, 8, 0, 120);
    sky.setColorAt(0, QColor(92, 172, 240));
    sky.setColorAt(1, QColor(34, 110, 206));
    p.fillPath(tile, sky);
    // A folder: tab, back and front.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 214, 120));
    p.drawRoundedRect(QRectF(30, 40, 30, 14), 4, 4);
    p.drawRoundedRect(QRectF(30, 46, 68, 46), 6, 6);
    p.setBrush(QColor(255, 230, 160));
    p.drawRoundedRect(QRectF(30, 56, 68, 36), 6, 6);
    return pixmap;
}

} // namespace

QIcon fallbackAppIcon()
{
    static const QIcon icon = [] {
        const QIcon themed = QIcon::fromTheme(QStringLiteral("system-file-manager"));
        return themed.isNull() ? QIcon(drawnFileManagerPicture()) : themed;
    }();
    return icon;
}

QIcon runningAppIcon(const AppState& state, int32_t processId)
{
    const auto app = state.allApps.value(processId);
    if (app && !app->icon.isNull())
        return app->icon;
    return fallbackAppIcon();
}

QIcon appButtonIcon(const AppState& state, const Windows& window, bool isPinned)
{
    const auto app = state.allApps.value(window.appId.value_or(0));
    if (app && !app->icon.isNull())
        return app->icon;
    if (isPinned && window.appIconUrl && !window.appIconUrl->isEmpty()) {
        const QString path = localPathFromStored(*window.appIconUrl);
        const QPixmap picture(path);
        if (!picture.isNull())
            return QIcon(picture);
    }
    return fallbackAppIcon();
}

QImage blurredImage(const QImage& image, int radius)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius <= 0 || out.isNull())
        return out;
    const int w = out.width();
    const int h = out.height();
    const int r = std::max(1, radius / 2);
    const int n = 2 * r + 1; // edges fade as if outside were transparent
    // One detach, then plain pointer arithmetic: a running box sum per line.
    uchar* const bits = out.bits();
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    std::vector<QRgb> line;
    for (int pass = 0; pass < 2; ++pass) {
        for (int horizontal = 0; horizontal < 2; ++horizontal) {
            const int lines = horizontal ? h : w;
            const int length = horizontal ? w : h;
            const qsizetype step = horizontal ? 1 : stride;
            line.resize(size_t(length));
            for (int l = 0; l < lines; ++l) {
                QRgb* const first = reinterpret_cast<QRgb*>(bits) + (horizontal ? l * stride : l);
                for (int i = 0; i < length; ++i)
                    line[size_t(i)] = first[i * step];
                int a = 0, rr = 0, g = 0, b = 0;
                auto add = [&](int k, int sign) {
                    if (k < 0 || k >= length)
                        return;
                    const QRgb c = line[size_t(k)];
                    a += sign * qAlpha(c);
                    rr += sign * qRed(c);
                    g += sign * qGreen(c);
                    b += sign * qBlue(c);
                };
                for (int k = 0; k < r; ++k)
                    add(k, 1);
                for (int i = 0; i < length; ++i) {
                    add(i + r, 1);
                    add(i - r - 1, -1);
                    first[i * step] = qRgba(rr / n, g / n, b / n, a / n);
                }
            }
        }
    }
    return out;
}

namespace {

// The soft shadow under an icon at one size. Drawing the bar asks for the
// same few icons on every repaint; blurring them each time would cost more
// than all the rest of a repaint.
// A shadow picture and the part of it with any ink: its blurred rim fades
// out before the picture's edge.
struct IconShadow {
    QImage picture;
    QRect inked;
};

QRect inkedPart(const QImage& image)
{
    QRect inked;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            if (first < 0)
                first = x;
            last = x;
        }
        if (first >= 0)
            inked |= QRect(first, y, last - first + 1, 1);
    }
    return inked;
}

IconShadow iconShadow(const QIcon& icon, const QPixmap& pixmap, qreal ratio, int margin)
{
    struct Key {
        qint64 icon;
        qint64 pixmap;
        int width;
        int height;
        int ratioPercent;
        bool operator==(const Key&) const = default;
    };
    struct Entry {
        Key key;
        IconShadow shadow;
    };
    static std::vector<Entry> cache; // most recently used last
    constexpr size_t kCapacity = 96;

    const Key key { icon.cacheKey(), pixmap.cacheKey(), pixmap.width(), pixmap.height(),
        int(std::lround(ratio * 100)) };
    const auto hit = std::find_if(cache.begin(), cache.end(), [&](const Entry& e) { return e.key == key; });
    if (hit != cache.end()) {
        std::rotate(hit, hit + 1, cache.end());
        return cache.back().shadow;
    }
    // Black at a third of the icon's opacity, blurred over 4 points.
    QImage silhouette(pixmap.size() + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    silhouette.fill(Qt::transparent);
    {
        QPainter s(&silhouette);
        s.drawPixmap(margin, margin, pixmap);
        s.setCompositionMode(QPainter::CompositionMode_SourceIn);
        s.fillRect(silhouette.rect(), QColor(0, 0, 0, 84));
    }
    QImage soft = blurredImage(silhouette, int(std::lround(4 * ratio)));
    const QRect inked = inkedPart(soft);
    if (cache.size() >= kCapacity)
        cache.erase(cache.begin());
    cache.push_back({ key, { soft, inked } });
    return cache.back().shadow;
}

} // namespace

namespace {

// The icon's square and its shadow's place, from the picture the icon gives
// for the square.
struct IconFillingPlace {
    QRectF target;
    QRectF shadow;
};
constexpr int kShadowMargin = 8;

IconFillingPlace iconFillingPlace(const QRectF& frame, const QSize& pixmap)
{
    const double side = std::max(frame.width(), frame.height());
    const QRectF target(frame.center().x() - side / 2, frame.center().y() - side / 2, side, side);
    // The shadow is dropped 2 points.
    const double scale = side / pixmap.width();
    return { target,
        QRectF(target.left() - kShadowMargin * scale, target.top() + 2 - kShadowMargin * scale,
            (pixmap.width() + 2 * kShadowMargin) * scale, (pixmap.height() + 2 * kShadowMargin) * scale) };
}

QPixmap iconFillingPixmap(const QIcon& icon, const QRectF& frame, qreal ratio)
{
    const double side = std::max(frame.width(), frame.height());
    return icon.pixmap(
        QSize(std::max(1, int(std::ceil(side * ratio))), std::max(1, int(std::ceil(side * ratio)))));
}

} // namespace

void paintIconFilling(
    QPainter& painter, const QIcon& icon, const QRectF& frame, bool shadow, const QRectF& shadowBounds)
{
    if (frame.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap pixmap = iconFillingPixmap(icon, frame, ratio);
    if (pixmap.isNull())
        return;
    const IconFillingPlace place = iconFillingPlace(frame, pixmap.size());
    if (shadow) {
        painter.save();
        if (!shadowBounds.isNull())
            painter.setClipRect(shadowBounds, Qt::IntersectClip);
        painter.drawImage(place.shadow, iconShadow(icon, pixmap, ratio, kShadowMargin).picture);
        painter.restore();
    }
    painter.drawPixmap(place.target, pixmap, QRectF(pixmap.rect()));
}

QRectF iconFillingReach(const QIcon& icon, const QRectF& frame, bool shadow, qreal ratio)
{
    if (frame.isEmpty())
        return {};
    const QPixmap pixmap = iconFillingPixmap(icon, frame, ratio);
    if (pixmap.isNull())
        return {};
    const IconFillingPlace place = iconFillingPlace(frame, pixmap.size());
    if (!shadow)
        return place.target;
    const IconShadow soft = iconShadow(icon, pixmap, ratio, kShadowMargin);
    if (soft.inked.isEmpty() || soft.picture.isNull())
        return place.target;
    // Smooth scaling lets a picture pixel colour its neighbours' places too.
    const QRect inked = soft.inked.adjusted(-1, -1, 1, 1);
    const double sx = place.shadow.width() / soft.picture.width();
    const double sy = place.shadow.height() / soft.picture.height();
    return place.target
        | QRectF(place.shadow.left() + inked.left() * sx, place.shadow.top() + inked.top() * sy,
            inked.width() * sx, inked.height() * sy);
}

void paintPinStar(QPainter& painter, const QRectF& box)
{
    QPainterPath star;
    const QPointF c = box.center();
    const double outer = std::min(box.width(), box.height()) / 2;
    const double inner = outer * 0.45;
    for (int i = 0; i < 10; ++i) {
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const double radius = i % 2 == 0 ? outer : inner;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    QColor yellow(255, 204, 0);
    yellow.setAlphaF(0.7);
    painter.fillPath(star, yellow);
}

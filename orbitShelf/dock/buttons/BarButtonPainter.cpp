#include "dock/buttons/BarButtonPainter.h"

#include "state/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/buttons/ButtonLooks.h"
#include "dock/drawing/DockIcons.h"
#include "dock/drawing/KeptLayer.h"
#include "dock/drawing/NamedImages.h"
#include "dock/layout/BarEntries.h"
#include "dock/layout/DockBarGeometry.h"
#include "dock/tiles/DockMainButton.h"
#include "widgets/Badge.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <vector>

namespace {

void paintLabel(QPainter& painter, const ButtonLabel& label)
{
    painter.save();
    painter.setClipPath(
        RoundedCornersShape { label.radius, label.corners }.path(label.rect), Qt::IntersectClip);
    painter.fillRect(label.rect, label.fill);
    painter.setFont(label.font);
    painter.setPen(label.textColour);
    painter.drawText(label.textRect, Qt::AlignCenter | Qt::TextSingleLine, label.text);
    painter.restore();
}

void drawIndicator(QPainter& painter, const ButtonIndicator& indicator)
{
    painter.save();
    for (const QRectF& ring : indicator.glow) {
        QPainterPath path;
        path.addRoundedRect(ring, 2, 2);
        painter.fillPath(path, indicator.glowColour);
    }
    QPainterPath shape;
    shape.addRoundedRect(indicator.bar, 1.5, 1.5);
    painter.fillPath(shape, indicator.colour);
    painter.setPen(QPen(indicator.edge, 0.5));
    painter.drawPath(shape);
    painter.restore();
}

// An indicator as drawn at one part-pixel offset, in its own coordinates.
struct IndicatorPicture {
    QPointF offset; // of the bar from the picture's corner
    QSizeF bar;
    QRgb colour;
    QRgb edge;
    QRgb glowColour;
    std::vector<QRectF> glow; // from the bar's corner
    QImage picture;
    bool sameDrawing(const IndicatorPicture& other) const
    {
        return offset == other.offset && bar == other.bar && colour == other.colour && edge == other.edge
            && glowColour == other.glowColour && glow == other.glow;
    }
};

void paintIndicator(QPainter& painter, const ButtonIndicator& indicator)
{
    // Every activation draws a focus glow of many antialiased rings again,
    // the same rings each time: they are drawn once and copied.
    if (!copiesAtWholePixels(painter)) {
        drawIndicator(painter, indicator);
        return;
    }
    const QRectF reach = indicatorReach(indicator);
    const QPointF origin = keptLayerOrigin(reach);
    IndicatorPicture wanted { indicator.bar.topLeft() - origin, indicator.bar.size(), indicator.colour.rgba(),
        indicator.edge.rgba(), indicator.glowColour.rgba(), {}, {} };
    for (const QRectF& ring : indicator.glow)
        wanted.glow.push_back(ring.translated(-indicator.bar.topLeft()));
    // The focused and the previous window's indicators, at the offsets the
    // bar's buttons stand at.
    static std::vector<IndicatorPicture> kept; // most recently used last
    constexpr size_t kCapacity = 8;
    auto hit = std::find_if(kept.begin(), kept.end(), [&](const auto& k) { return k.sameDrawing(wanted); });
    if (hit == kept.end()) {
        if (kept.size() >= kCapacity)
            kept.erase(kept.begin());
        wanted.picture = drawKeptLayer(reach, [&](QPainter& layer) {
            layer.setRenderHints(painter.renderHints());
            drawIndicator(layer, indicator);
        });
        kept.push_back(std::move(wanted));
    } else {
        std::rotate(hit, hit + 1, kept.end());
    }
    painter.drawImage(origin, kept.back().picture);
}

void paintDropHighlight(QPainter& painter, const QRectF& area, const QColor& fill)
{
    painter.save();
    painter.fillRect(area, fill);
    QColor edge(0, 122, 255);
    edge.setAlphaF(0.8);
    painter.setPen(QPen(edge, 0.5));
    // Half the pen inside the area, so the outline never grows it.
    painter.drawRect(area.adjusted(0.25, 0.25, -0.25, -0.25));
    painter.restore();
}

QIcon entryIcon(const BarEntry& entry, const AppState& state)
{
    if (entry.window && !entry.window->icon.isNull())
        return entry.window->icon;
    if (entry.app && !entry.app->icon.isNull())
        return entry.app->icon;
    if (entry.pid != 0) {
        const auto it = state.allApps.constFind(entry.pid);
        if (it != state.allApps.constEnd() && *it && !(*it)->icon.isNull())
            return (*it)->icon;
    }
    return QIcon();
}

QColor placeholderColour(BarEntry::Kind kind)
{
    switch (kind) {
    case BarEntry::Kind::MainButton:
        return QColor(90, 160, 230);
    case BarEntry::Kind::PomodoroTile:
        return QColor(230, 90, 80);
    default:
        return QColor(200, 200, 210);
    }
}

} // namespace

void paintAppButton(QPainter& painter, const AppButtonLook& look, const QRectF& shadowBounds)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QTransform magnified;
    if (look.scale != 1.0) {
        const QPointF c = look.frame.center();
        magnified.translate(c.x(), c.y());
        magnified.scale(look.scale, look.scale);
        magnified.translate(-c.x(), -c.y());
        painter.setWorldTransform(magnified, true);
    }
    if (look.iconRect)
        paintIconFilling(painter, look.icon, *look.iconRect, true,
            shadowBounds.isNull() ? QRectF() : magnified.inverted().mapRect(shadowBounds));
    if (look.chip)
        paintLabel(painter, *look.chip);
    if (look.dropHighlight)
        paintDropHighlight(painter, *look.dropHighlight, look.dropFill);
    for (const ButtonIndicator& indicator : look.indicators)
        paintIndicator(painter, indicator);
    if (look.overlay)
        paintLabel(painter, *look.overlay);
    if (look.pinStar)
        paintPinStar(painter, *look.pinStar);
    painter.restore();
}

void paintStackButton(QPainter& painter, const StackButtonLook& look)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap tile = look.icon.pixmap(look.tilePixels);
    for (const QRectF& cell : look.tiles)
        painter.drawPixmap(cell, tile, QRectF(tile.rect()));
    painter.setPen(QPen(look.outlineColour, look.outlineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(look.outline, look.outlineRadius, look.outlineRadius);
    painter.restore();
}

void paintPlaceholderButton(
    QPainter& painter, const BarEntry& entry, const DockBarItem& item, const AppState& state)
{
    if (entry.kind == BarEntry::Kind::MainButton) {
        const MainButtonIcon picture = mainButtonIcon(state);
        const QSizeF label(std::max(0.0, item.iconRect.width() - picture.inset),
            std::max(0.0, item.iconRect.height() - picture.inset));
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QImage image = mainButtonImage(picture.file, picture.builtinName, (label * ratio).toSize());
        paintMainButtonLabel(painter, item.iconRect, label, image);
        return;
    }
    const QIcon icon = entryIcon(entry, state);
    painter.save();
    if (!icon.isNull()) {
        icon.paint(&painter, item.iconRect.toAlignedRect());
    } else {
        QPainterPath square;
        square.addRoundedRect(item.iconRect, item.iconRect.width() / 5, item.iconRect.width() / 5);
        painter.fillPath(square, placeholderColour(entry.kind));
    }
    painter.restore();
}

void paintWindowButtonOverlays(QPainter& painter, const BarEntry& entry, const DockBarItem& item)
{
    painter.save();
    Badge(entry.badge).paint(painter, item.iconRect);
    painter.restore();
}

QRectF placeholderButtonReach(const BarEntry& entry, const DockBarItem& item, const AppState& state)
{
    if (entry.kind == BarEntry::Kind::MainButton) {
        const MainButtonIcon picture = mainButtonIcon(state);
        const QSizeF label(std::max(0.0, item.iconRect.width() - picture.inset),
            std::max(0.0, item.iconRect.height() - picture.inset));
        return mainButtonLabelReach(item.iconRect, label).adjusted(-1, -1, 1, 1);
    }
    return QRectF(item.iconRect.toAlignedRect()).adjusted(-1, -1, 1, 1);
}

QRectF windowButtonOverlaysReach(const BarEntry& entry, const DockBarItem& item)
{
    const QRectF box = Badge(entry.badge).rect(item.iconRect);
    // A glyph's antialiased edge may stand a pixel past its advance.
    return box.isNull() ? box : box.adjusted(-1, -1, 1, 1);
}

#include "dock/tiles/DockTilePainting.h"

#include "apps/Pinning.h"
#include "state/ToolTable.h"
#include "tools/ToolPages.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <utility>

namespace {

// A symbolic icon is a dark glyph meant to be coloured by its place: on the
// dark tile it is drawn white.
QPixmap lightOnDark(const QIcon& icon, const QString& name, const QSize& size, qreal ratio)
{
    QPixmap pixmap = icon.pixmap(size, ratio);
    if (!name.endsWith(QLatin1String("-symbolic")) || pixmap.isNull())
        return pixmap;
    QPainter tint(&pixmap);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(QRect(QPoint(0, 0), pixmap.size()), Qt::white);
    return pixmap;
}

void clipRounded(QPainter& painter, const QRectF& rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, 10, 10);
    painter.setClipPath(path);
}

} // namespace

void paintLauncherTile(QPainter& painter, const QRectF& iconRect)
{
    if (iconRect.isEmpty())
        return;
    // The tile is the same picture on every repaint: it is scaled and cut to
    // its rounded shape once per size.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    static QImage kept;
    static std::pair<QSizeF, qreal> keptFor;
    if (kept.isNull() || keptFor != std::pair(iconRect.size(), ratio)) {
        static const QImage picture = launchpadImage();
        const QSize pixels(int(std::ceil(iconRect.width() * ratio)), int(std::ceil(iconRect.height() * ratio)));
        kept = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        kept.fill(Qt::transparent);
        {
            QPainter p(&kept);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(ratio, ratio);
            const QRectF local(QPointF(0, 0), iconRect.size());
            clipRounded(p, local);
            p.drawImage(local, picture);
        }
        kept.setDevicePixelRatio(ratio);
        keptFor = { iconRect.size(), ratio };
    }
    painter.drawImage(iconRect.topLeft(), kept);
}

void paintToolTile(QPainter& painter, const QRectF& iconRect, const QString& tool)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    clipRounded(painter, iconRect);
    QPainterPath tile;
    tile.addRoundedRect(iconRect, 10, 10);
    painter.fillPath(tile, QColor(0x3d, 0x4a, 0x5c));
    const QRect glyph = iconRect.adjusted(4, 4, -4, -4).toAlignedRect();
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const ToolRow* row = toolNamed(tool);
    // A tool's own drawing, drawn light (the to-do checklist: no icon theme
    // has a to-do list that reads on the dark tile).
    if (const auto drawing = row ? toolPages(row->tool).drawing : nullptr) {
        painter.drawImage(glyph, drawing(int(std::ceil(glyph.height() * ratio)), Qt::white));
        painter.restore();
        return;
    }
    for (const QString& name : row ? iconNames(row->tileIcons) : QStringList()) {
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull()) {
            painter.drawPixmap(glyph, lightOnDark(icon, name, glyph.size(), ratio));
            painter.restore();
            return;
        }
    }
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(int(std::max(8.0, iconRect.height() / 2)));
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(iconRect, Qt::AlignCenter, tool.left(1).toUpper());
    painter.restore();
}

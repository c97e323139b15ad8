#include "dock/BarButtonPainter.h"

#include "app/AppState.h"
#include "widgets/Badge.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "dock/BarEntries.h"
#include "dock/DockBarGeometry.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

namespace {

std::shared_ptr<const BarButtonPainter>& currentPainter()
{
    static std::shared_ptr<const BarButtonPainter> painter = std::make_shared<PlaceholderButtonPainter>();
    return painter;
}

QColor parseHex(const QString& text, QRgb fallback)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    const QRgb rgb = ok && text.size() == 6 ? value : fallback;
    return QColor(qRed(rgb), qGreen(rgb), qBlue(rgb));
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
    case BarEntry::Kind::Launchpad:
        return QColor(150, 150, 160);
    case BarEntry::Kind::Tool:
        return QColor(240, 170, 80);
    case BarEntry::Kind::PomodoroTile:
        return QColor(230, 90, 80);
    case BarEntry::Kind::PinnedApp:
        return QColor(170, 200, 170);
    default:
        return QColor(200, 200, 210);
    }
}

void paintIcon(QPainter& painter, const QIcon& icon, const QRectF& rect, BarEntry::Kind kind)
{
    if (!icon.isNull()) {
        icon.paint(&painter, rect.toAlignedRect());
        return;
    }
    QPainterPath square;
    square.addRoundedRect(rect, rect.width() / 5, rect.width() / 5);
    painter.fillPath(square, placeholderColour(kind));
}

} // namespace

void PlaceholderButtonPainter::paint(QPainter& painter, const BarEntry& entry, const DockBarItem& item,
    const AppState& state, bool hovered) const
{
    painter.save();
    const QIcon icon = entryIcon(entry, state);
    if (entry.kind == BarEntry::Kind::StackButton) {
        // Four small copies of the application's icon in a thin outline.
        const QRectF& r = item.iconRect;
        const double cell = (std::min(r.width(), r.height()) - 3) / 2;
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 2; ++column) {
                paintIcon(painter, icon,
                    QRectF(r.left() + 1 + column * (cell + 1), r.top() + 1 + row * (cell + 1), cell, cell),
                    entry.kind);
            }
        }
        QPen outline(QColor(255, 255, 255, 128));
        outline.setWidthF(1.5);
        painter.setPen(outline);
        painter.drawRoundedRect(r, 5, 5);
    } else {
        paintIcon(painter, icon, item.iconRect, entry.kind);
    }

    if (entry.kind == BarEntry::Kind::WindowButton && entry.enableWindowTag
        && item.rect.width() > item.iconRect.width() + 20) {
        // Room for the window's tag beside its icon.
        const QRectF chip(item.iconRect.right() + 4, item.rect.center().y() - 9,
            item.rect.right() - item.iconRect.right() - 10, 18);
        QPainterPath chipPath;
        chipPath.addRoundedRect(chip, 6, 6);
        QColor chipColour = parseHex(state.settings.dockColor(), 0xF5BC53);
        chipColour.setAlphaF(hovered ? 1.0 : 0.8);
        painter.fillPath(chipPath, chipColour);
        if (entry.window && entry.window->title) {
            painter.setPen(parseHex(state.settings.dockTitleColor(), 0xFFFFFF));
            QFont font = painter.font();
            font.setPixelSize(11);
            painter.setFont(font);
            const QRectF textRect = chip.adjusted(5, 0, -5, 0);
            painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                painter.fontMetrics().elidedText(
                    *entry.window->title, Qt::ElideRight, int(textRect.width())));
        }
    }

    if (entry.kind == BarEntry::Kind::WindowButton)
        paintWindowButtonOverlays(painter, entry, item);
    painter.restore();
}

void paintWindowButtonOverlays(QPainter& painter, const BarEntry& entry, const DockBarItem& item)
{
    painter.save();
    Badge(entry.badge).paint(painter, item.iconRect);
    painter.restore();
}

const BarButtonPainter& barButtonPainter()
{
    return *currentPainter();
}

void setBarButtonPainter(std::shared_ptr<const BarButtonPainter> painter)
{
    currentPainter() = painter ? std::move(painter) : std::make_shared<PlaceholderButtonPainter>();
}

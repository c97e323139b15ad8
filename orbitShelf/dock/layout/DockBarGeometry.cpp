#include "dock/layout/DockBarGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

// Room between the panel's ends and its first and last button.
constexpr double endPadding = 8;
// A horizontal bar stands 2 points above the window's bottom edge; a side
// bar 18 points above its screen's middle.
constexpr double bottomLift = 2;
constexpr double sideLift = 18;

struct Slot {
    DockBarItem::Kind kind;
    double length; // along the bar
    int appIndex = -1;
    int windowIndex = -1;
    int gridRow = -1; // 0 or 1 for the two rows of a grid, -1 for a full-height slot
    int entryIndex = -1; // the bar rows' item it stands for
};

} // namespace

DockBarPicture dockBarPicture(const DockBarGeometryInput& input)
{
    DockBarPicture picture;
    if (!input.shown)
        return picture;

    const DockLayoutSettings& settings = input.content.settings;
    const bool onlyIcon = settings.buttonTheme == QLatin1String("onlyIcon");
    const double button = std::max(1.0, settings.iconSize - input.buttonScale);
    // Along a side bar each button takes its size and 2 points, the length
    // the layout gives a vertical bar; along a bottom bar an icon takes 10.
    const double iconSlot = input.vertical ? button + 2 : button + 10;
    const double windowSlot = input.vertical    ? iconSlot
        : onlyIcon || input.windowTagWidth <= 0 ? button + 5
                                                : button + input.windowTagWidth;
    const bool grid = !input.vertical && input.listMode == QLatin1String("grid");

    std::vector<Slot> barSlots;
    if (!input.barItems.empty()) {
        // The bar rows decided the items; only their lengths are set here.
        for (int index = 0; index < int(input.barItems.size()); ++index) {
            const DockBarSlotSpec& spec = input.barItems[size_t(index)];
            if (spec.kind == DockBarItem::Kind::Pomodoro) {
                barSlots.push_back(
                    { spec.kind, std::max(iconSlot, input.pomodoroLength), -1, -1, -1, index });
                continue;
            }
            if (spec.kind != DockBarItem::Kind::Window || spec.iconOnly) {
                barSlots.push_back({ spec.kind, iconSlot, spec.appIndex, spec.windowIndex, -1, index });
                continue;
            }
            const int row = grid ? spec.gridRow : -1;
            barSlots.push_back(
                { spec.kind, row == 1 ? 0.0 : windowSlot, spec.appIndex, spec.windowIndex, row, index });
        }
    } else {
        if (!settings.hideMainButton)
            barSlots.push_back({ DockBarItem::Kind::MainButton, iconSlot });
        if (settings.showLunchpadButton)
            barSlots.push_back({ DockBarItem::Kind::Launchpad, iconSlot });
        for (int i = 0; i < settings.pinnedToolCount; ++i)
            barSlots.push_back({ DockBarItem::Kind::Tool, iconSlot });
        for (int i = 0; i < input.content.pinnedNotRunningCount; ++i)
            barSlots.push_back({ DockBarItem::Kind::PinnedApp, iconSlot });
        for (int app = 0; app < int(input.content.appWindowCounts.size()); ++app) {
            const int count = input.content.appWindowCounts[size_t(app)];
            if (appArrangement(count, settings.stackAppLimit) != AppArrangement::Expanded) {
                barSlots.push_back({ DockBarItem::Kind::App, iconSlot, app });
                continue;
            }
            for (int w = 0; w < count; ++w) {
                // A grid puts two windows above each other in one column.
                const bool secondRow = grid && w % 2 == 1;
                barSlots.push_back(
                    { DockBarItem::Kind::Window, secondRow ? 0.0 : windowSlot, app, w, grid ? w % 2 : -1 });
            }
        }
    }

    double contentLength = 0;
    for (const Slot& slot : barSlots)
        contentLength += slot.length;
    const double thickness = std::max(1.0, input.thickness);
    const QRectF& area = input.onScreen.isEmpty() ? QRectF(QPointF(0, 0), input.windowSize) : input.onScreen;

    if (!input.vertical) {
        double length = settings.fullScreenDock ? input.screenWidth : contentLength + 2 * endPadding;
        length = std::clamp(length, 1.0, std::max(1.0, area.width()));
        const double x = area.left() + (area.width() - length) / 2;
        const double y = area.bottom() - thickness - bottomLift;
        picture.barRect = QRectF(x, y, length, thickness);
    } else {
        double length = input.dockHeight.value_or(contentLength + 2 * endPadding);
        length = std::clamp(length, 1.0, std::max(1.0, area.height()));
        const double x = input.edge == QLatin1String("right") ? area.right() - thickness : area.left();
        const double y = std::clamp(area.top() + (area.height() - length) / 2 - sideLift, area.top(),
            std::max(area.top(), area.bottom() - length));
        picture.barRect = QRectF(x, y, thickness, length);
    }

    // Buttons run from the middle of the bar outwards, like the panel.
    const QRectF& bar = picture.barRect;
    const double barLength = input.vertical ? bar.height() : bar.width();
    // The layout shrinks the buttons until they fit; what it cannot shrink
    // further (hundreds of windows, a damaged calibration) is squeezed here,
    // so that no button ever stands outside the bar and off its screen.
    const double room = std::max(1.0, input.vertical ? barLength : barLength - 2 * endPadding);
    double squeezedBy = 1;
    if (contentLength > room) {
        squeezedBy = room / contentLength;
        for (Slot& slot : barSlots)
            slot.length *= squeezedBy;
        contentLength = room;
    }
    double position
        = (input.vertical ? bar.top() : bar.left()) + std::max(0.0, (barLength - contentLength) / 2);
    double previousStart = position;
    for (const Slot& slot : barSlots) {
        const double start = slot.gridRow == 1 ? previousStart : position;
        const double length = slot.gridRow == 1 ? windowSlot * squeezedBy : slot.length;
        DockBarItem item;
        item.kind = slot.kind;
        item.appIndex = slot.appIndex;
        item.windowIndex = slot.windowIndex;
        item.entryIndex = slot.entryIndex;
        if (!input.vertical) {
            double top = bar.top();
            double height = bar.height();
            if (slot.gridRow >= 0) {
                height = bar.height() / 2;
                top += slot.gridRow * height;
            }
            item.rect = QRectF(start, top, length, height);
            const double inset = std::min(5.0, length / 10);
            const double icon = std::max(0.0, std::min({ button, height - 2, length - 2 * inset }));
            item.iconRect = QRectF(start + inset, top + (height - icon) / 2, icon, icon);
        } else {
            item.rect = QRectF(bar.left(), start, bar.width(), length);
            const double icon = std::max(0.0, std::min({ button, bar.width() - 2, length }));
            item.iconRect
                = QRectF(bar.left() + (bar.width() - icon) / 2, start + (length - icon) / 2, icon, icon);
        }
        picture.items.push_back(item);
        previousStart = start;
        position = start + length;
    }
    return picture;
}

double barPanelRadius(const QRectF& barRect)
{
    return barRect.height() > barRect.width() ? 10.0 : 8.0;
}

QRegion barDrawnRegion(const DockBarPicture& picture, const std::vector<DockBarExtra>& extras)
{
    if (picture.barRect.isEmpty())
        return {};
    // The panel's own outline, whole pixels in: a corner's pixels outside
    // the rounding are never painted.
    const QRect bar = picture.barRect.toAlignedRect();
    const int r = int(std::ceil(barPanelRadius(picture.barRect)));
    QRegion region(bar.adjusted(r, 0, -r, 0));
    region += bar.adjusted(0, r, 0, -r);
    region += QRegion(bar.left(), bar.top(), 2 * r, 2 * r, QRegion::Ellipse);
    region += QRegion(bar.right() + 1 - 2 * r, bar.top(), 2 * r, 2 * r, QRegion::Ellipse);
    region += QRegion(bar.left(), bar.bottom() + 1 - 2 * r, 2 * r, 2 * r, QRegion::Ellipse);
    region += QRegion(bar.right() + 1 - 2 * r, bar.bottom() + 1 - 2 * r, 2 * r, 2 * r, QRegion::Ellipse);
    for (const DockBarExtra& extra : extras)
        if (!extra.rect.isEmpty())
            region += extra.rect.toAlignedRect();
    return region;
}

namespace {

// Whether the pixel at `point` (its top left corner) is one of `rect`'s:
// an item's rectangle holds its left and top edge, and its neighbour the
// edge they share.
bool holds(const QRectF& rect, const QPointF& point)
{
    return point.x() >= rect.left() && point.x() < rect.right() && point.y() >= rect.top()
        && point.y() < rect.bottom();
}

// Whether a rectangle of the bar's takes the pointer at `point`: on its
// whole pixels (the window's shape is made of them), rounded out to the
// server's at a fractional scale, which Qt hands over as points less than
// one of ours above or left of the rectangle.
bool takesPointerAt(const QRectF& rect, const QPointF& point)
{
    const QRect whole = rect.toAlignedRect();
    return point.x() > whole.left() - 1 && point.x() < whole.left() + whole.width()
        && point.y() > whole.top() - 1 && point.y() < whole.top() + whole.height();
}

int itemHolding(const DockBarPicture& picture, const QPointF& point)
{
    for (size_t i = 0; i < picture.items.size(); ++i)
        if (holds(picture.items[i].rect, point))
            return int(i);
    return -1;
}

} // namespace

int barItemAt(const DockBarPicture& picture, const std::vector<DockBarExtra>& extras, const QPointF& point)
{
    const QRectF& bar = picture.barRect;
    if (bar.isEmpty())
        return -1;
    if (const int item = itemHolding(picture, point); item >= 0)
        return item;
    // Drawn in the items' order: the last one is on top.
    for (auto extra = extras.rbegin(); extra != extras.rend(); ++extra)
        if (extra->item >= 0 && extra->item < int(picture.items.size()) && !extra->rect.isEmpty()
            && takesPointerAt(extra->rect, point))
            return extra->item;
    if (!takesPointerAt(bar, point))
        return -1;
    // A point on the panel's rim stands for the bar's edge next to it.
    return itemHolding(picture,
        QPointF(std::clamp(point.x(), bar.left(), std::nextafter(bar.right(), bar.left())),
            std::clamp(point.y(), bar.top(), std::nextafter(bar.bottom(), bar.top()))));
}

BarWindowShape barWindowShape(
    const DockBarPicture& picture, const std::vector<DockBarExtra>& extras, const QRegion& opaqueExtras)
{
    if (picture.barRect.isEmpty())
        return {};
    QRegion reach;
    for (const DockBarExtra& extra : extras)
        if (!extra.rect.isEmpty())
            reach += extra.rect.toAlignedRect();
    const QRegion shown = barDrawnRegion(picture, {}) + (opaqueExtras & reach);
    return { shown, shown };
}

QRectF barEdgeBand(const DockBarPicture& picture, const QRectF& area, const QString& edge, bool vertical)
{
    const QRectF& bar = picture.barRect;
    if (bar.isEmpty() || area.isEmpty())
        return {};
    QRectF band;
    if (!vertical)
        band = QRectF(QPointF(bar.left(), bar.bottom()), QPointF(bar.right(), area.bottom()));
    else if (edge == QLatin1String("right"))
        band = QRectF(QPointF(bar.right(), bar.top()), QPointF(area.right(), bar.bottom()));
    else
        band = QRectF(QPointF(area.left(), bar.top()), QPointF(bar.left(), bar.bottom()));
    band = band.intersected(area);
    return band.width() > 0 && band.height() > 0 ? band : QRectF();
}

QPointF barPointAbove(const QPointF& point, const QRectF& barRect, const QString& edge, bool vertical)
{
    // Half a pixel inside the bar's edge: the pixel the user sees next to
    // the band.
    if (!vertical)
        return { std::clamp(point.x(), barRect.left(), barRect.right() - 0.5), barRect.bottom() - 0.5 };
    const double y = std::clamp(point.y(), barRect.top(), barRect.bottom() - 0.5);
    return { edge == QLatin1String("right") ? barRect.right() - 0.5 : barRect.left() + 0.5, y };
}

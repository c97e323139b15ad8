#pragma once

#include "dock/layout/DockLayout.h"
#include "widgets/PaintedShape.h"

#include <QImage>
#include <QRectF>
#include <QRegion>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

// Where the bar and its buttons are drawn inside a dock window, from the
// layout of its screen. The dock view paints this and takes input only
// inside barRect; everything else of the window lets clicks through.

struct DockBarItem {
    enum class Kind { MainButton, Launchpad, Tool, PinnedApp, App, Window, Pomodoro };
    Kind kind = Kind::App;
    QRectF rect; // the whole button, window coordinates
    QRectF iconRect; // its icon
    int appIndex = -1; // running application (position in DockLayoutInput::appWindowCounts)
    int windowIndex = -1;
    int entryIndex = -1; // position in DockBarGeometryInput::barItems, when given
};

// One item handed in by the bar rows (BarEntries): what it is and, for a
// window button in a grid, its row in its column (0 or 1; -1 otherwise).
struct DockBarSlotSpec {
    DockBarItem::Kind kind = DockBarItem::Kind::App;
    int gridRow = -1;
    int appIndex = -1; // carried into DockBarItem::appIndex
    int windowIndex = -1; // carried into DockBarItem::windowIndex
    // A window button drawn as an icon alone (its application's only
    // window): it takes an icon's length, as the layout pass counts it.
    bool iconOnly = false;
};

struct DockBarGeometryInput {
    QSizeF windowSize;
    QRectF onScreen; // the part of the window on its screen, window coordinates
    QString edge; // "left" or "right" for a side bar; anything else is a bottom bar
    bool vertical = false;
    double screenWidth = 0;
    double thickness = 50; // dockBackgroundHeight
    std::optional<double> dockHeight; // spaceDockHeight of the screen
    QString listMode = QStringLiteral("list");
    double buttonScale = 0;
    int windowTagWidth = 140;
    DockLayoutInput content;
    bool shown = true; // false while the screen's dock is auto-hidden
    // Hook for the bar rows: the items in bar order. When given, they are
    // laid out instead of the items derived from `content`.
    std::vector<DockBarSlotSpec> barItems;
    // The Pomodoro break tile's length along the bar: it lies in the bar's
    // row at its own length, not an icon's.
    double pomodoroLength = 0;
};

struct DockBarPicture {
    QRectF barRect; // empty while the dock is hidden
    std::vector<DockBarItem> items;
};

DockBarPicture dockBarPicture(const DockBarGeometryInput& input);

// What an item draws past its own rectangle: the count badge standing over
// its icon's top edge, a hovered button's grown icon.
struct DockBarExtra {
    QRectF rect;
    int item = -1; // the item drawing it, an index into DockBarPicture::items
};

// Where the bar draws: the panel (its rounded corners left out) and
// `extras` whole. The most a dock window shows and takes the pointer on
// (barWindowShape): where nothing composites, every pixel of the region not
// painted shows black.
QRegion barDrawnRegion(const DockBarPicture& picture, const std::vector<DockBarExtra>& extras);

// The item a point of the bar's window acts as, an index into
// picture.items; -1 where the window takes the pointer for no item (the
// panel's ends) or does not take it. An item's own rectangle comes first,
// then what the items draw past them (`extras`, the one drawn last on top):
// a badge where it stands over the panel is its button's. The window takes
// the pointer on whole pixels, rounded out to the server's at a fractional
// scale (barWindowShape): a point on that rim of the panel, where nothing
// is drawn past it, goes to the item along it.
int barItemAt(const DockBarPicture& picture, const std::vector<DockBarExtra>& extras, const QPointF& point);

// What a dock window shows at all (its shape) and where it takes the
// pointer.
struct BarWindowShape {
    QRegion input;
    QRegion shown;
    bool operator==(const BarWindowShape&) const = default;
};

// The shape of a window drawing `picture`, with `extras` as for
// barDrawnRegion. The window shows only where it takes the pointer, and
// takes it only on the panel and, of the extras, where `opaqueExtras` says
// they are painted at least half opaque (opaquePart of their pixels): a
// window manager's frame copies a window's shape and takes every click
// inside it, so a shown margin (the panel's soft shadow) took the clicks of
// the windows beneath. Where nothing composites, every transparent pixel
// shown is black. Where a compositor blends, an extra's clear pixels shown
// still took the clicks of the windows beneath, and showed as a box: picom
// keeps other windows' shadows off a dock window's shape, and the hover
// preview's falls on the rows above the bar.
BarWindowShape barWindowShape(
    const DockBarPicture& picture, const std::vector<DockBarExtra>& extras, const QRegion& opaqueExtras);

// The rows (or columns) between a bar and its window's outer edge, the
// screen's edge or a panel's, along the bar's length: the bar stands a
// little off the edge, and a pointer thrown against the edge stops there.
// `area` is the part of the window on its screen; empty when the bar
// touches the edge or is hidden.
QRectF barEdgeBand(const DockBarPicture& picture, const QRectF& area, const QString& edge, bool vertical);

// The point of the bar right above `point` of its edge band (towards the
// screen's middle): where a click on the band goes.
QPointF barPointAbove(const QPointF& point, const QRectF& barRect, const QString& edge, bool vertical);

// The radius of the panel's corners: a side bar's are rounder.
double barPanelRadius(const QRectF& barRect);

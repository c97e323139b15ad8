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

// Where the bar draws and takes input: the panel (its rounded corners left
// out) and `extras` (badges standing over the icons' top edge, a hovered
// icon at its grown size). Nothing more: where nothing composites, every
// pixel of the region not painted shows black.
QRegion barDrawnRegion(const DockBarPicture& picture, const std::vector<QRectF>& extras);

// What a dock window shows at all (its shape) and where it takes the
// pointer.
struct BarWindowShape {
    QRegion input;
    QRegion shown;
    bool operator==(const BarWindowShape&) const = default;
};

// The shape of a window drawing `picture`, with `extras` as for
// barDrawnRegion. Where a compositor blends translucent windows, the window
// shows all of `paintArea` (where the bar paints anything: soft shadows,
// antialiased rims) and takes the pointer on the panel and the extras.
// Where none does, every transparent pixel shown is black: the window shows,
// and takes the pointer, only on the panel and, of the extras, where
// `opaqueExtras` says they are painted (opaquePart of their pixels).
BarWindowShape barWindowShape(const DockBarPicture& picture, const std::vector<QRectF>& extras,
    const QRegion& opaqueExtras, const QRect& paintArea, bool translucent);

// The radius of the panel's corners: a side bar's are rounder.
double barPanelRadius(const QRectF& barRect);

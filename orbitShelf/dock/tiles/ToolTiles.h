#pragma once

#include "state/ToolTable.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class AppState;
class DockViewState;

// The fixed tiles of a bar besides the application buttons: the launcher
// tile and one tile per built-in tool pinned on the dock. Their rules, apart
// from the widgets that draw them.

// Icon sizes: the launcher icon is 3 points, a tool icon 5 points smaller
// than the bar's icon size less the screen's button scale.
QSizeF launcherTileIconSize(double iconWidth, double iconHeight, double buttonScale);
QSizeF toolTileIconSize(double iconWidth, double iconHeight, double buttonScale);
// The same for one screen of the shared state (an absent scale counts as 0).
QSizeF launcherTileIconSize(const AppState& state, const QString& screenID);
QSizeF toolTileIconSize(const AppState& state, const QString& screenID);

// The tools pinned on the dock: the keys of pinedPlugins in ascending order.
QStringList pinnedToolNames(const AppState& state);

// A click on the tile of tool `name` (`tileFrame`: the tile on screen):
// remembers it as this bar's current tool and where its tile is, and raises
// the tool's shared flag, lowering every other tool's, so one tool panel is
// up at a time (a tool without a sheet, "Todo", only raises its flag). A
// click while the tool's flag is up lowers it: the panel closes. Publishes.
void toolTileClicked(const QString& name, DockViewState& dock, AppState& state, const QRectF& tileFrame = {});

// Where a tool's panel of `size` opens beside its tile (`tile`, on screen):
// on the side away from the bar's `edge` ("bottom", "top", "left",
// "right"), touching the tile, centred on it along the bar, fitted to the
// room the screen's visible frame `visible` leaves there (fittedInside: no
// smaller than `minimum`).
QRect toolSheetFrame(const QSize& size, const QRect& tile, const QRect& visible, const QString& edge,
    const QSize& minimum = {});

// "UnPin" on the tile of tool `name` removes that tool from pinedPlugins,
// whichever tile was clicked last. Returns whether a key was removed.
bool unpinTool(const QString& name, AppState& state);

// One screen as the mouse test sees it.
struct ScreenArea {
    QRectF frame;
    QString screenID;
};

// Whether the first screen containing `mouse` is this bar's screen; false
// when no screen contains it.
bool isMouseOnDockScreen(const std::vector<ScreenArea>& screens, QPointF mouse, const QString& screenID);
// The same over the desktop's screens and the pointer's position now.
bool isMouseOnDockScreen(const QString& screenID);

// What a bar puts into the sheet of a tool (one whose row has a sheet) that
// is up. Only the bar on the mouse's screen fills it (the flags are shared by
// every bar); the others stay empty.
struct ToolSheetContent {
    bool filled = false;
    QSizeF size;
    int columns = 0; // clipboard view only
    int limit = 0; // clipboard view only
    bool bringToFront = false; // the file browser takes the keyboard
};
ToolSheetContent toolSheetContent(
    Tool tool, bool mouseOnThisScreen, bool verticalBar, double screenWidth, double screenHeight);

// The tools whose sheets are up, from the shared flags, in the tool table's
// order.
std::vector<Tool> toolSheetsShown(const AppState& state);

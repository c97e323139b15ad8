#pragma once

#include "dock/menus/MenuEntry.h"

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class AppState;
class DockViewState;
class QMenu;
class QWidget;
class Windows;

// The bar's menus: a window's (window buttons), the settings menu (the main
// and launcher buttons, and the window menu's "More"), a pinned
// application's and a tool tile's. Each is a list of menu entries, made into
// a QMenu by buildMenu only here, shown at the click and logged item by item
// so that people reading the log, and the end-to-end tests, find the items.

// Action ids of the pinned application's and the tool tile's menus.
namespace BarMenuAction {
inline const QString removePinned = QStringLiteral("pinned:remove");
inline const QString unpinTool = QStringLiteral("tool:unpin");
} // namespace BarMenuAction

// "Remove" (a pinned application that is not running).
std::vector<MenuEntry> pinnedAppMenu();
// "UnPin" (a tool tile).
std::vector<MenuEntry> toolTileMenu();

// Shows `entries` at `globalPos` over `parent` and deletes the menu once it
// closes; a chosen entry's id goes to `onAction`. Each item's place is
// logged after `logPrefix`.
QMenu* popUpBarMenu(const std::vector<MenuEntry>& entries, QWidget* parent, QPoint globalPos,
    std::function<void(const QString& action)> onAction, const QString& logPrefix);

// The settings menu of the bar of `dock`.
QMenu* showSettingsMenu(AppState& state, const DockViewState& dock, QWidget* parent, QPoint globalPos);

// The window menu of `window`, captured now as the menu's target: the chosen
// action runs on that window, whatever the pointer hovers meanwhile.
QMenu* showWindowMenu(
    DockViewState& dock, AppState& state, std::shared_ptr<Windows> window, QPoint globalPos, QWidget* parent);

#pragma once

#include "dock/AppContextMenu.h"

#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QWidget;

// Fills the "More" submenu with the dock's settings menu. The settings menu
// registers its builder here; until one is registered the submenu says that
// the settings menu is not available.
using DockSettingsMenuBuilder = std::function<void(QMenu& menu)>;
void setDockSettingsMenuBuilder(DockSettingsMenuBuilder builder);
// Fills `menu` with the dock settings menu, or with that note.
void fillDockSettingsMenu(QMenu& menu);

// The QMenu for the entries: items call `chosen` with their action, dividers
// become separators, the settings submenu is filled as above. Owned by
// `parent` (or the caller when none).
QMenu* makeAppContextMenu(const std::vector<AppMenuEntry>& entries,
    const std::function<void(AppMenuAction)>& chosen, QWidget* parent = nullptr);

// Right-click on a window button: builds the menu for `window`, captures it
// as the menu's target, and pops the menu up at `globalPos`. The chosen
// action runs on that window.
void showAppContextMenu(
    DockViewState& dock, AppState& state, std::shared_ptr<Windows> window, QPoint globalPos, QWidget* parent);

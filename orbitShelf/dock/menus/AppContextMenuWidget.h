#pragma once

#include "dock/menus/AppContextMenu.h"

#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QWidget;

// Makes the dock settings menu for the "More" submenu (parented to the menu).
using SettingsMenuMaker = std::function<QMenu*(QWidget* parent)>;

// The QMenu for the entries: items call `chosen` with their action, dividers
// become separators, the settings submenu comes from `makeSettingsMenu`
// (titled as its entry). Owned by `parent` (or the caller when none).
QMenu* makeAppContextMenu(const std::vector<AppMenuEntry>& entries,
    const std::function<void(AppMenuAction)>& chosen, const SettingsMenuMaker& makeSettingsMenu,
    QWidget* parent = nullptr);

// Right-click on a window button: builds the menu for `window`, captures it
// as the menu's target, and pops the menu up at `globalPos`. The chosen
// action runs on that window.
void showAppContextMenu(
    DockViewState& dock, AppState& state, std::shared_ptr<Windows> window, QPoint globalPos, QWidget* parent);

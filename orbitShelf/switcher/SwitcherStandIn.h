#pragma once

// Stand-in for the window switcher until its own code lands.

#include <QtGlobal>

#include <optional>

// -1: switcher closed or reset, 0: modifier released, 1: modifier held.
extern int switcherModifierState;

// Resets the modifier state and tells the switcher's listeners ("onDestroy"
// with 1); there is no switcher panel to order out yet.
void closeSwitcherPopup();

// The window number of the switcher panel while it exists; none yet.
std::optional<quint32> floatPanelWindowNumber();

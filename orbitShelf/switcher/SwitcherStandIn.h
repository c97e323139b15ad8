#pragma once

// Stand-in for the window switcher until its own code lands.

#include <QtGlobal>

#include <optional>

// -1: switcher closed or reset, 0: modifier released, 1: modifier held.
extern int switcherModifierState;

// Set while the switcher popup is shown; there is no popup yet, so it stays
// false.
extern bool switcherPopupShown;

// Resets the modifier state and tells the switcher's listeners ("onDestroy"
// with 1); there is no switcher panel to order out yet.
void closeSwitcherPopup();

// The window number of the switcher panel while it exists; none yet.
std::optional<quint32> floatPanelWindowNumber();

// Hot-key modifiers, in the order the switcher numbers them.
enum class HotKeyModifier { Control = 0, Cmd = 1, Shift = 2, Option = 3, Alpha = 4, None = 5 };

// Registers the global hot keys with the main modifier (and the tool keys
// with main + extra when an extra is given). No hot key is registered yet:
// the stand-in only logs the request.
void startHotKeys(HotKeyModifier main, HotKeyModifier extra = HotKeyModifier::None);


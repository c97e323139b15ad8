#pragma once

#include <optional>

// Stand-in for the window switcher until its own code lands.

// -1: switcher closed or reset, 0: modifier released, 1: modifier held.
extern int switcherModifierState;

// Set while the switcher popup is shown; there is no popup yet, so it stays
// false.
extern bool switcherPopupShown;

// Resets the modifier state; there is no switcher panel to order out yet.
void closeSwitcherPopup();

// Hot-key modifiers, in the order the switcher numbers them.
enum class HotKeyModifier { Control = 0, Cmd = 1, Shift = 2, Option = 3, Alpha = 4, None = 5 };

// Registers the global hot keys with the main modifier (and the tool keys
// with main + extra when an extra is given). No hot key is registered yet:
// the stand-in only logs the request.
void startHotKeys(HotKeyModifier main, HotKeyModifier extra = HotKeyModifier::None);

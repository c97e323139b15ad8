#pragma once

// Stand-in for the window switcher until its own code lands.

// -1: switcher closed or reset, 0: modifier released, 1: modifier held.
extern int switcherModifierState;

// Resets the modifier state; there is no switcher panel to order out yet.
void closeSwitcherPopup();

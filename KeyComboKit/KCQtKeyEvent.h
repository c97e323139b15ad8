#pragma once

// Reads a QKeyEvent as the kit's key event: the key position from the X
// keycode, the modifiers mapped as the app maps them (Control acts as
// Command, Alt as Option, Super as Control).
#include "KeyComboKit/KCShortcut.h"

class QKeyEvent;

// Without `characters` both strings stay empty: what a key types is asked
// of the keyboard layout, work a caller that matches key codes only skips.
KCKeyEvent KCKeyEventFromQKeyEvent(const QKeyEvent& event, bool characters = true);
quint64 KCModifierFlagsFromQt(Qt::KeyboardModifiers modifiers);

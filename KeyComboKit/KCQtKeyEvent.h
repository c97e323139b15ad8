#pragma once

// Reads a QKeyEvent as the kit's key event: the key position from the X
// keycode, the modifiers mapped as the app maps them (Control acts as
// Command, Alt as Option, Super as Control).
#include "KeyComboKit/KCShortcut.h"

class QKeyEvent;

KCKeyEvent KCKeyEventFromQKeyEvent(const QKeyEvent& event);
quint64 KCModifierFlagsFromQt(Qt::KeyboardModifiers modifiers);

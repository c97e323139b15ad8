#pragma once

// The shortcuts the rest of the system holds, as the validator asks for
// them. On X11 there is no list to read: a key combination is taken when
// another client holds a grab on it (x11/ tries one); fake/ scripts them.
#include "KeyComboKit/KCShortcut.h"

class KCSystemShortcutSource {
public:
    virtual ~KCSystemShortcutSource();
    // 0 with *taken set, or the system's non-zero status when it could not
    // be asked (no connection to the display).
    virtual qint32 isShortcutTaken(const KCShortcut& shortcut, bool* taken) = 0;
};

// The status when no source is installed.
inline constexpr qint32 kcNoSystemShortcutSource = -1;

// The process-wide source the validator asks; the kit does not own it.
// Null (the default) means the system's shortcuts can't be read.
void KCSetSystemShortcutSource(KCSystemShortcutSource* source);
KCSystemShortcutSource* KCCurrentSystemShortcutSource();

#include "KeyComboKit/fake/KCFakeSystemShortcutSource.h"

qint32 KCFakeSystemShortcutSource::isShortcutTaken(const KCShortcut& shortcut, bool* isTaken)
{
    ++questions;
    if (status)
        return status;
    *isTaken = taken.contains(qMakePair(shortcut.keyCode(), shortcut.modifierFlags() & kc::mask));
    return 0;
}

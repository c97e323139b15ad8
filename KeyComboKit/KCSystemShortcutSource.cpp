#include "KeyComboKit/KCSystemShortcutSource.h"

namespace {
KCSystemShortcutSource*& currentSource()
{
    static KCSystemShortcutSource* source = nullptr;
    return source;
}
} // namespace

KCSystemShortcutSource::~KCSystemShortcutSource() = default;

void KCSetSystemShortcutSource(KCSystemShortcutSource* source)
{
    currentSource() = source;
}

KCSystemShortcutSource* KCCurrentSystemShortcutSource()
{
    return currentSource();
}

#include "state/AppSubStates.h"

#define ORBITSHELF_ICON_RECORD(...) ORBITSHELF_SETTING_DEFINITIONS(AppIcon, (void)0, __VA_ARGS__)
ORBITSHELF_ICON_SETTINGS(ORBITSHELF_ICON_RECORD)
#undef ORBITSHELF_ICON_RECORD

#define ORBITSHELF_NOTE_RECORD(...) ORBITSHELF_SETTING_DEFINITIONS(CustomNote, (void)0, __VA_ARGS__)
ORBITSHELF_NOTE_SETTINGS(ORBITSHELF_NOTE_RECORD)
#undef ORBITSHELF_NOTE_RECORD

double AppIcon::height() const
{
    return iconHeightWithin(storedHeight(), CustomSettings().dockBackgroundHeight());
}
void AppIcon::setHeight(double v) const
{
    setStoredHeight(v);
}
double AppIcon::width() const
{
    return height();
}
void AppIcon::setWidth(double v) const
{
    setStoredHeight(v);
}

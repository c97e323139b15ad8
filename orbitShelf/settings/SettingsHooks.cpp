#include "settings/SettingsHooks.h"

SettingsHooks& settingsHooks()
{
    static SettingsHooks hooks;
    return hooks;
}

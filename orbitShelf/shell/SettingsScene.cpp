#include "shell/SettingsScene.h"

#include "SettingsOpener/SettingsOpener.h"
#include "shell/AuxiliaryWindows.h"

void registerSettingsScene()
{
    SettingsOpener::setSettingsScene([] { openSettingsWindow(); });
}

#pragma once

// Makes the settings window the scene the SettingsOpener kit opens. Called
// once at start, before any window can ask for it.
void registerSettingsScene();

#pragma once

#include <functional>

// What the settings pages set in motion above themselves. The shell installs
// them at start; until then (and in tests that leave them empty) a page does
// without and says so.
struct SettingsHooks {
    // Starts a new instance of the program and quits this one once it runs;
    // false (with an alert shown) when the new one could not be started.
    std::function<bool()> relaunch;
};
SettingsHooks& settingsHooks();

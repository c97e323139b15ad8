#pragma once

#include "state/Persistence.h"

#include <QMap>
#include <QString>

#include <functional>
#include <vector>

class AppState;
class DockViewState;

// What the data refresh of a dock calls in other subsystems.
struct DockDataRefreshServices {
    std::function<QMap<QString, QString>()> readSystemDockItems;
    std::function<void()> scheduleDockReload;
    std::function<void()> loadPinnedApps;
    std::function<std::vector<Record>()> fetchInstalledPlugins;
    // Registers the tool hot keys (option + shift).
    std::function<void()> startToolHotKeys;
};

DockDataRefreshServices standardDockDataRefreshServices();

// Run each time a dock is shown: resets its screen's entries (shown flag,
// list mode, tag width, screen size), reads badges, schedules the dock
// reload and notes the installed tools; the main dock alone registers the
// tool hot keys. Main thread only.
void refreshDockData(AppState& state, const DockViewState& dock, const DockDataRefreshServices& services);

#pragma once

#include <functional>

// The dock reload: refresh the model, reload the pinned applications,
// remember the previous window and lay out every screen's bar again.

// Its steps; standard() binds the real ones, tests replace single entries.
struct DockReloadSteps {
    std::function<void()> refreshRunningApps;
    std::function<void()> loadPinnedApps;
    std::function<void()> rememberPreviousWindow;
    std::function<void()> refreshDockLayout;

    static DockReloadSteps standard();
};
DockReloadSteps& dockReloadSteps();

// Queues one dock reload on the main thread, never running it at once.
void scheduleDockReload();
// withoutRefresh leaves out the refresh when the model is known to be current.
enum class ReloadParts { all, withoutRefresh };
void reloadDock(ReloadParts parts = ReloadParts::all);

#include "dock/DockReload.h"

#include "state/Queues.h"
#include "apps/Activation.h"
#include "apps/Pinning.h"
#include "apps/RunningApps.h"
#include "dock/layout/DockLayoutPass.h"

#include <optional>

DockReloadSteps DockReloadSteps::standard()
{
    DockReloadSteps s;
    s.refreshRunningApps = [] { ::refreshRunningApps(std::nullopt, false); };
    s.loadPinnedApps = [] { ::loadPinnedApps(); };
    s.rememberPreviousWindow = [] { ::rememberPreviousWindow(); };
    s.refreshDockLayout = [] { ::refreshDockLayout(); };
    return s;
}

DockReloadSteps& dockReloadSteps()
{
    static DockReloadSteps steps = DockReloadSteps::standard();
    return steps;
}

void scheduleDockReload()
{
    Queues::main().async([] { reloadDock(); });
}

void reloadDock(ReloadParts parts)
{
    DockReloadSteps& s = dockReloadSteps();
    if (parts == ReloadParts::all)
        s.refreshRunningApps();
    s.loadPinnedApps();
    s.rememberPreviousWindow();
    s.refreshDockLayout();
}

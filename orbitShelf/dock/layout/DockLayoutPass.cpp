#include "dock/layout/DockLayoutPass.h"

#include "apps/ActiveApp.h"
#include "apps/AppOrder.h"
#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "dock/layout/DockEdges.h"
#include "dock/layout/MapEntry.h"
#include "state/AppState.h"

#include <QScreen>

#include <algorithm>

DockLayoutInput dockLayoutInput(const AppState& state)
{
    DockLayoutInput input;
    // Bar order: the application order first, then any application the
    // order does not know yet, so that none is left off the bar.
    std::vector<qint32> pids;
    for (const qint32 pid : pidsInAppOrder(state.appOrders)) {
        if (state.allApps.contains(pid))
            pids.push_back(pid);
    }
    for (auto it = state.allApps.cbegin(); it != state.allApps.cend(); ++it) {
        if (std::find(pids.begin(), pids.end(), it.key()) == pids.end())
            pids.push_back(it.key());
    }
    for (const qint32 pid : pids) {
        const std::shared_ptr<ActiveApp>& app = state.allApps[pid];
        input.appWindowCounts.push_back(app && app->windows ? int(app->windows->size()) : 0);
        input.appIds.push_back(pid);
    }
    input.pinnedNotRunningCount = int(state.pinnedAnNotRunning.size());
    const CustomSettings& settings = state.settings;
    input.settings.iconSize = state.appIcon.height();
    input.settings.buttonTheme = settings.buttonTheme();
    input.settings.stackAppLimit = settings.stackAppLimit();
    input.settings.hideMainButton = settings.hideMainButton();
    input.settings.showLunchpadButton = settings.showLunchpadButton();
    input.settings.pinnedToolCount = int(settings.pinedPlugins().size());
    input.settings.fullScreenDock = settings.fullScreenDock();
    return input;
}

ScreenLayout layoutDockForScreen(AppState& state, const QString& screenID)
{
    ScreenLayoutState screen;
    screen.vertical = isDockVertical(state, screenID);
    screen.screenWidth = mapEntry(state.spaceScreenWidth, screenID);
    screen.screenHeight = mapEntry(state.spaceScreenHeight, screenID);
    screen.buttonScale = mapEntry(state.spaceButtonScale, screenID);
    screen.windowTagWidth = mapEntry(state.spaceWindowTagWidth, screenID);

    const ScreenLayout layout = layoutDockForScreen(dockLayoutInput(state), screen);
    state.spaceListmode.insert(screenID, layout.listMode);
    if (layout.windowTagWidth)
        state.spaceWindowTagWidth.insert(screenID, *layout.windowTagWidth);
    if (layout.buttonScale)
        state.spaceButtonScale.insert(screenID, *layout.buttonScale);
    state.spaceDockHeight.insert(screenID, layout.dockHeight);
    state.totalAppCount = qint32(layout.totalAppCount);
    return layout;
}

void refreshDockLayout(AppState& state)
{
    const QStringList screens = state.spaceScreenWidth.keys();
    for (const QString& screenID : screens)
        layoutDockForScreen(state, screenID);
    state.publish();
}

void refreshDockLayout()
{
    refreshDockLayout(AppState::shared());
}

int calibratedScreenWidth(const AppState& state, const QScreen* screen)
{
    if (!screen)
        return 0;
    return calibratedScreenLength(mapEntry(state.settings.spaceWidth(), screenIdentifierKey(screen)),
        screenAvailableGeometry(screen).width());
}

int calibratedScreenHeight(const AppState& state, const QScreen* screen)
{
    if (!screen)
        return 0;
    return calibratedScreenLength(mapEntry(state.settings.spaceHeight(), screenIdentifierKey(screen)),
        screenAvailableGeometry(screen).height());
}

#include "dock/layout/DockEdges.h"

#include "app/AppState.h"
#include "dock/windows/DockFrames.h"

bool isDockHorizontal(const AppState& state)
{
    return isDockHorizontal(state.settings.mainDockPosition());
}

bool isMainDockVertical(const AppState& state)
{
    return isMainDockVertical(state.settings.mainDockPosition());
}

bool isDockVertical(const AppState& state, const QString& screenID)
{
    return isDockVertical(
        screenID, mainDockScreenID(), state.settings.mainDockPosition(), state.settings.spaceDockPosition());
}

QString dockPositionForScreen(const AppState& state, bool isMain, const QString& screenID)
{
    return dockPositionForScreen(
        isMain, screenID, state.settings.mainDockPosition(), state.settings.spaceDockPosition());
}

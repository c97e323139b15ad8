#include "dock/layout/DockEdges.h"

#include "state/AppState.h"

bool isSideEdge(const QString& position)
{
    return position == QLatin1String("left") || position == QLatin1String("right");
}

bool isDockHorizontal(const QString& mainDockPosition)
{
    return mainDockPosition == QLatin1String("bottom") || mainDockPosition == QLatin1String("top");
}

bool isMainDockVertical(const QString& mainDockPosition)
{
    return isSideEdge(mainDockPosition);
}

bool isDockVertical(const QString& screenId, const QString& mainDockScreenId, const QString& mainDockPosition,
    const QMap<QString, QString>& spaceDockPosition)
{
    if (screenId == mainDockScreenId)
        return isSideEdge(mainDockPosition);
    const auto it = spaceDockPosition.constFind(screenId);
    return it != spaceDockPosition.constEnd() && isSideEdge(*it);
}

QString dockPositionForScreen(bool isMain, const QString& screenId, const QString& mainDockPosition,
    const QMap<QString, QString>& spaceDockPosition)
{
    if (isMain)
        return mainDockPosition;
    return spaceDockPosition.value(screenId, QStringLiteral("bottom"));
}

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

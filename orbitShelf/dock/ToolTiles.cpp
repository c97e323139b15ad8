#include "dock/ToolTiles.h"

#include "app/AppState.h"
#include "apps/ScreenIdentifier.h"
#include "dock/DockViewState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

QSizeF shrunk(double width, double height, double scale, double by)
{
    return { width - scale - by, height - scale - by };
}

} // namespace

QSizeF launcherTileIconSize(double iconWidth, double iconHeight, double buttonScale)
{
    return shrunk(iconWidth, iconHeight, buttonScale, 3);
}

QSizeF toolTileIconSize(double iconWidth, double iconHeight, double buttonScale)
{
    return shrunk(iconWidth, iconHeight, buttonScale, 5);
}

QSizeF launcherTileIconSize(const AppState& state, const QString& screenID)
{
    return launcherTileIconSize(
        state.appIcon.width(), state.appIcon.height(), state.spaceButtonScale.value(screenID, 0));
}

QSizeF toolTileIconSize(const AppState& state, const QString& screenID)
{
    return toolTileIconSize(
        state.appIcon.width(), state.appIcon.height(), state.spaceButtonScale.value(screenID, 0));
}

QStringList pinnedToolNames(const AppState& state)
{
    QStringList names = state.settings.pinedPlugins().keys();
    std::sort(names.begin(), names.end());
    return names;
}

void toolTileClicked(const QString& name, DockViewState& dock, AppState& state)
{
    dock.currentPlugin = name;
    if (name == QLatin1String("Pomodoro"))
        state.showPomodoroPopup = true;
    if (name == QLatin1String("Pasteboard"))
        state.showPasteboardPopup = true;
    if (name == QLatin1String("FastFinder"))
        state.showFastFinderPopup = true;
    if (name == QLatin1String("Note"))
        state.showNotePopup = true;
    if (name == QLatin1String("Todo"))
        state.showTodoPopup = true;
    state.publish();
}

bool unpinTool(const QString& name, AppState& state)
{
    StringMap pinned = state.settings.pinedPlugins();
    if (pinned.remove(name) == 0)
        return false;
    state.settings.setPinedPlugins(pinned);
    state.publish();
    return true;
}

bool isMouseOnDockScreen(const std::vector<ScreenArea>& screens, QPointF mouse, const QString& screenID)
{
    for (const ScreenArea& screen : screens)
        if (screen.frame.contains(mouse))
            return screen.screenID == screenID;
    return false;
}

bool isMouseOnDockScreen(const QString& screenID)
{
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back({ QRectF(screen->geometry()), screenIdentifierKey(screen) });
    return isMouseOnDockScreen(screens, QPointF(QCursor::pos()), screenID);
}

ToolSheetContent toolSheetContent(
    ToolSheet sheet, bool mouseOnThisScreen, bool verticalBar, double screenWidth, double screenHeight)
{
    ToolSheetContent content;
    if (!mouseOnThisScreen)
        return content;
    content.filled = true;
    switch (sheet) {
    case ToolSheet::Pomodoro:
        content.size = verticalBar ? QSizeF(500, 500) : QSizeF(600, 500);
        break;
    case ToolSheet::Pasteboard:
        content.size = verticalBar ? QSizeF(500, screenHeight) : QSizeF(screenWidth, 500);
        content.columns = verticalBar ? 2 : 5;
        content.limit = 5000;
        break;
    case ToolSheet::FastFinder:
        content.size = verticalBar ? QSizeF(500, screenHeight) : QSizeF(screenWidth, 500);
        content.bringToFront = true;
        break;
    }
    return content;
}

std::vector<ToolSheet> toolSheetsShown(const AppState& state)
{
    std::vector<ToolSheet> shown;
    if (state.showPomodoroPopup)
        shown.push_back(ToolSheet::Pomodoro);
    if (state.showPasteboardPopup)
        shown.push_back(ToolSheet::Pasteboard);
    if (state.showFastFinderPopup)
        shown.push_back(ToolSheet::FastFinder);
    return shown;
}

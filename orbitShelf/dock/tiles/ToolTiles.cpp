#include "dock/tiles/ToolTiles.h"

#include "app/AppState.h"
#include "apps/ScreenIdentifier.h"
#include "dock/DockViewState.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRect>
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

void toolTileClicked(const QString& name, DockViewState& dock, AppState& state, const QRectF& tileFrame)
{
    const std::pair<const char*, bool*> flags[] = {
        { "Pomodoro", &state.showPomodoroPopup },
        { "Pasteboard", &state.showPasteboardPopup },
        { "FastFinder", &state.showFastFinderPopup },
        { "Note", &state.showNotePopup },
        { "Todo", &state.showTodoPopup },
    };
    dock.currentPluginFrame = tileFrame;
    for (const auto& [tool, flag] : flags)
        *flag = name == QLatin1String(tool) && !*flag;
    state.publish();
}

QRect toolSheetFrame(const QSize& size, const QRect& tile, const QRect& visible, const QString& edge)
{
    const auto along = [](int center, int length, int low, int high) {
        return std::clamp(center - length / 2, low, std::max(low, high + 1 - length));
    };
    QRect frame;
    if (edge == QLatin1String("left") || edge == QLatin1String("right")) {
        const bool left = edge == QLatin1String("left");
        const int room = left ? visible.right() - tile.right() : tile.left() - visible.left();
        const int width = std::clamp(size.width(), 1, std::max(room, 1));
        const int height = std::clamp(size.height(), 1, visible.height());
        frame = QRect(left ? tile.right() + 1 : tile.left() - width,
            along(tile.center().y(), height, visible.top(), visible.bottom()), width, height);
    } else {
        const bool top = edge == QLatin1String("top");
        const int room = top ? visible.bottom() - tile.bottom() : tile.top() - visible.top();
        const int height = std::clamp(size.height(), 1, std::max(room, 1));
        const int width = std::clamp(size.width(), 1, visible.width());
        frame = QRect(along(tile.center().x(), width, visible.left(), visible.right()),
            top ? tile.bottom() + 1 : tile.top() - height, width, height);
    }
    return frame;
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
        // Its fields take typing, and Escape closes it.
        content.bringToFront = true;
        break;
    case ToolSheet::Pasteboard:
        content.size = verticalBar ? QSizeF(500, screenHeight) : QSizeF(screenWidth, 500);
        content.columns = verticalBar ? 2 : 5;
        content.limit = 5000;
        content.bringToFront = true;
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

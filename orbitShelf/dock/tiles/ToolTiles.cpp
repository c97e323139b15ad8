#include "dock/tiles/ToolTiles.h"

#include "apps/ScreenIdentifier.h"
#include "apps/ScreenPlaces.h"
#include "dock/DockLog.h"
#include "dock/DockViewState.h"
#include "dock/layout/PopUpPlacement.h"
#include "platform/ScreenScale.h"
#include "state/AppState.h"
#include "tools/ToolPages.h"

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
    dock.currentPluginFrame = tileFrame;
    for (const ToolRow& row : toolTable) {
        bool& flag = state.popups[row.tool];
        flag = name == QLatin1String(row.name) && !flag;
        if (flag)
            qCDebug(lcDock).noquote() << "tile" << name << "clicked:" << row.popup << "up";
    }
    state.publish();
}

QRect toolSheetFrame(
    const QSize& size, const QRect& tile, const QRect& visible, const QString& edge, const QSize& minimum)
{
    // Centred on the tile along the bar, touching it across.
    QPoint at(tile.center().x() - size.width() / 2, tile.top() - size.height());
    if (edge == QLatin1String("left") || edge == QLatin1String("right"))
        at = QPoint(edge == QLatin1String("left") ? tile.right() + 1 : tile.left() - size.width(),
            tile.center().y() - size.height() / 2);
    else if (edge == QLatin1String("top"))
        at.setY(tile.bottom() + 1);
    return fittedInside(
        QRectF(QRect(at, size)), roomBeside(QRectF(visible), QRectF(tile), edge), QSizeF(minimum))
        .toRect();
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
        screens.push_back({ QRectF(screenGeometry(screen)), screenIdentifierKey(screen) });
    return isMouseOnDockScreen(screens, QPointF(platform::pointerInQt()), screenID);
}

ToolSheetContent toolSheetContent(
    Tool tool, bool mouseOnThisScreen, bool verticalBar, double screenWidth, double screenHeight)
{
    ToolSheetContent content;
    if (!mouseOnThisScreen || !toolRow(tool).sheet)
        return content;
    const ToolSheetLook& look = toolPages(tool).sheet;
    content.filled = true;
    if (look.alongBar)
        content.size = verticalBar ? QSizeF(500, screenHeight) : QSizeF(screenWidth, 500);
    else
        content.size = verticalBar ? QSizeF(500, 500) : QSizeF(600, 500);
    content.columns = verticalBar ? look.verticalColumns : look.columns;
    content.limit = look.limit;
    // Every sheet takes the keyboard: its fields take typing, and Escape
    // closes it.
    content.bringToFront = true;
    return content;
}

std::vector<Tool> toolSheetsShown(const AppState& state)
{
    std::vector<Tool> shown;
    for (const ToolRow& row : toolTable)
        if (row.sheet && state.popups[row.tool])
            shown.push_back(row.tool);
    return shown;
}

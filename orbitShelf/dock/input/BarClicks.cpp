#include "dock/input/BarClicks.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "dock/DockLog.h"
#include "dock/DockViewState.h"
#include "dock/input/DockBarPointer.h"
#include "dock/menus/AppContextMenuWidget.h"
#include "dock/menus/MenuWidget.h"
#include "dock/tiles/DesktopLauncher.h"
#include "dock/tiles/ToolTiles.h"

#include <QMenu>

std::optional<QString> toolOfItem(
    const AppState& state, const DockBarPicture& picture, const DockBarItem& item)
{
    if (item.kind != DockBarItem::Kind::Tool)
        return std::nullopt;
    int index = 0;
    for (const DockBarItem& other : picture.items) {
        if (&other == &item)
            break;
        if (other.kind == DockBarItem::Kind::Tool)
            ++index;
    }
    const QStringList tools = pinnedToolNames(state);
    return index < tools.size() ? std::optional(tools[index]) : std::nullopt;
}

bool handleDockItemClick(AppState& state, DockViewState& dock, const DockBarPicture& picture,
    const std::vector<qint32>& appIds, QPointF position, Qt::MouseButton button, QPoint globalPos,
    QWidget* parent)
{
    const DockBarItem* hit = nullptr;
    for (const DockBarItem& item : picture.items)
        if (item.rect.contains(position))
            hit = &item;
    if (!hit)
        return false;

    switch (hit->kind) {
    case DockBarItem::Kind::App:
    case DockBarItem::Kind::Window:
        if (button != Qt::RightButton)
            return false;
        if (std::shared_ptr<Windows> window = dockBarWindow(state, appIds, *hit)) {
            showAppContextMenu(dock, state, std::move(window), globalPos, parent);
            return true;
        }
        return false;
    case DockBarItem::Kind::Launchpad:
        // Its right click (the dock settings menu) is the pointer handler's.
        if (button != Qt::LeftButton)
            return false;
        launchLaunchpad();
        return true;
    case DockBarItem::Kind::Tool: {
        const std::optional<QString> tool = toolOfItem(state, picture, *hit);
        if (!tool)
            return false;
        if (button == Qt::LeftButton) {
            // The tile on screen: the click's offset inside the bar moved to
            // where the click is on screen.
            toolTileClicked(*tool, dock, state, hit->rect.translated(QPointF(globalPos) - position));
            return true;
        }
        if (button == Qt::RightButton) {
            auto* menu = new QMenu(parent);
            menu->setAttribute(Qt::WA_DeleteOnClose);
            // The tile's own tool, not the last one clicked on this bar.
            QObject::connect(menu->addAction(QStringLiteral("UnPin")), &QAction::triggered, menu,
                [&state, name = *tool] { unpinTool(name, state); });
            menu->popup(globalPos);
            qCDebug(lcDock).noquote() << "tool menu:" << menuItemGeometries(menu);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

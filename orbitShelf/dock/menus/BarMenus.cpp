#include "dock/menus/BarMenus.h"

#include "state/Persistence.h"
#include "state/AppState.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockViewState.h"
#include "dock/menus/AppContextMenu.h"
#include "dock/menus/DockSettingsMenu.h"
#include "dock/menus/MenuWidget.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPointer>

std::vector<MenuEntry> pinnedAppMenu()
{
    return { MenuEntry::item(
        QCoreApplication::translate("DockView", "Remove"), BarMenuAction::removePinned) };
}

std::vector<MenuEntry> toolTileMenu()
{
    return { MenuEntry::item(QStringLiteral("UnPin"), BarMenuAction::unpinTool) };
}

QMenu* popUpBarMenu(const std::vector<MenuEntry>& entries, QWidget* parent, QPoint globalPos,
    std::function<void(const QString& action)> onAction, const QString& logPrefix)
{
    QMenu* menu = buildMenu(entries, parent, std::move(onAction));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
    // One line per item: a log line holds at most 300 characters.
    for (const QString& item : menuItemGeometries(menu).split(QStringLiteral("; ")))
        qCDebug(lcDock).noquote() << logPrefix << item;
    return menu;
}

QMenu* showSettingsMenu(AppState& state, const DockViewState& dock, QWidget* parent, QPoint globalPos)
{
    const DockMenuContext context { dock.enableListener, dock.screenID };
    AppState* shared = &state;
    return popUpBarMenu(
        dockSettingsMenu(dockSettingsMenuInput(state, dock.screenID)), parent, globalPos,
        [context, shared](const QString& action) {
            performDockMenuAction(action, context, *shared, standardDockMenuServices());
        },
        QStringLiteral("settings menu opened on %1 with").arg(dock.screenID));
}

QMenu* showWindowMenu(
    DockViewState& dock, AppState& state, std::shared_ptr<Windows> window, QPoint globalPos, QWidget* parent)
{
    if (!window)
        return nullptr;
    PersistenceController* store
        = PersistenceController::hasShared() ? &PersistenceController::shared() : nullptr;
    // "More": the settings menu of this bar.
    std::vector<MenuEntry> entries = appContextMenu(appMenuInputs(state, window.get(), store),
        dockSettingsMenu(dockSettingsMenuInput(state, dock.screenID)));
    // The target is the right-clicked window, fixed now: hovering other
    // buttons while the menu is open does not change what it acts on.
    const AppMenuTarget target { std::move(window) };
    QPointer<QWidget> owner(parent);
    const DockMenuContext context { dock.enableListener, dock.screenID };
    return popUpBarMenu(
        entries, parent, globalPos,
        [&dock, &state, target, owner, context](const QString& action) {
            if (const std::optional<AppMenuAction> own = appMenuActionFromId(action)) {
                if (owner)
                    runAppMenuAction(*own, target, dock, state, AppMenuServices::standard(owner));
                return;
            }
            performDockMenuAction(action, context, state, standardDockMenuServices());
        },
        QStringLiteral("window menu:"));
}

#include "dock/menus/AppContextMenuWidget.h"

#include "Persistence.h"
#include "app/AppState.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockViewState.h"
#include "dock/menus/DockSettingsMenu.h"
#include "dock/menus/MenuWidget.h"

#include <QMenu>
#include <QPointer>

QMenu* makeAppContextMenu(const std::vector<AppMenuEntry>& entries,
    const std::function<void(AppMenuAction)>& chosen, const SettingsMenuMaker& makeSettingsMenu,
    QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("AppContextMenu"));
    for (const AppMenuEntry& entry : entries) {
        switch (entry.kind) {
        case AppMenuEntry::Kind::Divider:
            menu->addSeparator();
            break;
        case AppMenuEntry::Kind::SettingsSubmenu: {
            QMenu* more = makeSettingsMenu ? makeSettingsMenu(menu) : new QMenu(menu);
            more->setTitle(entry.title);
            menu->addMenu(more);
            break;
        }
        case AppMenuEntry::Kind::Item: {
            QAction* action = menu->addAction(entry.title);
            const AppMenuAction id = *entry.action;
            action->setData(int(id));
            QObject::connect(action, &QAction::triggered, menu, [chosen, id] { chosen(id); });
            break;
        }
        }
    }
    return menu;
}

void showAppContextMenu(
    DockViewState& dock, AppState& state, std::shared_ptr<Windows> window, QPoint globalPos, QWidget* parent)
{
    if (!window)
        return;
    PersistenceController* store
        = PersistenceController::hasShared() ? &PersistenceController::shared() : nullptr;
    const std::vector<AppMenuEntry> entries = appContextMenu(appMenuInputs(state, window.get(), store));
    // The target is the right-clicked window, fixed now: hovering other
    // buttons while the menu is open does not change what it acts on.
    const AppMenuTarget target { std::move(window) };
    QPointer<QWidget> owner(parent);
    // "More": the dock settings menu of this bar.
    const DockMenuContext context { dock.enableListener, dock.screenID };
    AppState* shared = &state;
    const SettingsMenuMaker settingsMenu = [context, shared](QWidget* menuParent) {
        return buildMenu(dockSettingsMenu(dockSettingsMenuInput(*shared, context.screenID)), menuParent,
            [context, shared](const QString& action) {
                performDockMenuAction(action, context, *shared, standardDockMenuServices());
            });
    };
    QMenu* menu = makeAppContextMenu(
        entries,
        [&dock, &state, target, owner](AppMenuAction action) {
            if (owner)
                runAppMenuAction(action, target, dock, state, AppMenuServices::standard(owner));
        },
        settingsMenu, parent);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
    // One line per item: a log line holds at most 300 characters.
    for (const QString& item : menuItemGeometries(menu).split(QStringLiteral("; ")))
        qCDebug(lcDock).noquote() << "window menu:" << item;
}

#include "dock/layout/DockDataRefresh.h"

#include "state/AppState.h"
#include "apps/DockBadgeReader.h"
#include "apps/Pinning.h"
#include "dock/DockHooks.h"
#include "dock/DockReload.h"
#include "dock/DockViewState.h"
#include "dock/input/DockAutoHide.h"

#include <algorithm>

DockDataRefreshServices standardDockDataRefreshServices()
{
    DockDataRefreshServices services;
    services.readSystemDockItems = [] { return ::readSystemDockItems(); };
    services.scheduleDockReload = [] { ::scheduleDockReload(); };
    services.loadPinnedApps = [] { ::loadPinnedApps(); };
    services.fetchInstalledPlugins = []() -> std::vector<Record> {
        if (!PersistenceController::hasShared())
            return {};
        return PersistenceController::shared().fetchAll(Entity::Plugins);
    };
    services.startToolHotKeys = [] { runDockHook(dockHooks().startToolHotKeys); };
    return services;
}

void refreshDockData(AppState& state, const DockViewState& dock, const DockDataRefreshServices& services)
{
    const QString& id = dock.screenID;
    const StringMap autoHide = state.settings.autoHideSpaceDock();
    const auto entry = autoHide.constFind(id);
    state.showSpaceDock.insert(
        id, showSpaceDockOnAppear(entry == autoHide.constEnd() ? std::nullopt : std::optional(*entry)));
    state.spaceListmode.insert(id, QStringLiteral("list"));
    state.spaceWindowTagWidth.insert(id, 140);
    state.spaceScreenWidth.insert(id, dock.screenWidth);
    state.spaceScreenHeight.insert(id, dock.screenHeight);
    if (state.settings.dockBadge() && services.readSystemDockItems)
        state.appBadge = services.readSystemDockItems();
    if (services.scheduleDockReload)
        services.scheduleDockReload();
    if (services.loadPinnedApps)
        services.loadPinnedApps();

    const std::vector<Record> plugins
        = services.fetchInstalledPlugins ? services.fetchInstalledPlugins() : std::vector<Record>();
    // Read as a membership list: a record already noted is not added again,
    // so showing docks over and over does not grow it.
    for (const Record& plugin : plugins) {
        const bool known = std::any_of(state.installedPlugins.cbegin(), state.installedPlugins.cend(),
            [&](const Record& r) { return r.objectId == plugin.objectId; });
        if (!known)
            state.installedPlugins.append(plugin);
    }
    std::vector<std::optional<QString>> names;
    for (const Record& plugin : plugins)
        names.push_back(plugin.text(QStringLiteral("name")));
    if (needsToolHotKeys(dock.enableListener, names) && services.startToolHotKeys)
        services.startToolHotKeys();
    state.publish();
}

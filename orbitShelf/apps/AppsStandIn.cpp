#include "apps/AppsStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcAppsStandIn, "orbitshelf.apps")

bool refreshRunningApps(std::optional<int32_t>, bool)
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcAppsStandIn) << "refreshRunningApps: the model refresh is not wired yet; nothing refreshed";
    }
    return false;
}

void saveAppOrdersCache()
{
    qCDebug(lcAppsStandIn) << "saveAppOrdersCache: the order cache is not wired yet; nothing saved";
}

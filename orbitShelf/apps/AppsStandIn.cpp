#include "apps/AppsStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcAppsStandIn, "orbitshelf.apps")

void startAXBackgroundWork()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcAppsStandIn) << "startAXBackgroundWork: the window event thread is not built yet";
    }
}

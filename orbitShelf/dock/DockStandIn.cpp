#include "dock/DockStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcDockStandIn, "orbitshelf.dock")

void buildDockWindows()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcDockStandIn) << "buildDockWindows: the dock bar is not built yet; no dock windows";
    }
}

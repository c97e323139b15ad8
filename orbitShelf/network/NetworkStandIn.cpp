#include "network/NetworkStandIn.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcNetworkStandIn, "orbitshelf.network")

void pingAppActive()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCInfo(lcNetworkStandIn) << "pingAppActive: there is no web service client here; no report is sent";
    }
}

void checkForUpdate()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCInfo(lcNetworkStandIn)
            << "checkForUpdate: there is no web service client here; updates cannot be checked";
    }
}

#include "app/ShellStandIn.h"

#include "app/Logging.h"

void registerAppListeners()
{
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcApp) << "registerAppListeners: no app-wide listeners yet";
    }
}

#include "apps/AppsStandIn.h"

#include "app/AppState.h"

#include <QLoggingCategory>

static Q_LOGGING_CATEGORY(lcAppsStandIn, "orbitshelf.apps")

void loadPinnedApps()
{
    AppState& state = AppState::shared();
    if (state.openFromPinbar) {
        state.openFromPinbar = false;
        return;
    }
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCDebug(lcAppsStandIn) << "loadPinnedApps: pinned applications are not loaded yet";
    }
}

#include "apps/AppsStandIn.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/AppsSource.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"

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

void activateWindow(Windows& window, const QString& source, std::optional<bool> minimiseIfActive)
{
    Q_UNUSED(minimiseIfActive);
    static bool logged = false;
    if (!logged) {
        logged = true;
        qCInfo(lcAppsStandIn) << "activateWindow: the window is raised, but no click is recorded yet (source"
                              << source << ")";
    }
    if (platform::hasCurrent() && window.num && !window.isPlaceholder) {
        // Activating a window through the manager also restores it when
        // minimised.
        if (platform::current().windowServer().activate(*window.num))
            return;
        qCInfo(lcAppsStandIn) << "activateWindow: window" << *window.num << "is gone";
    }
    const auto app = AppState::shared().allApps.value(window.appId.value_or(0));
    if (!app) {
        qCInfo(lcAppsStandIn) << "activateWindow: the window's application is gone";
        return;
    }
    app->activateApp(window, appsSource());
}

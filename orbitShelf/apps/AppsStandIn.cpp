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

void setSpaceDockShown(const QString& screenID, bool autoHide)
{
    QMetaObject::invokeMethod(
        &AppState::shared(),
        [screenID, autoHide] {
            AppState& state = AppState::shared();
            StringMap map = state.settings.autoHideSpaceDock();
            map.insert(screenID, autoHide ? QStringLiteral("true") : QStringLiteral("false"));
            state.settings.setAutoHideSpaceDock(map);
            state.showSpaceDock.insert(screenID, !autoHide);
            state.publish();
        },
        Qt::QueuedConnection);
}

#include "apps/DockVisibility.h"

#include "app/AppState.h"

#include <QCoreApplication>
#include <QMetaObject>

void applySpaceDockAutoHide(bool autoHide, const QString& screenID)
{
    AppState& state = AppState::shared();
    // The stored map is written on its own: the publish below is the one
    // change notice of this step.
    CustomSettings settings;
    StringMap autoHideMap = settings.autoHideSpaceDock();
    autoHideMap.insert(screenID, autoHide ? QStringLiteral("true") : QStringLiteral("false"));
    settings.setAutoHideSpaceDock(autoHideMap);
    state.showSpaceDock.insert(screenID, !autoHide);
    state.publish();
}

void setSpaceDockAutoHide(const QString& screenID, bool autoHide)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [screenID, autoHide] { applySpaceDockAutoHide(autoHide, screenID); },
        Qt::QueuedConnection);
}

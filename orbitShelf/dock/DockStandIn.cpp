#include "dock/DockStandIn.h"

#include "app/AppState.h"
#include "dock/DockAutoHide.h"

#include <QRect>

QMap<qint64, bool>& dockHiddenFlags()
{
    return fullScreenAutoHideFlags().dockHiddenFlags;
}

QMap<QString, QString>& dockScreenFlags()
{
    return fullScreenAutoHideFlags().dockScreenFlags;
}

namespace {
int calibrated(const StringMap& entries, const QString& screenKey, int fallback)
{
    bool ok = false;
    const int value = entries.value(screenKey).toInt(&ok, 10);
    return ok ? value : fallback;
}
} // namespace

int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame)
{
    return calibrated(AppState::shared().settings.spaceWidth(), screenKey, visibleFrame.width());
}

int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame)
{
    return calibrated(AppState::shared().settings.spaceHeight(), screenKey, visibleFrame.height());
}

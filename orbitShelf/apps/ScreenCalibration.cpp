#include "apps/ScreenCalibration.h"

#include "state/AppState.h"

#include <QRect>

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

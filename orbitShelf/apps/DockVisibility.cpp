#include "apps/DockVisibility.h"

#include "state/AppState.h"

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

FullScreenAutoHideFlags& fullScreenAutoHideFlags()
{
    static FullScreenAutoHideFlags flags;
    return flags;
}

std::optional<bool> fullScreenAutoHideDecision(bool enableAutoHideWhenFullScreen,
    const FullScreenAutoHideFlags& flags, qint64 windowNumber, const QString& screenId)
{
    if (!enableAutoHideWhenFullScreen || flags.dockHiddenFlags.isEmpty())
        return std::nullopt;
    if (flags.dockHiddenFlags.value(windowNumber, false))
        return true;
    // Back to the state the screen had before a full-screen window hid it.
    const auto saved = flags.dockScreenFlags.constFind(screenId);
    return saved != flags.dockScreenFlags.constEnd() && *saved == QLatin1String("true");
}

void applyFullScreenAutoHide(AppState& state, qint64 windowNumber, const QString& screenId)
{
    const std::optional<bool> autoHide = fullScreenAutoHideDecision(
        state.settings.enableAutoHideWhenFullScreen(), fullScreenAutoHideFlags(), windowNumber, screenId);
    if (!autoHide)
        return;
    // The stored flag follows on the main queue; the bar's shown flag
    // changes at once so the bar does not flash in between.
    setSpaceDockAutoHide(screenId, *autoHide);
    state.showSpaceDock.insert(screenId, !*autoHide);
    state.publish();
}

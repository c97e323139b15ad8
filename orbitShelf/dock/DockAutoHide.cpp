#include "dock/DockAutoHide.h"

#include "app/AppState.h"
#include "apps/DockVisibility.h"

namespace {

bool isTrueText(const std::optional<QString>& text)
{
    return text && *text == QLatin1String("true");
}

} // namespace

StripHoverOutcome stripHoverOutcome(
    bool entered, const std::optional<QString>& autoHideEntry, double currentOpacity)
{
    if (!entered)
        return { false, 0 };
    if (!isTrueText(autoHideEntry))
        return { false, currentOpacity };
    return { true, 0.2 };
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

double dockOpacity(const std::optional<QString>& autoHideEntry, const std::optional<bool>& showSpaceDock)
{
    return isTrueText(autoHideEntry) && showSpaceDock == false ? 0.0 : 1.0;
}

bool showSpaceDockOnAppear(const std::optional<QString>& autoHideEntry)
{
    return !isTrueText(autoHideEntry);
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

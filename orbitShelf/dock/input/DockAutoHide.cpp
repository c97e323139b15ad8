#include "dock/input/DockAutoHide.h"

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

double dockOpacity(const std::optional<QString>& autoHideEntry, const std::optional<bool>& showSpaceDock)
{
    return isTrueText(autoHideEntry) && showSpaceDock == false ? 0.0 : 1.0;
}

bool showSpaceDockOnAppear(const std::optional<QString>& autoHideEntry)
{
    return !isTrueText(autoHideEntry);
}

AutoShowStrips& AutoShowStrips::shared()
{
    static AutoShowStrips strips;
    return strips;
}

#include "dock/layout/DockLayout.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool onlyIcon(const DockLayoutSettings& settings)
{
    return settings.buttonTheme == QLatin1String("onlyIcon");
}

// Window tags lose 30 points each when the bar has to give up room.
constexpr int fullTagWidth = 140;
constexpr int narrowTagWidth = 110;
constexpr double tagShrinkPerWindow = fullTagWidth - narrowTagWidth;

// A button never shrinks below one point, whatever the overflow: a zero or
// negative size would draw nothing and make the vertical length negative.
double clampedButtonScale(double scale, double iconSize)
{
    const double largest = std::max(0.0, iconSize - 1.0);
    return std::clamp(scale, 0.0, largest);
}

} // namespace

AppArrangement appArrangement(int windowCount, int stackAppLimit)
{
    if (windowCount < 2)
        return AppArrangement::Single;
    if (windowCount >= stackAppLimit)
        return AppArrangement::Stacked;
    return AppArrangement::Expanded;
}

int countBarSlots(const DockLayoutInput& input)
{
    int slotTotal = 0;
    for (int count : input.appWindowCounts)
        slotTotal
            += appArrangement(count, input.settings.stackAppLimit) == AppArrangement::Expanded ? count : 1;
    slotTotal += input.pinnedNotRunningCount;
    if (!input.settings.hideMainButton)
        slotTotal += 1;
    if (input.settings.showLunchpadButton)
        slotTotal += 1;
    slotTotal += input.settings.pinnedToolCount;
    return slotTotal;
}

namespace {

// Room between the panel's ends and its first and last button, as the bar's
// geometry leaves it.
constexpr double barEndPadding = 8;

int fixedIconCount(const DockLayoutInput& input)
{
    return (input.settings.hideMainButton ? 0 : 1) + (input.settings.showLunchpadButton ? 1 : 0)
        + input.settings.pinnedToolCount + input.pinnedNotRunningCount;
}

// The length a bottom bar needs, summed the way its geometry lays the
// buttons out: every item, the main button, the launcher, tools and pinned
// applications included, and both end paddings.
struct HorizontalFit {
    double length = 0;
    int columns = 0; // buttons along the bar; each gives up `scale` when they shrink
};

HorizontalFit horizontalFit(const DockLayoutInput& input, int tagWidth, bool grid, double scale)
{
    const DockLayoutSettings& settings = input.settings;
    const double button = std::max(1.0, settings.iconSize - scale);
    const double iconSlot = button + 10;
    const double windowSlot = onlyIcon(settings) || tagWidth <= 0 ? button + 5 : button + tagWidth;
    HorizontalFit fit;
    fit.columns = fixedIconCount(input);
    fit.length = fit.columns * iconSlot;
    for (int count : input.appWindowCounts) {
        if (appArrangement(count, settings.stackAppLimit) != AppArrangement::Expanded) {
            fit.columns += 1;
            fit.length += iconSlot;
            continue;
        }
        const int columns = grid ? (count + 1) / 2 : count;
        fit.columns += columns;
        fit.length += columns * windowSlot;
    }
    fit.length += 2 * barEndPadding;
    return fit;
}

} // namespace

ScreenLayout layoutDockForScreen(const DockLayoutInput& input, const ScreenLayoutState& state)
{
    const DockLayoutSettings& settings = input.settings;
    const double sw = state.screenWidth.value_or(0);
    const double sh = state.screenHeight.value_or(0);

    ScreenLayout layout;
    layout.items = input.pinnedNotRunningCount;
    for (int count : input.appWindowCounts) {
        switch (appArrangement(count, settings.stackAppLimit)) {
        case AppArrangement::Single:
            layout.items += 1;
            break;
        case AppArrangement::Stacked:
            layout.items += 1;
            layout.windows += count;
            break;
        case AppArrangement::Expanded:
            layout.windows += count;
            break;
        }
    }
    layout.barSlots = countBarSlots(input);
    layout.windowTagWidth = state.windowTagWidth;
    layout.buttonScale = state.buttonScale;

    const int slotCount = layout.items + layout.windows;
    if (state.vertical) {
        layout.listMode = QStringLiteral("list");
        // Along a side bar every button takes its size and 2 points; the
        // buttons shrink until all of them fit the screen's height.
        const double needed = (settings.iconSize + 2.0) * layout.barSlots;
        const double overflow = needed - sh;
        // A bar that fits again gets its full-size buttons back.
        layout.buttonScale = overflow > 0 && layout.barSlots > 0
            ? clampedButtonScale(overflow / layout.barSlots, settings.iconSize)
            : 0.0;
    } else {
        // Tried in this order: a bar that fits keeps full-width tags; one
        // that overflows tries narrower tags, then the grid, then smaller
        // buttons, and last the window buttons give up their tags.
        const int narrow = onlyIcon(settings) ? 0 : narrowTagWidth;
        layout.buttonScale = 0.0;
        if (horizontalFit(input, onlyIcon(settings) ? 0 : fullTagWidth, false, 0).length <= sw) {
            layout.windowTagWidth = onlyIcon(settings) ? 0 : fullTagWidth;
            layout.listMode = QStringLiteral("list");
        } else if (horizontalFit(input, narrow, false, 0).length <= sw) {
            layout.listMode = QStringLiteral("list");
            layout.windowTagWidth = narrow;
        } else {
            layout.listMode = QStringLiteral("grid");
            layout.windowTagWidth = narrow;
            for (int tagWidth : { narrow, 0 }) {
                const HorizontalFit fit = horizontalFit(input, tagWidth, true, 0);
                const double overflow = fit.length - sw;
                layout.windowTagWidth = tagWidth;
                layout.buttonScale = overflow > 0 && fit.columns > 0
                    ? clampedButtonScale(overflow / fit.columns, settings.iconSize)
                    : 0.0;
                if (horizontalFit(input, tagWidth, true, *layout.buttonScale).length <= sw)
                    break;
            }
        }
    }

    // The length of a vertical bar, kept for both orientations so that a
    // change of edge finds it ready.
    layout.totalAppCount = slotCount;
    const double buttonSize = std::max(1.0, settings.iconSize - layout.buttonScale.value_or(0));
    double length = (buttonSize + 2.0) * layout.barSlots;
    if (state.screenHeight) {
        if (settings.fullScreenDock || length > *state.screenHeight)
            length = *state.screenHeight;
    }
    layout.dockHeight = std::max(1.0, length);
    return layout;
}

int calibratedScreenLength(const std::optional<QString>& calibration, double visibleLength)
{
    // Only a plain decimal whole number counts: no blanks, no decimal point.
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (calibration && wholeNumber.match(*calibration).hasMatch()) {
        bool ok = false;
        const int value = calibration->toInt(&ok, 10);
        if (ok)
            return value;
    }
    if (!std::isfinite(visibleLength))
        return 0;
    return static_cast<int>(std::trunc(visibleLength));
}

#include "dock/DockLayout.h"

#include <gtest/gtest.h>

namespace {

DockLayoutInput appsWithWindows(std::vector<int> counts, DockLayoutSettings settings = {})
{
    DockLayoutInput input;
    input.appWindowCounts = std::move(counts);
    input.settings = std::move(settings);
    return input;
}

ScreenLayoutState horizontalScreen(double width, double height = 900)
{
    ScreenLayoutState state;
    state.screenWidth = width;
    state.screenHeight = height;
    state.windowTagWidth = 140;
    return state;
}

struct HorizontalRow {
    const char* name;
    std::vector<int> windowCounts;
    double screenWidth;
    QString theme;
    QString listMode;
    int tagWidth;
    std::optional<double> buttonScale; // previous scale was 7
};

TEST(DockLayout, HorizontalCases)
{
    // 46 + 140 = 186 per expanded window, 56 per icon.
    const HorizontalRow rows[] = {
        { "empty bar fits", {}, 1440, "bigIcon", "list", 140, 0.0 },
        { "empty bar fits, icons only", {}, 1440, "onlyIcon", "list", 0, 0.0 },
        { "total equals the width exactly", { 1, 1 }, 112, "bigIcon", "list", 140, 0.0 },
        { "three windows 100 too wide go to the grid", { 3 }, 458, "bigIcon", "grid", 110, 7.0 },
        { "four windows 100 too wide stay a list", { 4 }, 644, "bigIcon", "list", 110, 7.0 },
        { "four windows, icons only, stay a list without tags", { 4 }, 104, "onlyIcon", "list", 0, 7.0 },
        { "single apps that overflow go to the grid", { 1, 1, 1 }, 100, "bigIcon", "grid", 110, 7.0 },
        { "unknown theme is bigIcon", { 4 }, 644, "fancy", "list", 110, 7.0 },
    };
    for (const HorizontalRow& row : rows) {
        SCOPED_TRACE(row.name);
        DockLayoutSettings settings;
        settings.buttonTheme = row.theme;
        ScreenLayoutState state = horizontalScreen(row.screenWidth);
        state.buttonScale = 7.0;
        const ScreenLayout layout = layoutDockForScreen(appsWithWindows(row.windowCounts, settings), state);
        EXPECT_EQ(layout.listMode, row.listMode);
        EXPECT_EQ(layout.windowTagWidth, row.tagWidth);
        EXPECT_EQ(layout.buttonScale, row.buttonScale);
    }
}

TEST(DockLayout, ShrinkIsResetWhenTheBarFitsAgain)
{
    // Two of ten applications on a side bar 100 too short quit: the bar
    // fits again and the shrink goes.
    ScreenLayoutState vertical;
    vertical.vertical = true;
    vertical.screenHeight = 460;
    vertical.buttonScale = 10.0;
    EXPECT_EQ(layoutDockForScreen(appsWithWindows(std::vector<int>(8, 1)), vertical).buttonScale, 0.0);
}

struct VerticalRow {
    const char* name;
    int singleApps;
    int windowsOfOneApp; // 0 for none
    std::optional<double> screenHeight;
    bool fullScreenDock;
    double buttonScale;
    double dockHeight;
};

TEST(DockLayout, VerticalCases)
{
    const VerticalRow rows[] = {
        // 9 single apps and one app with 20 windows stacked: 10 icons, 560
        // long, 300 over a 260 high screen; 10 items + 20 windows → 10 each.
        { "300 too long with 10 items and 20 windows", 9, 20, 260, false, 10.0, 260 },
        { "fits: no shrink, length from the slots", 2, 0, 900, false, 0.0, 192 },
        { "full-screen dock takes the screen height", 2, 0, 900, true, 0.0, 900 },
        // A missing height reads as 0: the buttons shrink as far as they may
        // and the length is not clamped.
        { "no screen height", 2, 0, std::nullopt, false, 45.0, 12 },
        { "a tiny screen cannot shrink buttons below 1 point", 40, 0, 1, false, 45.0, 1 },
    };
    for (const VerticalRow& row : rows) {
        SCOPED_TRACE(row.name);
        DockLayoutInput input;
        input.appWindowCounts.assign(row.singleApps, 1);
        if (row.windowsOfOneApp)
            input.appWindowCounts.push_back(row.windowsOfOneApp);
        input.settings.fullScreenDock = row.fullScreenDock;
        ScreenLayoutState state;
        state.vertical = true;
        state.screenHeight = row.screenHeight;
        state.windowTagWidth = 140;
        const ScreenLayout layout = layoutDockForScreen(input, state);
        EXPECT_EQ(layout.listMode, "list");
        EXPECT_EQ(layout.windowTagWidth, 140) << "a vertical pass leaves the tag width alone";
        EXPECT_DOUBLE_EQ(layout.buttonScale.value_or(-1), row.buttonScale);
        EXPECT_DOUBLE_EQ(layout.dockHeight, row.dockHeight);
    }
}

TEST(DockLayout, VerticalUsesNarrowWindowSlots)
{
    // On a side bar an expanded window takes an icon slot, not a tag's width.
    ScreenLayoutState state;
    state.vertical = true;
    state.screenHeight = 1000;
    EXPECT_DOUBLE_EQ(layoutDockForScreen(appsWithWindows({ 3 }), state).total, 3 * 56);
    DockLayoutSettings onlyIcon;
    onlyIcon.buttonTheme = "onlyIcon";
    EXPECT_DOUBLE_EQ(layoutDockForScreen(appsWithWindows({ 3 }, onlyIcon), state).total, 3 * 51);
}

struct ArrangementRow {
    const char* name;
    int windows;
    AppArrangement arrangement;
};

TEST(DockLayout, ArrangementByWindowCount)
{
    const ArrangementRow rows[] = {
        { "no window", 0, AppArrangement::Single },
        { "one window", 1, AppArrangement::Single },
        { "two windows", 2, AppArrangement::Expanded },
        { "one below the limit", 7, AppArrangement::Expanded },
        { "exactly the limit", 8, AppArrangement::Stacked },
    };
    for (const ArrangementRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(appArrangement(row.windows, 8), row.arrangement);
    }
}

TEST(DockLayout, StackedAppCountsAsOneSlotAndOneIcon)
{
    const ScreenLayout layout = layoutDockForScreen(appsWithWindows({ 8 }), horizontalScreen(1440));
    EXPECT_DOUBLE_EQ(layout.total, 56);
    EXPECT_EQ(layout.items, 1);
    EXPECT_EQ(layout.windows, 8);
    EXPECT_EQ(layout.expandedWindows, 0);
    EXPECT_EQ(layout.totalAppCount, 9);
    EXPECT_EQ(countBarSlots(appsWithWindows({ 8 })), 3);
}

struct SlotRow {
    const char* name;
    bool hideMainButton;
    bool showLaunchpad;
    int pinnedTools;
    int expected;
};

TEST(DockLayout, CountBarSlots)
{
    // Apps: one single, one expanded with 3, one stacked with 9; two pinned.
    const SlotRow rows[] = {
        { "everything shown", false, true, 2, 1 + 3 + 1 + 2 + 1 + 1 + 2 },
        { "no main button, no launchpad", true, false, 2, 1 + 3 + 1 + 2 + 2 },
        { "no tools", false, true, 0, 1 + 3 + 1 + 2 + 1 + 1 },
    };
    for (const SlotRow& row : rows) {
        SCOPED_TRACE(row.name);
        DockLayoutInput input = appsWithWindows({ 1, 3, 9 });
        input.pinnedNotRunningCount = 2;
        input.settings.hideMainButton = row.hideMainButton;
        input.settings.showLunchpadButton = row.showLaunchpad;
        input.settings.pinnedToolCount = row.pinnedTools;
        EXPECT_EQ(countBarSlots(input), row.expected);
    }
}

TEST(DockLayout, CalibratedScreenLength)
{
    const struct {
        const char* name;
        std::optional<QString> text;
        int expected;
    } rows[] = {
        { "whole number", QString("1440"), 1440 },
        { "letters", QString("abc"), 1919 },
        { "empty", QString(""), 1919 },
        { "decimal point", QString("1440.5"), 1919 },
        { "blank around", QString(" 1440"), 1919 },
        { "missing", std::nullopt, 1919 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(calibratedScreenLength(row.text, 1919.8), row.expected);
    }
}

} // namespace

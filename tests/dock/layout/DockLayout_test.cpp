#include "dock/layout/DockBarGeometry.h"
#include "dock/layout/DockLayout.h"

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
    double buttonScale;
};

TEST(DockLayout, HorizontalCases)
{
    // The main button and the launcher take 56 each, the ends 16: 128 before
    // any application; 46 + 140 = 186 per expanded window, 56 per icon.
    const HorizontalRow rows[] = {
        { "empty bar fits", {}, 1440, "bigIcon", "list", 140, 0.0 },
        { "empty bar fits, icons only", {}, 1440, "onlyIcon", "list", 0, 0.0 },
        { "total equals the width exactly", { 1, 1 }, 240, "bigIcon", "list", 140, 0.0 },
        { "the fixed buttons count: one more point is too wide", { 1, 1 }, 239, "bigIcon", "grid", 110,
            0.25 },
        { "three windows 100 too wide go to the grid", { 3 }, 586, "bigIcon", "grid", 110, 0.0 },
        { "four windows 100 too wide stay a list", { 4 }, 772, "bigIcon", "list", 110, 0.0 },
        { "four windows, icons only, go to the grid", { 4 }, 232, "onlyIcon", "grid", 0, 0.0 },
        { "four windows, icons only, then shrink their buttons", { 4 }, 200, "onlyIcon", "grid", 0, 7.5 },
        { "unknown theme is bigIcon", { 4 }, 772, "fancy", "list", 110, 0.0 },
        // 35 terminals: 37 icons of 56 and the ends are 2088, 168 too wide.
        { "35 single windows shrink to fit 1920", std::vector<int>(35, 1), 1920, "bigIcon", "grid", 110,
            168.0 / 37 },
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
        EXPECT_DOUBLE_EQ(layout.buttonScale.value_or(-1), row.buttonScale);
    }
}

// The layout and the geometry together, as the bar draws: every button
// inside the screen on every edge, with many windows, in every theme.
TEST(DockLayout, EveryButtonStaysOnTheScreen)
{
    struct Content {
        const char* name;
        std::vector<int> windowCounts;
        int stackAppLimit;
    };
    const Content contents[] = {
        { "10 terminals", std::vector<int>(10, 1), 8 },
        { "35 terminals", std::vector<int>(35, 1), 8 },
        { "80 terminals", std::vector<int>(80, 1), 8 },
        { "35 windows of one editor, never stacked", { 35 }, 1000 },
        { "80 windows of one editor, never stacked", { 80 }, 1000 },
        { "80 windows in pairs", std::vector<int>(40, 2), 8 },
    };
    const QRectF screen(0, 0, 1920, 1080);
    for (const Content& content : contents) {
        for (const char* theme : { "bigIcon", "onlyIcon", "noIcon" }) {
            for (const char* edge : { "bottom", "left", "right" }) {
                SCOPED_TRACE(testing::Message() << content.name << ", " << theme << ", " << edge);
                DockLayoutInput input = appsWithWindows(content.windowCounts);
                input.settings.buttonTheme = QString::fromLatin1(theme);
                input.settings.stackAppLimit = content.stackAppLimit;
                input.settings.pinnedToolCount = 2;
                input.pinnedNotRunningCount = 3;
                ScreenLayoutState state = horizontalScreen(screen.width(), screen.height());
                state.vertical = QLatin1String(edge) != QLatin1String("bottom");
                const ScreenLayout layout = layoutDockForScreen(input, state);

                DockBarGeometryInput geometry;
                geometry.vertical = state.vertical;
                geometry.edge = QString::fromLatin1(edge);
                geometry.windowSize = state.vertical ? QSizeF(500, 1080) : QSizeF(1920, 500);
                geometry.onScreen = QRectF(QPointF(0, 0), geometry.windowSize);
                geometry.screenWidth = screen.width();
                geometry.dockHeight = layout.dockHeight;
                geometry.listMode = layout.listMode;
                geometry.buttonScale = layout.buttonScale.value_or(0);
                geometry.windowTagWidth = layout.windowTagWidth.value_or(0);
                geometry.content = input;
                const DockBarPicture picture = dockBarPicture(geometry);
                ASSERT_EQ(int(picture.items.size()), layout.barSlots);
                for (const DockBarItem& item : picture.items) {
                    EXPECT_TRUE(geometry.onScreen.contains(item.rect)) << "off the screen";
                    EXPECT_TRUE(item.rect.contains(item.iconRect)) << "icon outside its button";
                }
                for (size_t i = 1; i < picture.items.size(); ++i) {
                    const QRectF overlap = picture.items[i].rect.intersected(picture.items[i - 1].rect);
                    EXPECT_LT(overlap.width() * overlap.height(), 1e-6)
                        << "buttons " << i - 1 << " and " << i;
                }
            }
        }
    }
}

TEST(DockLayout, ShrinkIsResetWhenTheBarFitsAgain)
{
    DockLayoutInput input = appsWithWindows({ 1, 1, 1, 1, 1, 1, 1, 1, 1, 1 });
    ScreenLayoutState vertical;
    vertical.vertical = true;
    vertical.screenWidth = 1920;
    vertical.screenHeight = 460; // 12 buttons × 48 = 576 → 116 too long
    vertical.buttonScale = 0.0;
    ScreenLayout layout = layoutDockForScreen(input, vertical);
    EXPECT_DOUBLE_EQ(*layout.buttonScale, 116.0 / 12);

    // Three applications quit: the bar fits again and the shrink goes.
    input.appWindowCounts.resize(7);
    vertical.buttonScale = layout.buttonScale;
    layout = layoutDockForScreen(input, vertical);
    EXPECT_EQ(layout.buttonScale, 0.0);
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
        // 9 single apps, one app with 20 windows stacked, the main button and
        // the launcher: 12 buttons of 48 are 576, 316 over a 260 high screen.
        { "316 too long with 12 buttons", 9, 20, 260, false, 316.0 / 12, 260 },
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
    EXPECT_EQ(layout.items, 1);
    EXPECT_EQ(layout.windows, 8);
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

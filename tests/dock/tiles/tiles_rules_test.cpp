// The launcher tile, the tool tiles and the Pomodoro break tile: sizes,
// clicks, unpinning, which bar fills a sheet, the launcher search and the
// break countdown.
#include "dock/DockViewState.h"
#include "dock/tiles/DesktopLauncher.h"
#include "dock/tiles/PomodoroTile.h"
#include "dock/tiles/ToolTiles.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

class TileRules : public StateTest {
protected:
    DockViewState dock { true, 1920, 1080, "Optional(A)" };
};

TEST_F(TileRules, IconSizesShrinkByTheScreensScale)
{
    struct Row {
        double icon, scale;
        double launcher, tool, pomodoro;
    } rows[] = {
        { 46, 6, 37, 35, 20 },
        { 60, 2.5, 54.5, 52.5, 37.5 },
    };
    for (const Row& r : rows) {
        EXPECT_EQ(launcherTileIconSize(r.icon, r.icon, r.scale), QSizeF(r.launcher, r.launcher));
        EXPECT_EQ(toolTileIconSize(r.icon, r.icon, r.scale), QSizeF(r.tool, r.tool));
        EXPECT_EQ(pomodoroImageSize(r.icon, r.icon, r.scale), QSizeF(r.pomodoro, r.pomodoro));
    }
    // Over the shared state: a screen without a scale entry counts as 0.
    EXPECT_EQ(launcherTileIconSize(state, "Optional(A)"), QSizeF(43, 43));
    state.spaceButtonScale["Optional(A)"] = 6;
    EXPECT_EQ(toolTileIconSize(state, "Optional(A)"), QSizeF(35, 35));
    EXPECT_EQ(toolTileIconSize(state, "Optional(B)"), QSizeF(41, 41));
}

TEST_F(TileRules, AClickRaisesItsToolsFlagAndOnlyThat)
{
    // The raised flags, one letter each: Pomodoro, Pasteboard, FastFinder,
    // Note, Todo.
    const auto raised = [](const AppState& s) {
        return QString("%1%2%3%4%5")
            .arg(s.popups[Tool::Pomodoro] ? "P" : "")
            .arg(s.popups[Tool::Pasteboard] ? "C" : "")
            .arg(s.popups[Tool::FastFinder] ? "F" : "")
            .arg(s.popups[Tool::Note] ? "N" : "")
            .arg(s.popups[Tool::Todo] ? "T" : "");
    };
    const std::pair<const char*, QString> rows[] = { { "Pomodoro", "P" }, { "Pasteboard", "C" },
        { "FastFinder", "F" }, { "Note", "N" }, { "Todo", "T" }, { "pomodoro", "" } /* names are exact */ };
    for (const auto& [tool, flags] : rows) {
        AppState fresh;
        int published = 0;
        QObject::connect(&fresh, &AppState::changed, [&] { ++published; });
        toolTileClicked(tool, dock, fresh);
        EXPECT_EQ(raised(fresh), flags) << tool;
        EXPECT_EQ(published, 1);
    }
    // Todo has no sheet: its flag alone shows nothing. Note opens its sheet
    // as the other tools do.
    toolTileClicked("Todo", dock, state);
    EXPECT_TRUE(toolSheetsShown(state).empty());
    toolTileClicked("Note", dock, state);
    EXPECT_EQ(toolSheetsShown(state), std::vector<Tool> { Tool::Note });
    // One panel at a time; a second click on its tile closes it.
    toolTileClicked("FastFinder", dock, state, QRectF(10, 1040, 40, 40));
    EXPECT_EQ(dock.currentPluginFrame, QRectF(10, 1040, 40, 40));
    toolTileClicked("Pomodoro", dock, state);
    EXPECT_EQ(raised(state), "P");
    EXPECT_EQ(toolSheetsShown(state), std::vector<Tool> { Tool::Pomodoro });
    toolTileClicked("Pomodoro", dock, state);
    EXPECT_EQ(raised(state), "");
}

TEST(ToolSheetPlacement, BesideItsTileInsideTheVisibleFrameAtEveryEdge)
{
    const QRect visible(0, 0, 1920, 1030); // a bar of 50 reserved at the bottom
    struct Row {
        const char* edge;
        QRect tile;
        QSize size;
        QRect expected;
    } rows[] = {
        { "bottom", { 900, 1035, 40, 40 }, { 600, 500 }, { 619, 535, 600, 500 } },
        { "bottom", { 5, 1035, 40, 40 }, { 600, 500 }, { 0, 535, 600, 500 } }, // kept on screen
        { "bottom", { 1870, 1035, 40, 40 }, { 1920, 500 }, { 0, 535, 1920, 500 } },
        { "top", { 900, 5, 40, 40 }, { 600, 500 }, { 619, 45, 600, 500 } },
        { "left", { 5, 500, 40, 40 }, { 500, 1080 }, { 45, 0, 500, 1030 } }, // shrunk to fit
        { "left", { 5, 20, 40, 40 }, { 500, 500 }, { 45, 0, 500, 500 } },
        { "right", { 1875, 1000, 40, 40 }, { 600, 500 }, { 1275, 530, 600, 500 } },
    };
    for (const Row& r : rows) {
        const QRect frame = toolSheetFrame(r.size, r.tile, visible, r.edge);
        EXPECT_EQ(frame, r.expected) << r.edge;
        EXPECT_TRUE(QRect(0, 0, 1920, 1080).contains(frame)) << r.edge;
        const bool touches = frame.bottom() + 1 == r.tile.top() || frame.top() == r.tile.bottom() + 1
            || frame.right() + 1 == r.tile.left() || frame.left() == r.tile.right() + 1;
        EXPECT_TRUE(touches) << r.edge;
    }
}

TEST_F(TileRules, UnPinRemovesTheRightClickedToolAndTilesAreSorted)
{
    state.settings.setPinedPlugins({ { "Pomodoro", "1" }, { "FastFinder", "1" }, { "Note", "1" } });
    EXPECT_EQ(pinnedToolNames(state), (QStringList { "FastFinder", "Note", "Pomodoro" }));

    toolTileClicked("FastFinder", dock, state); // the last clicked tile
    EXPECT_TRUE(unpinTool("Pomodoro", state)); // right-clicked on another one
    EXPECT_FALSE(unpinTool("Pomodoro", state));
    EXPECT_FALSE(unpinTool("", state));
    EXPECT_EQ(pinnedToolNames(state), (QStringList { "FastFinder", "Note" }));
}

TEST_F(TileRules, OnlyTheBarOnTheMousesScreenFillsASheet)
{
    const std::vector<ScreenArea> screens { { QRectF(0, 0, 1920, 1080), "Optional(A)" },
        { QRectF(1920, 0, 1280, 1024), "Optional(B)" } };
    EXPECT_TRUE(isMouseOnDockScreen(screens, QPointF(100, 100), "Optional(A)"));
    EXPECT_FALSE(isMouseOnDockScreen(screens, QPointF(100, 100), "Optional(B)"));
    EXPECT_TRUE(isMouseOnDockScreen(screens, QPointF(2000, 10), "Optional(B)"));
    EXPECT_FALSE(isMouseOnDockScreen(screens, QPointF(-5, -5), "Optional(A)")) << "on no screen";

    struct Row {
        Tool sheet;
        bool mouseHere, vertical;
        QSizeF size; // empty: not filled
        int columns;
        bool front;
    } rows[] = {
        { Tool::Pasteboard, false, false, {}, 0, false },
        { Tool::Pomodoro, true, false, { 600, 500 }, 0, true },
        { Tool::Pomodoro, true, true, { 500, 500 }, 0, true },
        { Tool::Pasteboard, true, false, { 1920, 500 }, 5, true },
        { Tool::Pasteboard, true, true, { 500, 1080 }, 2, true },
        { Tool::FastFinder, true, false, { 1920, 500 }, 0, true },
        { Tool::FastFinder, true, true, { 500, 1080 }, 0, true },
        { Tool::FastFinder, false, true, {}, 0, false },
        { Tool::Note, true, false, { 600, 500 }, 0, true },
        { Tool::Note, true, true, { 500, 500 }, 0, true },
        { Tool::Todo, true, false, {}, 0, false },
    };
    for (const Row& r : rows) {
        const ToolSheetContent c = toolSheetContent(r.sheet, r.mouseHere, r.vertical, 1920, 1080);
        EXPECT_EQ(c.filled, !r.size.isEmpty());
        EXPECT_EQ(c.size, r.size);
        EXPECT_EQ(c.columns, r.columns);
        EXPECT_EQ(c.limit, r.columns ? 5000 : 0);
        EXPECT_EQ(c.bringToFront, r.front);
    }
}

TEST(DesktopLauncherSearch, TakesTheFirstInstalledLauncherAndSaysSoWhenNone)
{
    const auto onPath = [](QStringList installed) {
        return [installed](
                   const QString& name) { return installed.contains(name) ? "/usr/bin/" + name : QString(); };
    };
    EXPECT_EQ(findLauncher(onPath({ "krunner", "rofi" })),
        (LauncherCommand { "/usr/bin/rofi", { "-show", "drun" } }));
    EXPECT_EQ(findLauncher(onPath({ "krunner", "xfce4-appfinder" })),
        (LauncherCommand { "/usr/bin/xfce4-appfinder", {} }));
    EXPECT_EQ(findLauncher(onPath({ "albert" })), (LauncherCommand { "/usr/bin/albert", { "toggle" } }));
    EXPECT_FALSE(findLauncher(onPath({ "gnome-shell", "xterm" })).has_value());
    EXPECT_TRUE(noLauncherDetail().contains("rofi"));
    EXPECT_FALSE(noLauncherMessage().isEmpty());
}

TEST(PomodoroBreak, StartPillAndCountdownFollowTheBreak)
{
    struct Row {
        qint64 elapsed;
        int restMinute;
        bool pill;
        const char* countdown;
    } rows[] = {
        { 0, 5, false, "05 : 00 " }, { 1, 5, false, "04 : 59 " }, { 299, 5, false, "00 : 01 " },
        { 300, 5, true, "00 : 00 " }, { 301, 5, true, "00 : 00 " }, // stops at zero
        { 4000, 5, true, "00 : 00 " }, { 0, 0, true, "00 : 00 " }, // no break at all
        { -3, 5, false, "05 : 00 " }, // a clock reset mid-break
    };
    for (const Row& r : rows) {
        EXPECT_EQ(showStartPill(r.elapsed, r.restMinute), r.pill) << r.elapsed;
        EXPECT_EQ(pomodoroCountdownText(r.elapsed, r.restMinute), r.countdown) << r.elapsed;
    }
    EXPECT_EQ(breakElapsed(1500 + 301, 1500), 301);

    int started = 0;
    EXPECT_FALSE(startNextPomodoro(299, 5, [&] { ++started; }));
    EXPECT_TRUE(startNextPomodoro(300, 5, [&] { ++started; }));
    EXPECT_EQ(started, 1);
}

// The bar's items in their order and each application's window entries.
#include "dock/layout/BarEntries.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

const QString kEntriesScreen = QStringLiteral("Optional(S)");

class BarEntriesTest : public StateTest {
protected:
    void SetUp() override
    {
        state.spaceListmode[kEntriesScreen] = "list";
        context.screenID = kEntriesScreen;
    }

    std::shared_ptr<ActiveApp> addApp(qint32 pid, int windows, int order)
    {
        auto app = addRunningApp(state, pid, windows, order);
        std::reverse(app->windows->begin(), app->windows->end()); // out of order on purpose
        return app;
    }

    std::vector<BarEntry> entries() { return dockBarEntries(state, context); }
    std::vector<BarEntry> windowEntries(qint32 pid) { return appWindowEntry(state, context, pid); }

    BarContext context;
};

// One letter per entry, in the order of BarEntry::Kind: main button,
// launcher, tool, pinned, window, stacked, Pomodoro tile.
std::string kinds(const std::vector<BarEntry>& entries)
{
    std::string out;
    for (const BarEntry& e : entries)
        out += "MLTPWSO"[int(e.kind)];
    return out;
}

TEST_F(BarEntriesTest, ItemsRunMainLauncherSortedToolsPinnedThenAppsInBarOrder)
{
    state.settings.setPinedPlugins({ { "Pomodoro", "1" }, { "FastFinder", "1" } });
    auto pinned = std::make_shared<ActiveApp>();
    pinned->appBundleName = "notes";
    pinned->bundleIdentifier = "org.example.Notes.desktop";
    state.pinnedAnNotRunning = { pinned };
    addApp(300, 1, 20);
    addApp(100, 1, 30);
    addApp(200, 1, 10);

    const std::vector<BarEntry> bar = entries();
    EXPECT_EQ(kinds(bar), "MLTTPWWW");
    EXPECT_EQ(bar[2].toolName, "FastFinder");
    EXPECT_EQ(bar[3].toolName, "Pomodoro");
    EXPECT_TRUE(bar[4].isPinned);
    EXPECT_EQ(bar[4].window->appBundleName, "notes");
    EXPECT_EQ(bar[4].window->num, 0u);
    EXPECT_EQ(bar[4].windowCount, 1);
    EXPECT_EQ((std::vector<qint32> { bar[5].pid, bar[6].pid, bar[7].pid }),
        (std::vector<qint32> { 200, 300, 100 }));

    state.settings.setHideMainButton(true);
    state.settings.setShowLunchpadButton(false);
    EXPECT_EQ(kinds(entries()), "TTPWWW");
    state.pomodoro.startPomodoroTask = true;
    EXPECT_EQ(kinds(entries()), "O") << "a Pomodoro break shows only its tile";
}

TEST_F(BarEntriesTest, WhenAnApplicationIsStacked)
{
    const struct {
        const char* name;
        int limit;
        int windows;
        QString mode;
        std::string expected;
    } rows[] = {
        { "eight of eight stack", 8, 8, "list", "S" },
        { "seven of eight list", 8, 7, "list", "WWWWWWW" },
        { "seven of eight in stack mode", 8, 7, "stack", "S" },
        { "limit two stacks two", 2, 2, "list", "S" },
        { "limit two, one window", 2, 1, "list", "W" },
        // A stored limit below two reads as two: no stack of none or one.
        { "limit zero: no windows, no stack", 0, 0, "list", "" },
        { "limit minus one: one window stays one", -1, 1, "grid", "W" },
        { "one window never stacked", 8, 1, "stack", "W" },
        { "unknown mode shows nothing", 8, 3, "other", "" },
        { "no mode for the screen shows nothing", 8, 3, "", "" },
    };
    for (const auto& row : rows) {
        state.settings.setStackAppLimit(row.limit);
        state.spaceListmode[kEntriesScreen] = row.mode;
        addApp(100, row.windows, 10);
        EXPECT_EQ(kinds(windowEntries(100)), row.expected) << row.name;
    }
}

TEST_F(BarEntriesTest, GridOfFiveWindowsIsThreeColumnsOfTwoTwoOne)
{
    state.spaceListmode[kEntriesScreen] = "grid";
    addApp(100, 5, 10);
    const std::vector<BarEntry> grid = windowEntries(100);
    ASSERT_EQ(kinds(grid), "WWWWW");
    std::vector<std::pair<int, uint32_t>> rowAndNumber;
    for (const BarEntry& e : grid)
        rowAndNumber.emplace_back(e.gridRow, *e.window->num);
    // Windows in display order (by number), two per column.
    EXPECT_EQ(rowAndNumber,
        (std::vector<std::pair<int, uint32_t>> {
            { 0, 1000 }, { 1, 1001 }, { 0, 1002 }, { 1, 1003 }, { 0, 1004 } }));
}

TEST_F(BarEntriesTest, SideBarsShowNoWindowTagsButAStackedGridButtonDoes)
{
    addApp(100, 2, 10);
    EXPECT_TRUE(windowEntries(100)[0].enableWindowTag);
    context.vertical = true;
    EXPECT_FALSE(windowEntries(100)[0].enableWindowTag);

    state.spaceListmode[kEntriesScreen] = "grid";
    context.stackLayoutApp.insert(100, true);
    const std::vector<BarEntry> entry = windowEntries(100);
    ASSERT_EQ(kinds(entry), "S");
    EXPECT_TRUE(entry[0].enableWindowTag);
}

TEST_F(BarEntriesTest, GoneApplicationShowsNothingAndStaleWindowCountsMinusOne)
{
    EXPECT_TRUE(windowEntries(999).empty());
    state.settings.setStackAppLimit(0);
    EXPECT_TRUE(windowEntries(999).empty()) << "a limit below two does not stack an application that quit";

    state.settings.setStackAppLimit(8);
    auto app = addApp(100, 1, 10);
    state.allApps.remove(100);
    const std::vector<BarEntry> list = windowListByMode(state, context, app);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].windowCount, -1);
}

TEST(BadgeTexts, OnlyWrappersAreTakenOff)
{
    const struct {
        const char* stored;
        const char* shown;
    } rows[] = {
        { "12", "12" },
        { "Optional(5)", "5" },
        { "Optional(\"12\")", "12" },
        { "Optional(Optional(3))", "3" },
        { "nil", "" },
        { "NULL", "" },
        { "Optional(nil)", "" },
        { "<nil>", "" },
        { "Vanilla", "Vanilla" }, // letters kept inside words
        { "annulled", "annulled" },
        { "(3)", "(3)" },
        { "", "" },
    };
    for (const auto& row : rows)
        EXPECT_EQ(cleanBadgeValue(row.stored), row.shown) << row.stored;
}

TEST_F(BarEntriesTest, WindowButtonsCarryTheirApplicationsBadgeUnlessBadgesAreOff)
{
    addApp(100, 1, 10)->bundleUrl = "/usr/share/applications/mail.desktop";
    state.appBadge.insert("/usr/share/applications/mail.desktop", "Optional(5)");
    ASSERT_EQ(windowEntries(100).size(), 1u);
    EXPECT_EQ(windowEntries(100)[0].badge, "5");
    state.settings.setDockBadge(false);
    EXPECT_EQ(windowEntries(100)[0].badge, "");
}

TEST_F(BarEntriesTest, HotKeyOfAWindowIsTheLastBindingToItsNumber)
{
    auto app = addApp(7, 1, 10);
    const uint32_t number = *app->windows->front()->num;
    EXPECT_EQ(windowEntries(7)[0].hotKey, "");
    state.setWindowHotkeyCache(
        { { "a", QString::number(number) }, { "b", QString::number(number) }, { "c", "12345" } });
    EXPECT_EQ(windowEntries(7)[0].hotKey, "b");
}

} // namespace

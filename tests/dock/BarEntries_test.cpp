// The bar's items in their order and each application's window entries.
#include "dock/BarEntries.h"

#include "app/AppState.h"
#include "apps/ActiveApp.h"
#include "apps/Windows.h"
#include "tests/support/TempStores.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Kind = BarEntry::Kind;
const QString kScreen = QStringLiteral("Optional(S)");

class BarEntriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_state = std::make_unique<AppState>();
        m_state->spaceListmode[kScreen] = "list";
        m_context.screenID = kScreen;
    }

    std::shared_ptr<ActiveApp> addApp(qint32 pid, int windows, int order, QString bundleUrl = {})
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->appBundleName = QStringLiteral("app%1").arg(pid);
        if (!bundleUrl.isEmpty())
            app->bundleUrl = bundleUrl;
        app->windows = std::vector<std::shared_ptr<Windows>>();
        for (int i = 0; i < windows; ++i) {
            auto window = std::make_shared<Windows>();
            window->appId = pid;
            window->num = uint32_t(pid * 100 + windows - i); // out of order on purpose
            window->title = QStringLiteral("w%1").arg(i);
            app->windows->push_back(window);
        }
        m_state->allApps.insert(pid, app);
        m_state->appOrders.insert(pid, order);
        return app;
    }

    std::vector<BarEntry> entries() { return dockBarEntries(*m_state, m_context); }

    orbitshelf::test::TempUserDefaults m_defaults;
    std::unique_ptr<AppState> m_state;
    BarContext m_context;
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
    m_state->settings.setPinedPlugins({ { "Pomodoro", "1" }, { "FastFinder", "1" } });
    auto pinned = std::make_shared<ActiveApp>();
    pinned->appBundleName = "notes";
    pinned->bundleIdentifier = "org.example.Notes.desktop";
    m_state->pinnedAnNotRunning = { pinned };
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
    EXPECT_EQ(bar[5].pid, 200);
    EXPECT_EQ(bar[6].pid, 300);
    EXPECT_EQ(bar[7].pid, 100);
}

TEST_F(BarEntriesTest, HiddenMainButtonAndLauncherLeaveToolsFirst)
{
    m_state->settings.setHideMainButton(true);
    m_state->settings.setShowLunchpadButton(false);
    m_state->settings.setPinedPlugins({ { "Note", "1" } });
    addApp(100, 1, 10);
    EXPECT_EQ(kinds(entries()), "TW");
}

TEST_F(BarEntriesTest, APomodoroBreakShowsOnlyItsTile)
{
    addApp(100, 3, 10);
    m_state->pomodoro.startPomodoroTask = true;
    EXPECT_EQ(kinds(entries()), "O");
}

struct StackRow {
    const char* name;
    int limit;
    int windows;
    QString mode;
    std::string expected;
};

class StackLimits : public BarEntriesTest, public ::testing::WithParamInterface<StackRow> { };

TEST_P(StackLimits, WhenAnApplicationIsStacked)
{
    const StackRow& row = GetParam();
    m_state->settings.setStackAppLimit(row.limit);
    m_state->spaceListmode[kScreen] = row.mode;
    addApp(100, row.windows, 10);
    EXPECT_EQ(kinds(appWindowEntry(*m_state, m_context, 100)), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, StackLimits,
    ::testing::Values(StackRow { "eight_of_eight_stack", 8, 8, "list", "S" },
        StackRow { "seven_of_eight_list", 8, 7, "list", "WWWWWWW" },
        StackRow { "seven_of_eight_stack_mode", 8, 7, "stack", "S" },
        StackRow { "limit_two_stacks_two", 2, 2, "list", "S" },
        StackRow { "limit_two_one_window", 2, 1, "list", "W" },
        StackRow { "limit_zero_stacks_no_windows", 0, 0, "list", "S" },
        StackRow { "limit_minus_one_stacks_one", -1, 1, "grid", "S" },
        StackRow { "one_window_never_stacked", 8, 1, "stack", "W" },
        StackRow { "unknown_mode_shows_nothing", 8, 3, "other", "" },
        StackRow { "no_mode_for_screen_shows_nothing", 8, 3, "", "" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BarEntriesTest, GridOfFiveWindowsIsThreeColumnsOfTwoTwoOne)
{
    m_state->spaceListmode[kScreen] = "grid";
    addApp(100, 5, 10);
    const std::vector<BarEntry> grid = appWindowEntry(*m_state, m_context, 100);
    ASSERT_EQ(kinds(grid), "WWWWW");
    std::vector<int> rows;
    std::vector<uint32_t> numbers;
    for (const BarEntry& e : grid) {
        rows.push_back(e.gridRow);
        numbers.push_back(*e.window->num);
    }
    EXPECT_EQ(rows, (std::vector<int> { 0, 1, 0, 1, 0 }));
    // Windows in display order (by number), two per column.
    EXPECT_EQ(numbers, (std::vector<uint32_t> { 10001, 10002, 10003, 10004, 10005 }));
}

TEST_F(BarEntriesTest, GridWithStackedLayoutShowsOneButtonWithTagsEvenOnASideBar)
{
    m_state->spaceListmode[kScreen] = "grid";
    m_context.vertical = true;
    m_context.stackLayoutApp.insert(100, true);
    addApp(100, 3, 10);
    const std::vector<BarEntry> entry = appWindowEntry(*m_state, m_context, 100);
    ASSERT_EQ(kinds(entry), "S");
    EXPECT_TRUE(entry[0].enableWindowTag);
}

TEST_F(BarEntriesTest, ChunkedCutsIntoGroupsOfAtMostN)
{
    std::vector<std::shared_ptr<Windows>> five;
    for (int i = 0; i < 5; ++i)
        five.push_back(std::make_shared<Windows>());
    auto sizes = [](const auto& groups) {
        std::vector<size_t> out;
        for (const auto& g : groups)
            out.push_back(g.size());
        return out;
    };
    EXPECT_EQ(sizes(chunked(five, 2)), (std::vector<size_t> { 2, 2, 1 }));
    EXPECT_EQ(sizes(chunked({}, 2)), (std::vector<size_t> { 0 }));
    EXPECT_EQ(sizes(chunked({ five[0], five[1] }, 2)), (std::vector<size_t> { 2 }));
}

TEST_F(BarEntriesTest, GoneApplicationShowsNothingAndStaleWindowCountsMinusOne)
{
    EXPECT_TRUE(appWindowEntry(*m_state, m_context, 999).empty());
    m_state->settings.setStackAppLimit(0);
    const std::vector<BarEntry> stacked = appWindowEntry(*m_state, m_context, 999);
    ASSERT_EQ(kinds(stacked), "S") << "a stacked entry stands even for an application that quit";
    ASSERT_NE(stacked[0].app, nullptr);

    m_state->settings.setStackAppLimit(8);
    auto app = addApp(100, 1, 10);
    m_state->allApps.remove(100);
    m_state->spaceListmode[kScreen] = "list";
    const std::vector<BarEntry> list = windowListByMode(*m_state, m_context, app);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].windowCount, -1);
}

struct BadgeRow {
    const char* name;
    QString stored;
    QString shown;
};

class BadgeTexts : public ::testing::TestWithParam<BadgeRow> { };

TEST_P(BadgeTexts, OnlyWrappersAreTakenOff)
{
    EXPECT_EQ(cleanBadgeValue(GetParam().stored), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Table, BadgeTexts,
    ::testing::Values(BadgeRow { "plain_count", "12", "12" },
        BadgeRow { "optional_wrapper", "Optional(5)", "5" },
        BadgeRow { "quoted_optional", "Optional(\"12\")", "12" },
        BadgeRow { "nested", "Optional(Optional(3))", "3" }, BadgeRow { "nil_alone", "nil", "" },
        BadgeRow { "null_any_case", "NULL", "" }, BadgeRow { "optional_nil", "Optional(nil)", "" },
        BadgeRow { "angle_nil", "<nil>", "" }, BadgeRow { "letters_kept_inside_words", "Vanilla", "Vanilla" },
        BadgeRow { "null_inside_text_kept", "annulled", "annulled" },
        BadgeRow { "parentheses_kept_in_text", "(3)", "(3)" }, BadgeRow { "empty", "", "" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BarEntriesTest, WindowButtonsCarryTheirApplicationsBadgeUnlessBadgesAreOff)
{
    addApp(100, 1, 10, "/usr/share/applications/mail.desktop");
    m_state->appBadge.insert("/usr/share/applications/mail.desktop", "Optional(5)");
    std::vector<BarEntry> bar = appWindowEntry(*m_state, m_context, 100);
    ASSERT_EQ(bar.size(), 1u);
    EXPECT_EQ(bar[0].badge, "5");

    m_state->settings.setDockBadge(false);
    bar = appWindowEntry(*m_state, m_context, 100);
    EXPECT_EQ(bar[0].badge, "");
}

TEST_F(BarEntriesTest, HotKeyOfAWindowIsTheLastBindingToItsNumber)
{
    auto app = addApp(7, 1, 10);
    const uint32_t number = *app->windows->front()->num;
    EXPECT_EQ(appWindowEntry(*m_state, m_context, 7)[0].hotKey, "");
    m_state->setWindowHotkeyCache(
        { { "a", QString::number(number) }, { "b", QString::number(number) }, { "c", "12345" } });
    EXPECT_EQ(appWindowEntry(*m_state, m_context, 7)[0].hotKey, "b");
}

TEST_F(BarEntriesTest, SideBarsShowNoWindowTags)
{
    addApp(100, 2, 10);
    std::vector<BarEntry> bar = appWindowEntry(*m_state, m_context, 100);
    ASSERT_EQ(bar.size(), 2u);
    EXPECT_TRUE(bar[0].enableWindowTag);
    m_context.vertical = true;
    bar = appWindowEntry(*m_state, m_context, 100);
    EXPECT_FALSE(bar[0].enableWindowTag);
}

TEST_F(BarEntriesTest, UploadedMainIconPathIsDecoded)
{
    m_state->settings.setIsDockIconCustomUpload(true);
    m_state->settings.setDockIconCustomUploadURL("file:///home/u/My%20Icons/dock%C3%A9.png");
    const MainButtonIcon icon = mainButtonIcon(*m_state);
    ASSERT_TRUE(icon.file.has_value());
    EXPECT_EQ(*icon.file, QString::fromUtf8("/home/u/My Icons/dock\u00e9.png"));
    EXPECT_EQ(icon.inset, 7);

    m_state->settings.setIsDockIconCustomUpload(false);
    EXPECT_FALSE(mainButtonIcon(*m_state).file.has_value());
    EXPECT_EQ(mainButtonIcon(*m_state).builtinName, "Finder");
}

} // namespace

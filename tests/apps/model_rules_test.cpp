#include "apps/ActiveApp.h"
#include "apps/AppOrder.h"
#include "apps/ModelSettings.h"
#include "apps/Windows.h"
#include "tests/apps/ScriptedAppsSource.h"

#include <gtest/gtest.h>

using orbitshelf::test::ScriptedAppsSource;

namespace {

std::shared_ptr<Windows> window(std::optional<uint32_t> num, std::optional<int32_t> appId = 100,
    const QString& title = QStringLiteral("w"))
{
    auto w = std::make_shared<Windows>();
    w->num = num;
    w->appId = appId;
    w->title = title;
    return w;
}

std::shared_ptr<Windows> placeholderFor(int32_t pid)
{
    auto w = window(static_cast<uint32_t>(pid), pid, QStringLiteral("App"));
    w->isPlaceholder = true;
    return w;
}

std::vector<QString> titles(const std::vector<std::shared_ptr<Windows>>& list)
{
    std::vector<QString> out;
    for (const auto& w : list)
        out.push_back(w->title.value_or(QStringLiteral("-")));
    return out;
}

} // namespace

TEST(ModelIdentity, ApplicationsAreEqualByShortNameAndKeylessOnesOnlyToThemselves)
{
    ActiveApp a, b, keyless, otherKeyless;
    a.appBundleName = QStringLiteral("xterm");
    b.appBundleName = QStringLiteral("xterm");
    EXPECT_TRUE(a == b);
    EXPECT_EQ(a.hash(), b.hash());
    b.appBundleName = QStringLiteral("gedit");
    EXPECT_FALSE(a == b);

    EXPECT_TRUE(keyless == keyless);
    EXPECT_FALSE(keyless == otherKeyless);
    EXPECT_FALSE(keyless == a);
    EXPECT_FALSE(a == keyless);
}

TEST(ModelIdentity, WindowsAreEqualByNumberAndNumberlessOnesOnlyToThemselves)
{
    auto a = window(7), b = window(7, 200, QStringLiteral("other title")), none = window(std::nullopt);
    EXPECT_TRUE(*a == *b);
    EXPECT_EQ(a->hash(), b->hash());
    EXPECT_FALSE(*a == *window(8));
    EXPECT_TRUE(*none == *none);
    EXPECT_FALSE(*none == *window(std::nullopt));
    EXPECT_FALSE(*none == *window(0));
}

TEST(SortAppWindows, SortsByNumberKeepingTiesInPlaceAndNumbersTheResult)
{
    ActiveApp app;
    app.windows = std::vector { window(30, 100, "c"), window(10, 100, "a1"),
        window(std::nullopt, 100, "none"), window(10, 100, "a2"), window(20, 100, "b") };
    const auto sorted = app.sortAppWindows(false);
    EXPECT_EQ(titles(sorted), (std::vector<QString> { "none", "a1", "a2", "b", "c" }));
    for (size_t i = 0; i < sorted.size(); ++i)
        EXPECT_EQ(sorted[i]->order, int(i + 1));
    EXPECT_EQ(titles(*app.windows), (std::vector<QString> { "c", "a1", "none", "a2", "b" }));
}

TEST(SortAppWindows, PlaceholdersShowOnlyAloneAndAReplacedFileManagerShowsNoWindows)
{
    auto finderWindow = [](uint32_t num) {
        auto w = window(num);
        w->appBundleName = QStringLiteral("Finder");
        return w;
    };
    struct Row {
        const char* meaning;
        std::vector<std::shared_ptr<Windows>> windows;
        bool replaceFinder;
        std::vector<QString> expected;
    };
    const Row rows[] = {
        { "placeholder alone", { placeholderFor(4242) }, false, { "App" } },
        { "placeholder beside a real window", { placeholderFor(4242), window(9000, 4242, "real") }, false,
            { "real" } },
        { "no windows", {}, false, {} },
        { "a real window numbered like the pid is no placeholder",
            { window(4242, 4242, "same number as pid"), window(9000, 4242, "other") }, false,
            { "same number as pid", "other" } },
        { "replaced file manager", { finderWindow(1), finderWindow(2), window(3, 100, "kept") }, true,
            { "kept" } },
        { "file manager not replaced", { finderWindow(1), window(3, 100, "kept") }, false, { "w", "kept" } },
    };
    for (const Row& row : rows) {
        ActiveApp app;
        app.windows = row.windows;
        EXPECT_EQ(titles(app.sortAppWindows(row.replaceFinder)), row.expected) << row.meaning;
    }
}

TEST(ShortAppName, ExecutableNameExceptForTheSharedRuntime)
{
    struct Row {
        const char* meaning;
        std::optional<QString> path, localized, expected;
    };
    const Row rows[] = {
        { "executable file name", "/usr/lib/firefox/firefox", "Firefox", "firefox" },
        { "shared runtime uses the localised name", "/opt/Slack/Electron", "Slack", "Slack" },
        { "shared runtime without name", "/opt/x/Electron", std::nullopt, std::nullopt },
        { "no executable", std::nullopt, "Thing", std::nullopt },
        { "case matters", "/opt/x/electron", "X", "electron" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(shortAppName(row.path, row.localized), row.expected) << row.meaning;
}

TEST(ActivateApp, FurtherInstanceByProcessOtherwiseByTheWindowsBundle)
{
    ScriptedAppsSource source;
    ActiveApp second;
    second.isMulti = true;
    second.appId = 77;
    Windows w;
    w.bundleIdentifier = QStringLiteral("org.example.term");
    second.activateApp(w, source);
    ASSERT_EQ(source.broughtToFront.size(), 1u);
    EXPECT_EQ(source.broughtToFront[0], std::make_pair(int32_t { 77 }, QString()));

    ActiveApp first;
    first.bundleIdentifier = QStringLiteral("ignored");
    first.activateApp(w, source);
    EXPECT_EQ(source.opened, std::vector<QString> { "org.example.term" });
}

TEST(AppOrder, NextOrderIsTenThenLargestPlusFive)
{
    EXPECT_EQ(nextAppOrder({}), 10);
    EXPECT_EQ(nextAppOrder({ { 1, 5 }, { 2, 10 }, { 3, 15 } }), 20);
    EXPECT_EQ(nextAppOrder({ { 1, 40 }, { 2, 10 } }), 45);
}

TEST(AppOrder, DragPlacesAfterTargetAndRenumbers)
{
    struct Row {
        const char* meaning;
        int32_t dragged, target;
        AppOrders expected;
    };
    const Row rows[] = {
        { "onto the next one", 1, 2, { { 2, 5 }, { 1, 10 }, { 3, 15 } } },
        { "onto an unknown pid only renumbers", 1, 99, { { 1, 5 }, { 2, 10 }, { 3, 15 } } },
        { "onto itself keeps its place", 2, 2, { { 1, 5 }, { 2, 10 }, { 3, 15 } } },
        { "last onto first", 3, 1, { { 1, 5 }, { 3, 10 }, { 2, 15 } } },
    };
    for (const Row& row : rows) {
        AppOrders orders { { 1, 10 }, { 2, 20 }, { 3, 30 } };
        moveAppOrder(orders, row.dragged, row.target);
        EXPECT_EQ(orders, row.expected) << row.meaning;
    }
    EXPECT_TRUE(pidsInAppOrder({}).empty());
}

TEST(AppOrder, DragPlacesBeforeTargetAlsoAheadOfTheFirst)
{
    struct Row {
        const char* meaning;
        int32_t dragged, target;
        AppOrders expected;
    };
    const Row rows[] = {
        { "last before first", 3, 1, { { 3, 5 }, { 1, 10 }, { 2, 15 } } },
        { "first before last", 1, 3, { { 2, 5 }, { 1, 10 }, { 3, 15 } } },
        { "before itself stays", 2, 2, { { 1, 10 }, { 2, 20 }, { 3, 30 } } },
        { "an unknown pid moves nothing", 99, 1, { { 1, 10 }, { 2, 20 }, { 3, 30 } } },
    };
    for (const Row& row : rows) {
        AppOrders orders { { 1, 10 }, { 2, 20 }, { 3, 30 } };
        moveAppOrderBefore(orders, row.dragged, row.target);
        EXPECT_EQ(orders, row.expected) << row.meaning;
    }
}

TEST(AppOrder, EqualOrdersKeepProcessIdOrder)
{
    EXPECT_EQ(pidsInAppOrder({ { 9, 10 }, { 3, 10 }, { 5, 5 } }), (std::vector<int32_t> { 5, 3, 9 }));
}

TEST(AppOrderCache, SavesDecimalTextsAndRestoresOnlyRunningApplicationsIgnoringDamage)
{
    EXPECT_EQ(encodeAppOrdersCache({ { 512, 10 }, { 733, 15 }, { -4, 20 } }),
        (QMap<QString, QString> { { "512", "10" }, { "733", "15" }, { "-4", "20" } }));
    AppOrders now { { 512, 20 }, { 733, 25 }, { 900, 30 } };
    restoreAppOrders(now, { { "512", "15" }, { "733", "10" }, { "111", "5" } });
    EXPECT_EQ(now, (AppOrders { { 512, 15 }, { 733, 10 }, { 900, 30 } }));
    restoreAppOrders(
        now, { { "512", "abc" }, { "733", "" }, { "x1", "5" }, { "", "5" }, { "99999999999", "5" } });
    EXPECT_EQ(now, (AppOrders { { 512, 15 }, { 733, 10 }, { 900, 30 } }));
}

TEST(WindowTags, StoredUnderTheWindowNumberKeyWithFallbacksForEmptyOnes)
{
    InMemoryModelSettings settings;
    auto w = window(4711, 100, "Editor");
    w->setTagName(settings, QStringLiteral("work"));
    EXPECT_EQ(settings.tagNames.value("Optional(4711)"), "work");
    EXPECT_EQ(window(std::nullopt)->tagKey(), "nil");

    auto reopened = window(4711, 100, "Editor");
    EXPECT_EQ(reopened->displayTag(settings), "work");

    // An empty tag falls back to the title, no colour to the bar's colour.
    w = window(5, 100, "Title");
    w->setTagName(settings, QString());
    EXPECT_EQ(w->displayTag(settings), "Title");
    auto untitled = window(6);
    untitled->title.reset();
    EXPECT_EQ(untitled->displayTag(settings), std::nullopt);

    EXPECT_EQ(w->tagColorName(settings), "00cec9");
    EXPECT_FALSE(w->tagColor.has_value());
    w->setTagColor(settings, QStringLiteral("ff0000"));
    EXPECT_EQ(settings.publishCount, 1) << "a new colour is drawn";
    EXPECT_EQ(window(5)->tagColorName(settings), "ff0000");
}

#include "apps/ActiveApp.h"
#include "apps/AppsModel.h"
#include "apps/ModelSettings.h"

#include "tests/apps/ScriptedAppsSource.h"
#include <QPixmap>

#include <gtest/gtest.h>

using orbitshelf::test::ScriptedAppsSource;

namespace {

class Refresh : public ::testing::Test {
protected:
    ScriptedAppsSource source;
    InMemoryModelSettings settings;
    AppsModelStore store;
    AppsModel model = store.view();

    bool refresh(std::optional<int32_t> excluded = std::nullopt, bool force = false)
    {
        return refreshRunningApps(model, source, settings, excluded, force, {});
    }

    std::vector<uint32_t> numbersOf(int32_t pid) const
    {
        std::vector<uint32_t> out;
        const auto app = model.allApps.value(pid);
        if (!app || !app->windows)
            return out;
        for (const auto& w : *app->windows)
            out.push_back(w->num.value_or(0));
        return out;
    }

    std::shared_ptr<Windows> windowOf(int32_t pid, uint32_t num) const
    {
        for (const auto& w : *model.allApps.value(pid)->windows) {
            if (w->num == num)
                return w;
        }
        return nullptr;
    }
};

} // namespace

TEST_F(Refresh, OnlyRegularApplicationsOtherThanThisProgramEnterTheModel)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "shell");
    source.addApp(200, "agent", {}, false);
    source.addWindow(200, 2001, "tray");
    source.addApp(source.ownPid, "orbitShelf", *source.ownBundle);
    source.addWindow(source.ownPid, 3001, "bar");

    EXPECT_TRUE(refresh());
    EXPECT_EQ(model.allApps.size(), 1u);
    EXPECT_TRUE(model.allApps.contains(100));
    EXPECT_FALSE(model.appOrders.contains(source.ownPid));
    EXPECT_EQ(model.placeholderApp->bundleIdentifier, source.ownBundle);
    ASSERT_TRUE(model.placeholderApp->app.has_value());
    EXPECT_EQ(model.placeholderApp->app->pid, source.ownPid);

    // Without identifiers on either side, nothing is taken for this program.
    source.ownBundle.reset();
    source.appOf(100)->info.bundleIdentifier.reset();
    refresh();
    EXPECT_TRUE(model.allApps.contains(100));
}

TEST_F(Refresh, PlaceholderOnlyWhenNoWindowIsUsable)
{
    source.addApp(100, "term");
    auto untitled = source.addWindow(100, 1001, "");
    auto dialog = source.addWindow(100, 1002, "System");
    dialog->subrole = QStringLiteral("AXSystemDialog");
    refresh();
    ASSERT_EQ(numbersOf(100), std::vector<uint32_t> { 100 });
    const auto placeholder = model.allApps.value(100)->windows->front();
    EXPECT_TRUE(placeholder->isPlaceholder);
    EXPECT_EQ(placeholder->title, "term");
    EXPECT_FALSE(placeholder->axObserver);
    EXPECT_EQ(model.allOldWindows.size(), 0u);

    untitled->title = QStringLiteral("now titled");
    EXPECT_TRUE(refresh());
    EXPECT_EQ(numbersOf(100), std::vector<uint32_t> { 1001 });
    EXPECT_TRUE(windowOf(100, 1001)->axObserver);
}

TEST_F(Refresh, SecondInstanceIsMultiAndThatIsDecidedOnEveryPass)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "a");
    source.addApp(200, "term");
    source.addWindow(200, 2001, "b");
    refresh();
    EXPECT_FALSE(model.allApps.value(100)->isMulti.value_or(false));
    EXPECT_TRUE(model.allApps.value(200)->isMulti.value_or(false));
    const auto survivor = model.allApps.value(200);

    source.quit(100);
    refresh();
    EXPECT_FALSE(model.allApps.contains(100));
    EXPECT_EQ(model.allApps.value(200), survivor);
    EXPECT_FALSE(survivor->isMulti.value_or(true));
}

TEST_F(Refresh, OnlyWindowsComingAndGoingArePublished)
{
    source.addApp(100, "term");
    auto w = source.addWindow(100, 1001, "one");
    ASSERT_TRUE(refresh());
    EXPECT_EQ(settings.publishCount, 1);
    const AppMap before = model.allApps;

    w->title = QStringLiteral("renamed");
    EXPECT_FALSE(refresh());
    EXPECT_EQ(model.allApps, before);
    EXPECT_EQ(windowOf(100, 1001)->title, "renamed") << "the reused application carries the new title";
    EXPECT_TRUE(refresh(std::nullopt, true)) << "forced";

    source.addWindow(100, 1002, "two");
    EXPECT_TRUE(refresh());
    EXPECT_EQ(numbersOf(100), (std::vector<uint32_t> { 1001, 1002 }));
    source.removeWindow(100, 1001);
    EXPECT_TRUE(refresh());
    EXPECT_EQ(numbersOf(100), std::vector<uint32_t> { 1002 });
    source.quit(100);
    EXPECT_TRUE(refresh());
    EXPECT_TRUE(model.allApps.empty());
    EXPECT_EQ(settings.publishCount, 5);
}

TEST_F(Refresh, ReopenedWindowNumberKeepsItsClickTime)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "shell");
    refresh();
    const QDateTime clicked = QDateTime::fromSecsSinceEpoch(1'000'000);
    windowOf(100, 1001)->clickTime = clicked;
    source.removeWindow(100, 1001);
    source.addWindow(100, 1001, "shell again");
    refresh();
    EXPECT_EQ(windowOf(100, 1001)->clickTime, clicked);
}

TEST_F(Refresh, UnresponsiveApplicationKeepsItsWindowsWithoutRepublishing)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "one");
    auto second = source.addWindow(100, 1002, "two");
    refresh();
    const auto kept = windowOf(100, 1001);

    source.appOf(100)->unresponsive = true;
    EXPECT_FALSE(refresh());
    EXPECT_EQ(windowOf(100, 1001), kept);
    EXPECT_TRUE(kept->axObserver);

    source.appOf(100)->unresponsive = false;
    second->unresponsive = true;
    EXPECT_FALSE(refresh());
    EXPECT_EQ(windowOf(100, 1001), kept);
    EXPECT_TRUE(kept->axObserver);
}

TEST_F(Refresh, CarryOverKeepsOnlyTheApplicationsOwnWindowsButNotExcludedOrMenuBarOnes)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "one");
    source.addWindow(100, 1002, "two");
    source.addWindow(100, 1003, "elsewhere");
    source.addApp(200, "edit");
    source.addWindow(200, 2001, "doc");
    refresh();
    const auto elsewhere = windowOf(100, 1003);

    // 1003 leaves the accessibility list but the server still shows it; the
    // server also claims 2001 (another application's) and 7777 (unknown)
    // for process 100.
    source.appOf(100)->windows.pop_back();
    source.serverWindows.push_back({ QStringLiteral("term"), 100, 2001 });
    source.serverWindows.push_back({ QStringLiteral("term"), 100, 7777 });
    EXPECT_TRUE(refresh());
    EXPECT_EQ(numbersOf(100), (std::vector<uint32_t> { 1001, 1002, 1003 }));
    EXPECT_EQ(windowOf(100, 1003), elsewhere);
    EXPECT_EQ(numbersOf(200), std::vector<uint32_t> { 2001 });

    // A window put back makes every pass publish.
    EXPECT_TRUE(refresh());

    // Neither the window being closed nor one a menu bar host shows.
    EXPECT_TRUE(refresh(1003));
    EXPECT_EQ(numbersOf(100), (std::vector<uint32_t> { 1001, 1002 }));
    source.addWindow(100, 1004, "four", false);
    refresh();
    source.appOf(100)->windows.pop_back();
    source.serverWindows.push_back({ QStringLiteral("SystemUIServer"), 100, 1004 });
    source.serverWindows.push_back({ QStringLiteral("Control Center"), 100, 1004 });
    refresh();
    EXPECT_EQ(numbersOf(100), (std::vector<uint32_t> { 1001, 1002 }));
}

TEST_F(Refresh, OrdersGoToFirstSeenApplicationsAfterTheRestartCacheOfTheFirstPass)
{
    source.addApp(100, "a");
    source.addApp(200, "b");
    settings.ordersCache = { { "100", "40" }, { "200", "5" }, { "999", "1" } };
    settings.restoreOrders = true;
    refresh();
    EXPECT_EQ(model.appOrders, (AppOrders { { 100, 40 }, { 200, 5 } }));
    EXPECT_FALSE(settings.restoreOrders);

    // 200, the largest now, quits: the newcomer follows what is left.
    model.appOrders[100] = 2;
    source.quit(200);
    source.addApp(300, "c");
    refresh();
    EXPECT_EQ(model.appOrders, (AppOrders { { 100, 2 }, { 300, 7 } }));
}

TEST_F(Refresh, TagsOfAVanishedWindowDoNotPassToItsNumbersNextOwner)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "one");
    source.addWindow(100, 1002, "two");
    refresh();
    windowOf(100, 1001)->setTagName(settings, QStringLiteral("build"));
    windowOf(100, 1001)->setTagColor(settings, QStringLiteral("ff0000"));
    windowOf(100, 1002)->setTagName(settings, QStringLiteral("keep"));

    source.removeWindow(100, 1001);
    refresh();
    source.addWindow(100, 1001, "new window, old number");
    refresh();
    EXPECT_EQ(windowOf(100, 1001)->displayTag(settings), "new window, old number");
    EXPECT_EQ(windowOf(100, 1001)->tagColorName(settings), "00cec9");
    EXPECT_EQ(windowOf(100, 1002)->displayTag(settings), "keep");
}

TEST_F(Refresh, FocusIsDecidedByWindowNumberNotTitle)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "same");
    source.addWindow(100, 1002, "same");
    source.appOf(100)->focused = 1002;
    refresh();
    focusedWindowOfApp(model, source, 100);
    EXPECT_FALSE(windowOf(100, 1001)->focused.value_or(false));
    EXPECT_TRUE(windowOf(100, 1002)->focused.value_or(false));

    source.appOf(100)->focused.reset();
    focusedWindowOfApp(model, source, 100);
    EXPECT_TRUE(windowOf(100, 1002)->focused.value_or(false));
}

TEST_F(Refresh, LookupByNumberPrefersRealWindowsOverPlaceholders)
{
    source.addApp(100, "empty");
    source.addApp(200, "term");
    source.addWindow(200, 300, "x");
    source.addWindow(200, 100, "window numbered like pid 100");
    refresh();
    const auto found = findWindowByNumber(model, 100);
    ASSERT_TRUE(found);
    EXPECT_FALSE(found->isPlaceholder);
    EXPECT_EQ(found->appId, 200);
    EXPECT_EQ(windowIndexInApps(model, 100), 1);
    EXPECT_EQ(findWindowByNumber(model, 5), nullptr);
    EXPECT_EQ(windowIndexInApps(model, 5), -1);
    model.appOrders.remove(200);
    EXPECT_TRUE(findWindowByNumber(model, 100)->isPlaceholder)
        << "an application without an order is not searched";
    model.appOrders[200] = 15;

    source.removeWindow(200, 100);
    refresh();
    ASSERT_TRUE(findWindowByNumber(model, 100));
    EXPECT_TRUE(findWindowByNumber(model, 100)->isPlaceholder);
}

TEST_F(Refresh, FeishuWindowsFollowTheirSetting)
{
    source.addApp(100, "Feishu", QStringLiteral("com.bytedance.macos.feishu"));
    source.addWindow(100, 1001, "chat");
    settings.feishuMultipleTask = false;
    refresh();
    EXPECT_TRUE(numbersOf(100).empty());
    settings.feishuMultipleTask = true;
    refresh();
    EXPECT_EQ(numbersOf(100), std::vector<uint32_t> { 1001 });
}

TEST_F(Refresh, WindowsComingAndGoingLeaveNoObserversOrEntriesBehind)
{
    source.addApp(100, "term");
    source.addWindow(100, 1001, "stays");
    refresh();
    refresh();
    const int observersAtStart = WindowObservation::liveCount();
    const size_t oldWindowsAtStart = model.allOldWindows.size();

    for (uint32_t i = 0; i < 100; ++i) {
        source.addWindow(100, 5000 + i, "transient");
        refresh();
        EXPECT_EQ(WindowObservation::liveCount(), observersAtStart + 1);
        source.removeWindow(100, 5000 + i);
        refresh();
    }
    EXPECT_EQ(WindowObservation::liveCount(), observersAtStart);
    EXPECT_EQ(numbersOf(100), std::vector<uint32_t> { 1001 });
    refresh();
    EXPECT_EQ(model.allOldWindows.size(), oldWindowsAtStart);
    // The window that stayed kept one subscription throughout.
    EXPECT_EQ(source.observationsMade, 101);
}

TEST_F(Refresh, AnApplicationsIconComesFromItsEntryThenItsWindowThenItsClass)
{
    QImage green(48, 48, QImage::Format_ARGB32);
    green.fill(QColor(32, 192, 64));
    QImage red(16, 16, QImage::Format_ARGB32);
    red.fill(Qt::red);
    QPixmap blue(48, 48);
    blue.fill(Qt::blue);
    const QIcon themed(blue);
    const auto colourOf = [](const QIcon& icon) {
        return icon.isNull() ? QColor() : icon.pixmap(48, 48).toImage().pixelColor(24, 24);
    };
    const struct {
        const char* meaning;
        const char* iconName;
        bool fromEntry;
        bool themeHasIt;
        bool windowHasPictures;
        QColor expected;
        bool fromWindow;
    } rows[] = {
        { "the entry's icon wins", "editor", true, true, true, Qt::blue, false },
        { "an entry icon that cannot load: the window's own, nearest size", "missing", true, false, true,
            QColor(32, 192, 64), true },
        { "no entry: the window's own before the class", "xclock", false, true, true, QColor(32, 192, 64),
            true },
        { "no entry, no pictures: the theme icon of the class", "xclock", false, true, false, Qt::blue,
            false },
        { "nothing: null, the bar draws the generic picture", "xclock", false, false, false, QColor(),
            false },
    };
    int32_t pid = 500;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.meaning);
        ++pid;
        auto& app = source.addApp(pid, QStringLiteral("app%1").arg(pid));
        app.info.iconName = QString::fromLatin1(row.iconName);
        app.info.iconFromEntry = row.fromEntry;
        source.addWindow(pid, uint32_t(pid) * 10, "window");
        source.themeIcons.clear();
        if (row.themeHasIt)
            source.themeIcons[QString::fromLatin1(row.iconName)] = themed;
        if (row.windowHasPictures)
            source.windowPictures[uint32_t(pid) * 10] = { red, green };
        refresh();
        const auto known = model.allApps.value(pid);
        ASSERT_TRUE(known);
        EXPECT_EQ(colourOf(known->icon), row.expected);
        EXPECT_EQ(known->iconWindow.has_value(), row.fromWindow);
    }
}

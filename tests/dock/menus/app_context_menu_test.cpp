// The window button's right-click menu: which items it offers under which
// titles, and what each action does to the window that was right-clicked.
#include "apps/Pinning.h"
#include "dock/DockViewState.h"
#include "dock/menus/AppContextMenu.h"
#include "dock/menus/Favorites.h"
#include "tests/dock/DockTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

QStringList titlesOf(const std::vector<MenuEntry>& menu)
{
    QStringList titles;
    for (const MenuEntry& entry : menu)
        titles << (entry.kind == MenuEntry::Kind::Separator ? QStringLiteral("-") : entry.title);
    return titles;
}

} // namespace

TEST(AppContextMenuTitles, FollowTheWindowTheSettingsAndTheStore)
{
    const QStringList plain { "-", "Binding Hotkey", "-", "-", "Keep in Dock", "-", "Add to Favorite", "-",
        "Minimized Others", "-", "Quit" };
    const AppMenuInputs noButtons {
        .appBundleName = {}, .hideMainButton = true, .showLunchpadButton = false
    };
    const struct {
        const char* meaning;
        AppMenuInputs inputs;
        QStringList expected;
    } rows[] = {
        { "no window name: the fixed items", {}, plain },
        { "Feishu with multitask on offers to disable it", { .appBundleName = "Feishu" },
            QStringList { "Disable MultiTask" } + plain },
        { "Feishu with multitask off offers to enable it",
            { .appBundleName = "Feishu", .enableFeishuMultipleTask = false },
            QStringList { "Enable MultiTask" } + plain },
        { "WeChat offers a second instance", { .appBundleName = "WeChat" },
            { "-", "Binding Hotkey", "-", "Copy App", "-", "Keep in Dock", "-", "Add to Favorite", "-",
                "Minimized Others", "-", "Quit" } },
        { "names are matched case-sensitively", { .appBundleName = "feishu-wechat" }, plain },
        { "a kept favourite offers both removals",
            { .appBundleName = "xterm", .pinned = true, .favorite = true },
            { "-", "Binding Hotkey", "-", "-", "Remove Keep", "-", "Remove Favorite", "-", "Minimized Others",
                "-", "Quit" } },
        { "no main and no launcher button: More before Quit", noButtons,
            { "-", "Binding Hotkey", "-", "-", "Keep in Dock", "-", "Add to Favorite", "-",
                "Minimized Others", "-", "More", "-", "Quit" } },
        { "the launcher button carries the settings menu", { .appBundleName = {}, .hideMainButton = true },
            plain },
    };
    for (const auto& row : rows)
        EXPECT_EQ(titlesOf(appContextMenu(row.inputs)), row.expected) << row.meaning;

    // Every item but the submenu carries its action, one the menu runs
    // itself; "More" holds the settings menu it is given.
    const std::vector<MenuEntry> more = { MenuEntry::item("Settings", "openSettings") };
    for (const MenuEntry& entry : appContextMenu(noButtons, more)) {
        EXPECT_EQ(appMenuActionFromId(entry.action).has_value(), entry.kind == MenuEntry::Kind::Action)
            << entry.title.toStdString();
        if (entry.kind == MenuEntry::Kind::Submenu) {
            EXPECT_EQ(menuOutline(entry.children), std::vector<QString> { "Settings" });
        }
    }
    EXPECT_EQ(appMenuActionFromId(appMenuActionId(AppMenuAction::Quit)), AppMenuAction::Quit);
    EXPECT_EQ(appMenuActionFromId("openSettings"), std::nullopt) << "the settings menu's own ids";
}

class AppMenuActions : public DockStoreTest {
protected:
    void SetUp() override
    {
        DockStoreTest::SetUp();
        if (HasFatalFailure())
            return;
        const auto note = [this](const std::string& what) {
            return [this, what](auto id) {
                log.push_back(what + " " + std::to_string(id));
                return true;
            };
        };
        services.store = store.get();
        services.pinApp = note("pin");
        services.scheduleDockReload = [this] { log.push_back("reload"); };
        services.addFavorite = note("favourite");
        services.startInstance
            = [this](const QString& path) { log.push_back("start " + path.toStdString()); };
        services.spacesOfWindow = [this](uint32_t num) { return spaces[num]; };
        services.minimizeWindow = note("minimise");
        services.raiseWindow = note("raise");
        services.closeWindow = note("close");
        services.later = [this](int ms, std::function<void()> step) {
            log.push_back("later " + std::to_string(ms));
            step();
        };
        services.openTagEditor = [this](std::shared_ptr<Windows> window, std::function<void()> onClose) {
            log.push_back("editor " + std::to_string(window->num.value_or(0)));
            closeEditor = std::move(onClose);
        };
    }
    // An application of `windows` windows numbered pid * 10 + i.
    std::shared_ptr<ActiveApp> addApp(int32_t pid, const QString& name, int windows)
    {
        auto app = addRunningApp(state(), pid, windows);
        app->appBundleName = name;
        for (const auto& window : *app->windows)
            window->appBundleName = name;
        return app;
    }
    std::shared_ptr<Windows> windowOf(int32_t pid, std::size_t index)
    {
        return (*state().allApps.value(pid)->windows)[index];
    }
    void run(AppMenuAction action, const std::shared_ptr<Windows>& window)
    {
        runAppMenuAction(action, AppMenuTarget { window }, dock, state(), services);
    }
    AppMenuInputs inputsOf(int32_t pid)
    {
        return appMenuInputs(state(), windowOf(pid, 0).get(), store.get());
    }

    AppMenuServices services;
    std::vector<std::string> log;
    std::map<uint32_t, std::vector<uint64_t>> spaces;
    std::function<void()> closeEditor;
    DockViewState dock { true, 1920, 1080, "Optional(P)" };
};

using Log = std::vector<std::string>;

TEST_F(AppMenuActions, ActOnTheRightClickedWindowNotTheOneHoveredSince)
{
    addApp(1, "xterm", 1);
    addApp(2, "editor", 1);
    const auto rightClicked = windowOf(1, 0);
    dock.hoveredWindow = windowOf(2, 0); // the pointer moved on while the menu was up

    run(AppMenuAction::KeepInDock, rightClicked);
    run(AppMenuAction::AddFavorite, rightClicked);
    run(AppMenuAction::Quit, rightClicked);
    EXPECT_EQ(log, (Log { "pin 1", "favourite 1", "close 10" }));

    log.clear();
    run(AppMenuAction::BindHotkey, rightClicked);
    EXPECT_TRUE(dock.showTagEditor);
    EXPECT_EQ(log, (Log { "later 50", "editor 10" }));
    ASSERT_TRUE(closeEditor);
    closeEditor();
    EXPECT_FALSE(dock.showTagEditor) << "closing the editor lowers the flag again";

    log.clear();
    run(AppMenuAction::Quit, nullptr);
    EXPECT_TRUE(log.empty()) << "no captured window: nothing at all";
}

TEST_F(AppMenuActions, BindingAHotKeyOpensTheEditorOfTheWindowAskedForAndNeverReachesADroppedBar)
{
    addApp(1, "xterm", 2);
    run(AppMenuAction::BindHotkey, windowOf(1, 0));
    // With the first editor open: the other window's, not a lowered flag.
    run(AppMenuAction::BindHotkey, windowOf(1, 1));
    EXPECT_TRUE(dock.showTagEditor);
    EXPECT_EQ(log, (Log { "later 50", "editor 10", "later 50", "editor 11" }));

    // The bar is rebuilt (a screen change) before the step is due.
    std::function<void()> due;
    services.later = [&due](int, std::function<void()> step) { due = std::move(step); };
    auto rebuilt = std::make_unique<DockViewState>(true, 1920, 1080, "Optional(P)");
    runAppMenuAction(
        AppMenuAction::BindHotkey, AppMenuTarget { windowOf(1, 0) }, *rebuilt, state(), services);
    rebuilt.reset();
    log.clear();
    ASSERT_TRUE(due);
    due();
    EXPECT_TRUE(log.empty()) << "no editor for a bar that is gone";
}

TEST_F(AppMenuActions, QuitClosesOneOfSeveralWindowsAndOtherwiseAsksTheAppsWindowToClose)
{
    addApp(1, "xterm", 3);
    run(AppMenuAction::Quit, windowOf(1, 1));
    EXPECT_EQ(log, (Log { "raise 11", "close 11" }));

    log.clear();
    addApp(3, "editor", 1);
    run(AppMenuAction::Quit, windowOf(3, 0));
    EXPECT_EQ(log, (Log { "close 30" })) << "asked through its window, never signalled";
    // It leaves the bar when the desktop reports it gone, not before: a
    // program that asks to save, or refuses, stays.
    EXPECT_TRUE(state().allApps.contains(3));

    log.clear();
    auto stray = std::make_shared<Windows>();
    stray->appId = 999;
    stray->num = 5;
    run(AppMenuAction::Quit, stray);
    EXPECT_TRUE(log.empty()) << "an application no longer known is not asked";
}

TEST_F(AppMenuActions, MinimisedOthersTakesEveryOtherWindowShownOnAllTheChosenDesktops)
{
    addApp(1, "xterm", 4);
    addApp(2, "editor", 1);
    spaces = { { 10, { 1 } }, { 11, { 1 } }, { 12, { 2 } }, { 13, { 1, 2 } }, { 20, { 1 } } };
    run(AppMenuAction::MinimizeOthers, windowOf(1, 0));
    // Same desktop, sticky window, other application's window: minimised;
    // the window on another desktop and the chosen one stay.
    EXPECT_EQ(log, (Log { "minimise 11", "minimise 13", "minimise 20" }));

    log.clear();
    spaces[10] = {};
    run(AppMenuAction::MinimizeOthers, windowOf(1, 0));
    EXPECT_TRUE(log.empty()) << "the chosen window's desktops unreadable: nothing is minimised";
}

TEST_F(AppMenuActions, MultiTaskSwitchFlipsTheSettingAndTheTitle)
{
    addApp(1, "Feishu", 1);
    EXPECT_EQ(appContextMenu(inputsOf(1))[0].title, "Disable MultiTask");
    run(AppMenuAction::ToggleMultiTask, windowOf(1, 0));
    EXPECT_FALSE(state().settings.enableFeishuMultipleTask());
    EXPECT_EQ(appContextMenu(inputsOf(1))[0].title, "Enable MultiTask");
}

TEST_F(AppMenuActions, CopyAppStartsTheSameExecutableAgainOnlyWhenItIsKnown)
{
    auto app = addApp(1, "WeChat", 1);
    run(AppMenuAction::CopyApp, windowOf(1, 0));
    EXPECT_TRUE(log.empty()) << "no executable known: nothing started";

    RunningApp running;
    running.pid = 1;
    running.executablePath = "/opt/chat/bin/wechat";
    app->app = running;
    run(AppMenuAction::CopyApp, windowOf(1, 0));
    EXPECT_EQ(log, (Log { "start /opt/chat/bin/wechat" }));
}

TEST_F(AppMenuActions, RemovalsDeleteTheStoredRecordsAndTheTitlesTurnBack)
{
    addApp(1, "xterm", 1);
    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appBundleName", "xterm" } }));
    ASSERT_TRUE(store->insert(Entity::Favorite, { { "appBundleName", "xterm" } }));
    ASSERT_TRUE(store->insert(Entity::Favorite, { { "appBundleName", "other" } }));
    ASSERT_TRUE(store->save());
    EXPECT_TRUE(inputsOf(1).pinned);
    EXPECT_TRUE(inputsOf(1).favorite);

    run(AppMenuAction::RemoveKeep, windowOf(1, 0));
    EXPECT_EQ(log, (Log { "reload" }));
    run(AppMenuAction::RemoveFavorite, windowOf(1, 0));
    EXPECT_TRUE(store->fetchAll(Entity::PinnedApps).empty());
    ASSERT_EQ(store->fetchAll(Entity::Favorite).size(), 1u);
    EXPECT_EQ(store->fetchAll(Entity::Favorite)[0].text("appBundleName"), "other");
    EXPECT_FALSE(inputsOf(1).pinned);
    EXPECT_FALSE(inputsOf(1).favorite);
}

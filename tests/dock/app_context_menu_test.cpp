// The window button's right-click menu: which items it offers under which
// titles, and what each action does to the window that was right-clicked.
#include "DockStoreTest.h"
#include "apps/ActiveApp.h"
#include "apps/Pinning.h"
#include "apps/Windows.h"
#include "dock/AppContextMenu.h"
#include "dock/DockViewState.h"
#include "dock/Favorites.h"

#include <gtest/gtest.h>

#include <map>

namespace {

QStringList titlesOf(const std::vector<AppMenuEntry>& menu)
{
    QStringList titles;
    for (const AppMenuEntry& entry : menu)
        titles << (entry.kind == AppMenuEntry::Kind::Divider ? QStringLiteral("-") : entry.title);
    return titles;
}

struct MenuRow {
    const char* meaning;
    AppMenuInputs inputs;
    QStringList expected;
};

} // namespace

TEST(AppContextMenuTitles, FollowTheWindowTheSettingsAndTheStore)
{
    const QStringList plain { "-", "Binding Hotkey", "-", "-", "Keep in Dock", "-", "Add to Favorite", "-",
        "Minimized Others", "-", "Quit" };
    AppMenuInputs feishuOn;
    feishuOn.appBundleName = "Feishu";
    AppMenuInputs feishuOff = feishuOn;
    feishuOff.enableFeishuMultipleTask = false;
    AppMenuInputs wechat;
    wechat.appBundleName = "WeChat";
    AppMenuInputs lowerCase;
    lowerCase.appBundleName = "feishu-wechat";
    AppMenuInputs kept;
    kept.appBundleName = "xterm";
    kept.pinned = true;
    kept.favorite = true;
    AppMenuInputs noButtons;
    noButtons.hideMainButton = true;
    noButtons.showLunchpadButton = false;
    AppMenuInputs mainHiddenLauncherShown = noButtons;
    mainHiddenLauncherShown.showLunchpadButton = true;

    const MenuRow rows[] = {
        { "no window name: the fixed items", AppMenuInputs {}, plain },
        { "Feishu with multitask on offers to disable it", feishuOn,
            QStringList { "Disable MultiTask" } + plain },
        { "Feishu with multitask off offers to enable it", feishuOff,
            QStringList { "Enable MultiTask" } + plain },
        { "WeChat offers a second instance", wechat,
            QStringList { "-", "Binding Hotkey", "-", "Copy App", "-", "Keep in Dock", "-", "Add to Favorite",
                "-", "Minimized Others", "-", "Quit" } },
        { "names are matched case-sensitively", lowerCase, plain },
        { "a kept favourite offers both removals", kept,
            QStringList { "-", "Binding Hotkey", "-", "-", "Remove Keep", "-", "Remove Favorite", "-",
                "Minimized Others", "-", "Quit" } },
        { "no main and no launcher button: More before Quit", noButtons,
            QStringList { "-", "Binding Hotkey", "-", "-", "Keep in Dock", "-", "Add to Favorite", "-",
                "Minimized Others", "-", "More", "-", "Quit" } },
        { "the launcher button carries the settings menu", mainHiddenLauncherShown, plain },
    };
    for (const MenuRow& row : rows)
        EXPECT_EQ(titlesOf(appContextMenu(row.inputs)), row.expected) << row.meaning;

    // Every item but the submenu carries its action.
    for (const AppMenuEntry& entry : appContextMenu(noButtons)) {
        if (entry.kind == AppMenuEntry::Kind::Item)
            EXPECT_TRUE(entry.action.has_value()) << entry.title.toStdString();
        else
            EXPECT_FALSE(entry.action.has_value());
    }
}

class AppMenuActions : public DockStoreTest {
protected:
    void SetUp() override
    {
        DockStoreTest::SetUp();
        if (HasFatalFailure())
            return;

        services.store = store.get();
        services.pinApp = [this](int32_t pid) { log.push_back("pin " + std::to_string(pid)); };
        services.scheduleDockReload = [this] { log.push_back("reload"); };
        services.addFavorite = [this](int32_t pid) { log.push_back("favourite " + std::to_string(pid)); };
        services.startInstance
            = [this](const QString& path) { log.push_back("start " + path.toStdString()); };
        services.spacesOfWindow = [this](uint32_t num) { return spaces[num]; };
        services.minimizeWindow = [this](uint32_t num) { log.push_back("minimise " + std::to_string(num)); };
        services.raiseWindow = [this](uint32_t num) { log.push_back("raise " + std::to_string(num)); };
        services.closeWindow = [this](uint32_t num) {
            log.push_back("close " + std::to_string(num));
            return true;
        };
        services.later = [this](int ms, std::function<void()> step) {
            log.push_back("later " + std::to_string(ms));
            step();
        };
        services.openTagEditor = [this](std::shared_ptr<Windows> window, std::function<void()> onClose) {
            log.push_back("editor " + std::to_string(window && window->num ? *window->num : 0));
            closeEditor = std::move(onClose);
        };
    }
    std::shared_ptr<ActiveApp> addApp(int32_t pid, const QString& name, std::vector<uint32_t> numbers)
    {
        auto app = std::make_shared<ActiveApp>();
        app->appId = pid;
        app->appName = name;
        app->appBundleName = name;
        app->windows = std::vector<std::shared_ptr<Windows>>();
        for (uint32_t num : numbers) {
            auto w = std::make_shared<Windows>();
            w->num = num;
            w->appId = pid;
            w->appBundleName = name;
            app->windows->push_back(w);
        }
        state().allApps.insert(pid, app);
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

    AppMenuServices services;
    std::vector<std::string> log;
    std::map<uint32_t, std::vector<uint64_t>> spaces;
    std::function<void()> closeEditor;
    DockViewState dock { true, 1920, 1080, "Optional(P)" };
};

TEST_F(AppMenuActions, ActOnTheRightClickedWindowNotTheOneHoveredSince)
{
    addApp(100, "xterm", { 11 });
    addApp(200, "editor", { 21 });
    const auto rightClicked = windowOf(100, 0);
    dock.hoveredWindow = windowOf(200, 0); // the pointer moved on while the menu was up

    run(AppMenuAction::KeepInDock, rightClicked);
    run(AppMenuAction::AddFavorite, rightClicked);
    run(AppMenuAction::Quit, rightClicked);
    EXPECT_EQ(log, (std::vector<std::string> { "pin 100", "favourite 100", "close 11" }));

    log.clear();
    run(AppMenuAction::BindHotkey, rightClicked);
    EXPECT_EQ(dock.currentWindow, rightClicked);
    EXPECT_TRUE(dock.showTagEditor);
    EXPECT_EQ(log, (std::vector<std::string> { "later 50", "editor 11" }));
    ASSERT_TRUE(closeEditor);
    closeEditor();
    EXPECT_FALSE(dock.showTagEditor) << "closing the editor lowers the flag again";

    // No captured window: nothing at all.
    log.clear();
    run(AppMenuAction::Quit, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST_F(AppMenuActions, QuitClosesOneOfSeveralWindowsAndOtherwiseAsksTheAppsWindowToClose)
{
    addApp(100, "xterm", { 11, 12, 13 });
    run(AppMenuAction::Quit, windowOf(100, 1));
    EXPECT_EQ(log, (std::vector<std::string> { "raise 12", "close 12" }));
    EXPECT_TRUE(state().allApps.contains(100));

    log.clear();
    addApp(300, "editor", { 31 });
    run(AppMenuAction::Quit, windowOf(300, 0));
    EXPECT_EQ(log, (std::vector<std::string> { "close 31" })) << "asked through its window, never signalled";
    // It leaves the bar when the desktop reports it gone, not before: a
    // program that asks to save, or refuses, stays.
    EXPECT_TRUE(state().allApps.contains(300));

    // An application no longer known is not asked.
    log.clear();
    auto stray = std::make_shared<Windows>();
    stray->appId = 999;
    stray->num = 5;
    run(AppMenuAction::Quit, stray);
    EXPECT_TRUE(log.empty());
}

TEST_F(AppMenuActions, MinimisedOthersTakesEveryOtherWindowShownOnAllTheChosenDesktops)
{
    addApp(100, "xterm", { 11, 12, 13, 14 });
    addApp(200, "editor", { 21 });
    spaces = { { 11, { 1 } }, { 12, { 1 } }, { 13, { 2 } }, { 14, { 1, 2 } }, { 21, { 1 } } };
    run(AppMenuAction::MinimizeOthers, windowOf(100, 0));
    // Same desktop, sticky window, other application's window: minimised;
    // the window on another desktop and the chosen one stay.
    EXPECT_EQ(log, (std::vector<std::string> { "minimise 12", "minimise 14", "minimise 21" }));

    // The chosen window's desktops unreadable: nothing is minimised.
    log.clear();
    spaces[11] = {};
    run(AppMenuAction::MinimizeOthers, windowOf(100, 0));
    EXPECT_TRUE(log.empty());
}

TEST_F(AppMenuActions, MultiTaskSwitchFlipsTheSettingAndTheTitle)
{
    addApp(100, "Feishu", { 11 });
    EXPECT_EQ(appContextMenu(appMenuInputs(state(), windowOf(100, 0).get(), store.get()))[0].title,
        "Disable MultiTask");
    run(AppMenuAction::ToggleMultiTask, windowOf(100, 0));
    EXPECT_FALSE(state().settings.enableFeishuMultipleTask());
    EXPECT_EQ(appContextMenu(appMenuInputs(state(), windowOf(100, 0).get(), store.get()))[0].title,
        "Enable MultiTask");
}

TEST_F(AppMenuActions, CopyAppStartsTheSameExecutableAgainOnlyWhenItIsKnown)
{
    auto app = addApp(100, "WeChat", { 11 });
    run(AppMenuAction::CopyApp, windowOf(100, 0));
    EXPECT_TRUE(log.empty()) << "no executable known: nothing started";

    RunningApp running;
    running.pid = 100;
    running.executablePath = "/opt/chat/bin/wechat";
    app->app = running;
    run(AppMenuAction::CopyApp, windowOf(100, 0));
    EXPECT_EQ(log, (std::vector<std::string> { "start /opt/chat/bin/wechat" }));
}

TEST_F(AppMenuActions, RemovalsDeleteTheStoredRecordsAndTheTitlesTurnBack)
{
    addApp(100, "xterm", { 11 });
    ASSERT_TRUE(store->insert(Entity::PinnedApps, { { "appBundleName", "xterm" } }));
    ASSERT_TRUE(store->insert(Entity::Favorite, { { "appBundleName", "xterm" } }));
    ASSERT_TRUE(store->insert(Entity::Favorite, { { "appBundleName", "other" } }));
    ASSERT_TRUE(store->save());

    const AppMenuInputs before = appMenuInputs(state(), windowOf(100, 0).get(), store.get());
    EXPECT_TRUE(before.pinned);
    EXPECT_TRUE(before.favorite);

    run(AppMenuAction::RemoveKeep, windowOf(100, 0));
    EXPECT_EQ(log, (std::vector<std::string> { "reload" }));
    run(AppMenuAction::RemoveFavorite, windowOf(100, 0));
    EXPECT_TRUE(store->fetchAll(Entity::PinnedApps).empty());
    ASSERT_EQ(store->fetchAll(Entity::Favorite).size(), 1u);
    EXPECT_EQ(store->fetchAll(Entity::Favorite)[0].text("appBundleName"), "other");

    const AppMenuInputs after = appMenuInputs(state(), windowOf(100, 0).get(), store.get());
    EXPECT_FALSE(after.pinned);
    EXPECT_FALSE(after.favorite);
}

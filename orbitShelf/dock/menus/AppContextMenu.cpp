#include "dock/menus/AppContextMenu.h"

#include "state/Persistence.h"
#include "state/AppState.h"
#include "state/ShellPipe.h"
#include "apps/ActiveApp.h"
#include "apps/Pinning.h"
#include "apps/Windows.h"
#include "dock/DockLog.h"
#include "dock/DockReload.h"
#include "dock/DockViewState.h"
#include "dock/menus/Favorites.h"
#include "dock/menus/WindowTagEditorForm.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

MenuEntry item(const QString& title, AppMenuAction action)
{
    return MenuEntry::item(title, appMenuActionId(action));
}

MenuEntry divider()
{
    return MenuEntry::separator();
}

// The ids, in the order of AppMenuAction.
const char* const kActionIds[] = { "app:toggleMultiTask", "app:bindHotkey", "app:copyApp", "app:keepInDock",
    "app:removeKeep", "app:addFavorite", "app:removeFavorite", "app:minimizeOthers", "app:quit" };
constexpr int kActionCount = int(sizeof(kActionIds) / sizeof(kActionIds[0]));
static_assert(kActionCount == int(AppMenuAction::Quit) + 1, "one id per action");

bool nameContains(const std::optional<QString>& name, const QString& part)
{
    return name && name->contains(part, Qt::CaseSensitive);
}

std::shared_ptr<ActiveApp> appOfWindow(const AppState& state, const Windows& window)
{
    return state.allApps.value(window.appId.value_or(0));
}

// Single-quoted for the shell, so any path is passed as one word.
QString shellQuoted(const QString& text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

} // namespace

QString appMenuActionId(AppMenuAction action)
{
    return QString::fromLatin1(kActionIds[int(action)]);
}

std::optional<AppMenuAction> appMenuActionFromId(const QString& id)
{
    for (int i = 0; i < kActionCount; ++i)
        if (id == QLatin1String(kActionIds[i]))
            return AppMenuAction(i);
    return std::nullopt;
}

std::vector<MenuEntry> appContextMenu(const AppMenuInputs& in, std::vector<MenuEntry> settingsMenu)
{
    std::vector<MenuEntry> menu;
    if (nameContains(in.appBundleName, QStringLiteral("Feishu")))
        menu.push_back(item(in.enableFeishuMultipleTask ? QStringLiteral("Disable MultiTask")
                                                        : QStringLiteral("Enable MultiTask"),
            AppMenuAction::ToggleMultiTask));
    menu.push_back(divider());
    menu.push_back(item(QStringLiteral("Binding Hotkey"), AppMenuAction::BindHotkey));
    menu.push_back(divider());
    if (nameContains(in.appBundleName, QStringLiteral("WeChat")))
        menu.push_back(item(QStringLiteral("Copy App"), AppMenuAction::CopyApp));
    menu.push_back(divider());
    menu.push_back(in.pinned ? item(QStringLiteral("Remove Keep"), AppMenuAction::RemoveKeep)
                             : item(QStringLiteral("Keep in Dock"), AppMenuAction::KeepInDock));
    menu.push_back(divider());
    menu.push_back(in.favorite ? item(QStringLiteral("Remove Favorite"), AppMenuAction::RemoveFavorite)
                               : item(QStringLiteral("Add to Favorite"), AppMenuAction::AddFavorite));
    menu.push_back(divider());
    menu.push_back(item(QStringLiteral("Minimized Others"), AppMenuAction::MinimizeOthers));
    menu.push_back(divider());
    // Only when neither the main button nor the launcher button is on the bar
    // to carry the settings menu.
    if (in.hideMainButton && !in.showLunchpadButton) {
        menu.push_back(MenuEntry::submenu(QStringLiteral("More"), std::move(settingsMenu)));
        menu.push_back(divider());
    }
    menu.push_back(item(QStringLiteral("Quit"), AppMenuAction::Quit));
    return menu;
}

AppMenuInputs appMenuInputs(const AppState& state, const Windows* window, PersistenceController* store)
{
    AppMenuInputs in;
    in.enableFeishuMultipleTask = state.settings.enableFeishuMultipleTask();
    in.hideMainButton = state.settings.hideMainButton();
    in.showLunchpadButton = state.settings.showLunchpadButton();
    if (!window)
        return in;
    in.appBundleName = window->appBundleName;
    if (store) {
        const std::shared_ptr<ActiveApp> app = appOfWindow(state, *window);
        in.pinned = isAppPinned(app.get(), *store).first;
        in.favorite = favoriteRecordFor(app ? app->appBundleName : std::nullopt, *store).has_value();
    }
    return in;
}

AppMenuServices AppMenuServices::standard(QWidget* editorParent)
{
    AppMenuServices s;
    s.store = PersistenceController::hasShared() ? &PersistenceController::shared() : nullptr;
    s.pinApp = [](int32_t pid) { startPinApp(pid); };
    s.scheduleDockReload = [] { ::scheduleDockReload(); };
    s.addFavorite = [](int32_t pid) { startAddFavorite(pid); };
    s.startInstance = [](const QString& executable) {
        shellPipe({ QStringLiteral("nohup %1 > /dev/null 2>&1 &").arg(shellQuoted(executable)) },
            [](const QString&) {});
    };
    s.spacesOfWindow = [](uint32_t num) -> std::vector<uint64_t> {
        if (!platform::hasCurrent())
            return {};
        const std::vector<quint64> spaces = platform::current().windowServer().spacesOfWindow(num);
        return { spaces.begin(), spaces.end() };
    };
    s.minimizeWindow = [](uint32_t num) {
        if (platform::hasCurrent())
            platform::current().windowServer().minimize(num);
    };
    s.raiseWindow = [](uint32_t num) {
        if (platform::hasCurrent())
            platform::current().windowServer().activate(num);
    };
    s.closeWindow = [](uint32_t num) {
        return platform::hasCurrent() && platform::current().windowServer().close(num);
    };
    s.later = [](int milliseconds, std::function<void()> step) {
        QTimer::singleShot(milliseconds, qApp, std::move(step));
    };
    QPointer<QWidget> parent(editorParent);
    s.openTagEditor = [parent](std::shared_ptr<Windows> window, std::function<void()> onClose) {
        if (parent)
            showWindowTagEditor(std::move(window), std::move(onClose), parent);
    };
    return s;
}

void minimizeOtherWindows(const Windows& chosen, const std::vector<uint64_t>& spaces, AppState& state,
    const AppMenuServices& services)
{
    // Without the chosen window's desktops there is no "same desktop" to
    // compare with; minimising everything would be the wrong guess.
    if (spaces.empty() || !services.minimizeWindow)
        return;
    for (const std::shared_ptr<ActiveApp>& app : std::as_const(state.allApps)) {
        if (!app || !app->windows)
            continue;
        for (const std::shared_ptr<Windows>& w : *app->windows) {
            if (!w || w->num == chosen.num || w->isPlaceholder || !w->num)
                continue;
            const std::vector<uint64_t> shownOn
                = services.spacesOfWindow ? services.spacesOfWindow(*w->num) : std::vector<uint64_t> {};
            const bool onAll = std::all_of(spaces.begin(), spaces.end(), [&](uint64_t space) {
                return std::find(shownOn.begin(), shownOn.end(), space) != shownOn.end();
            });
            if (onAll)
                services.minimizeWindow(*w->num);
        }
    }
}

void closeWindowOrQuitApp(
    int32_t pid, const Windows& window, AppState& state, const AppMenuServices& services)
{
    const std::shared_ptr<ActiveApp> app = state.allApps.value(pid);
    if (app && app->windows && app->windows->size() >= 2) {
        if (!window.num || window.isPlaceholder)
            return;
        if (services.raiseWindow)
            services.raiseWindow(*window.num);
        if (!services.closeWindow || !services.closeWindow(*window.num))
            qCWarning(lcDock) << "Quit: window" << *window.num << "could not be asked to close";
        return;
    }
    if (!app)
        return;
    // Quitting is the program's own orderly end: each of its windows is asked
    // to close (the window manager passes that on as WM_DELETE_WINDOW), so a
    // program may ask to save or refuse. A signal would lose unsaved work.
    bool asked = false;
    if (app->windows) {
        for (const std::shared_ptr<Windows>& w : *app->windows) {
            if (!w || !w->num || w->isPlaceholder)
                continue;
            if (services.closeWindow && services.closeWindow(*w->num))
                asked = true;
            else
                qCWarning(lcDock) << "Quit: window" << *w->num << "could not be asked to close";
        }
    }
    if (!asked)
        qCWarning(lcDock) << "Quit: process" << pid << "shows no window that could be asked to close";
}

void runAppMenuAction(AppMenuAction action, const AppMenuTarget& target, DockViewState& dock, AppState& state,
    const AppMenuServices& services)
{
    if (!target.window)
        return;
    const Windows& window = *target.window;
    const int32_t pid = window.appId.value_or(0);
    switch (action) {
    case AppMenuAction::ToggleMultiTask:
        state.settings.setEnableFeishuMultipleTask(!state.settings.enableFeishuMultipleTask());
        state.publish();
        return;
    case AppMenuAction::BindHotkey: {
        if (!services.later || !services.openTagEditor)
            return;
        // The step holds the dock only weakly: the bar may be rebuilt in
        // the 50 ms before it runs.
        const std::weak_ptr<const void> alive = dock.lifetime();
        DockViewState* bar = &dock;
        AppState* shared = &state;
        services.later(50, [alive, bar, shared, open = services.openTagEditor, window = target.window] {
            if (alive.expired())
                return;
            // One editor, for the window asked for last: an editor open for
            // another window closes (and lowers the flag) as this one opens.
            open(window, [alive, bar] {
                if (!alive.expired())
                    bar->showTagEditor = false;
            });
            bar->showTagEditor = true;
            // The dock's views re-read their state on the change notice.
            emit shared->changed();
        });
        return;
    }
    case AppMenuAction::CopyApp: {
        const std::shared_ptr<ActiveApp> app = appOfWindow(state, window);
        const std::optional<QString> executable = app && app->app ? app->app->executablePath : std::nullopt;
        if (!executable || executable->isEmpty()) {
            qCWarning(lcDock) << "Copy App: the program's executable is not known; no instance started";
            return;
        }
        if (services.startInstance)
            services.startInstance(*executable);
        return;
    }
    case AppMenuAction::KeepInDock:
        if (services.pinApp)
            services.pinApp(pid);
        return;
    case AppMenuAction::RemoveKeep: {
        const std::shared_ptr<ActiveApp> app = appOfWindow(state, window);
        if (services.store) {
            if (const std::optional<Record> record = isAppPinned(app.get(), *services.store).second) {
                services.store->remove(*record);
                services.store->save();
            }
        }
        if (services.scheduleDockReload)
            services.scheduleDockReload();
        return;
    }
    case AppMenuAction::AddFavorite:
        if (services.addFavorite)
            services.addFavorite(pid);
        return;
    case AppMenuAction::RemoveFavorite: {
        const std::shared_ptr<ActiveApp> app = appOfWindow(state, window);
        if (!services.store)
            return;
        if (const std::optional<Record> record
            = favoriteRecordFor(app ? app->appBundleName : std::nullopt, *services.store)) {
            services.store->remove(*record);
            services.store->save();
        }
        return;
    }
    case AppMenuAction::MinimizeOthers: {
        const std::vector<uint64_t> spaces = window.num && services.spacesOfWindow
            ? services.spacesOfWindow(*window.num)
            : std::vector<uint64_t> {};
        minimizeOtherWindows(window, spaces, state, services);
        return;
    }
    case AppMenuAction::Quit:
        closeWindowOrQuitApp(pid, window, state, services);
        return;
    }
}

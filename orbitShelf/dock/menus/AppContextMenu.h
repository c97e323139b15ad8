#pragma once

#include "dock/menus/MenuEntry.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ActiveApp;
class AppState;
class DockViewState;
class PersistenceController;
class QWidget;
class Windows;

// The right-click menu of a window button, as data: the entries are built by
// appContextMenu from plain inputs (menu entries like the bar's other
// menus, made into a QMenu only to show), and a chosen entry's action is run
// by runAppMenuAction on the window that was right-clicked. That window is captured when the menu opens, so
// moving the pointer over other buttons while the menu is up changes nothing.

enum class AppMenuAction {
    ToggleMultiTask,
    BindHotkey,
    CopyApp,
    KeepInDock,
    RemoveKeep,
    AddFavorite,
    RemoveFavorite,
    MinimizeOthers,
    Quit,
};

// The action id an entry of the menu carries, and back; nothing for an id
// of another menu (the settings menu's, under "More").
QString appMenuActionId(AppMenuAction action);
std::optional<AppMenuAction> appMenuActionFromId(const QString& id);

// What the titles and the presence of items depend on, read when the menu is
// built.
struct AppMenuInputs {
    std::optional<QString> appBundleName; // of the right-clicked window
    bool enableFeishuMultipleTask = true;
    bool pinned = false; // a pinned-application record has the bundle name
    bool favorite = false; // a favourite record has the bundle name
    bool hideMainButton = false;
    bool showLunchpadButton = true;
};

// `settingsMenu` is what "More" holds when the menu offers it.
std::vector<MenuEntry> appContextMenu(const AppMenuInputs& inputs, std::vector<MenuEntry> settingsMenu = {});

// The inputs for one right-clicked window, from the shared state and the
// object store (no store: nothing counts as pinned or favourite).
AppMenuInputs appMenuInputs(const AppState& state, const Windows* window, PersistenceController* store);

// The window the menu was opened on, kept for its actions.
struct AppMenuTarget {
    std::shared_ptr<Windows> window;
};

// The operations the actions reach outside the bar; standard() binds the
// real ones, tests replace single entries.
struct AppMenuServices {
    PersistenceController* store = nullptr;
    std::function<void(int32_t pid)> pinApp;
    std::function<void()> scheduleDockReload;
    std::function<void(int32_t pid)> addFavorite;
    // Starts a further instance of the program at this executable path.
    std::function<void(const QString& executablePath)> startInstance;
    // The desktops that show a window (its number); empty when unknown.
    std::function<std::vector<uint64_t>(uint32_t num)> spacesOfWindow;
    std::function<void(uint32_t num)> minimizeWindow;
    std::function<void(uint32_t num)> raiseWindow;
    // Asks the window to close (_NET_CLOSE_WINDOW); false when it could not ask.
    std::function<bool(uint32_t num)> closeWindow;
    // Runs after a delay on the main thread (the tag editor's 0.05 s).
    std::function<void(int milliseconds, std::function<void()>)> later;
    // Opens the tag editor (name, colour, hot key) for a window; onClose
    // runs when it closes. There is one editor: asked for another window,
    // the open one closes first; asked for its own window, it comes forward.
    std::function<void(std::shared_ptr<Windows> window, std::function<void()> onClose)> openTagEditor;

    // The real operations; the tag editor opens over `editorParent` (the
    // bar), so that it never outlives the bar whose state it reports to.
    static AppMenuServices standard(QWidget* editorParent = nullptr);
};

// Runs the chosen action for the captured window.
void runAppMenuAction(AppMenuAction action, const AppMenuTarget& target, DockViewState& dock, AppState& state,
    const AppMenuServices& services);

// Minimises every window of every application, other than `chosen`, that is
// shown on all desktops of `spaces`. An empty `spaces` (the window's
// desktops could not be read) minimises nothing.
void minimizeOtherWindows(const Windows& chosen, const std::vector<uint64_t>& spaces, AppState& state,
    const AppMenuServices& services);

// "Quit": with two or more windows the right-clicked one is raised and asked
// to close; otherwise the application is asked to end. Its entry leaves
// allApps when the desktop reports it gone, not before, so a program that
// refuses (an unsaved document) stays on the bar.
void closeWindowOrQuitApp(
    int32_t pid, const Windows& window, AppState& state, const AppMenuServices& services);

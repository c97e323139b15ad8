#pragma once

#include <QMap>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class ActiveApp;
class AppState;
class DockViewState;
class Windows;

// The items of one screen's bar in their order, as plain data: main button,
// launcher, pinned tools, pinned applications that are not running, then
// every running application (by bar order) as its window buttons, a grid of
// them, or one stacked button. The bar paints and hit-tests these; the
// buttons themselves are drawn by the painters of dock/BarButtonPainter.

struct BarEntry {
    enum class Kind {
        MainButton,
        Launchpad,
        Tool, // a pinned built-in tool, toolName
        PinnedApp, // app is pinned and not running; window is its stand-in window
        WindowButton, // one window of a running application
        StackButton, // all windows of an application behind one button
        PomodoroTile, // the only item while a Pomodoro break is due
    };
    Kind kind = Kind::WindowButton;
    QString toolName;
    std::shared_ptr<ActiveApp> app;
    std::shared_ptr<Windows> window;
    int32_t pid = 0;
    // The window count handed to the app button: the application's windows,
    // -1 when the application or its list is gone.
    int windowCount = 0;
    double buttonScale = 0;
    bool enableWindowTag = false;
    bool isPinned = false;
    // Inside a grid: the column's row (0 top, 1 bottom); -1 elsewhere.
    int gridRow = -1;
    QString badge; // text of the count badge, empty for none
    QString hotKey; // the window's own hot key, empty for none
};

// Everything the entries are computed from besides AppState.
struct BarContext {
    QString screenID;
    bool enableListener = false;
    bool vertical = false; // see barIsVertical
    // Per application: show its windows stacked in grid mode.
    QMap<int32_t, bool> stackLayoutApp;
};

// A main dock follows the main position; other docks their screen's edge.
bool barIsVertical(const AppState& state, bool enableListener, const QString& screenID);

// The whole bar of a screen, in order.
std::vector<BarEntry> dockBarEntries(const AppState& state, const BarContext& context);

// One running application's entries (none when it is gone or shows nothing).
std::vector<BarEntry> appWindowEntry(const AppState& state, const BarContext& context, int32_t pid);

// The entries of one application with two or more windows, by the screen's
// list mode: "list", "stack" or "grid"; nothing for any other mode.
std::vector<BarEntry> windowListByMode(
    const AppState& state, const BarContext& context, const std::shared_ptr<ActiveApp>& app);

// Cuts a list into consecutive groups of at most n (n <= 0 counts as 1); a
// list of n or fewer, the empty one included, is one group.
std::vector<std::vector<std::shared_ptr<Windows>>> chunked(
    const std::vector<std::shared_ptr<Windows>>& windows, int n);

// The text of a window button's badge: the stored badge of its
// application's bundle URL without wrapper forms ("Optional(...)", quotes,
// "nil" or "null" as the whole value); empty with dockBadge off.
QString badgeText(const AppState& state, const Windows& window);

// Whether the bar can show the title of that window at all: a window's label
// (its tag chip, or its title over the button) appears only while its
// application has two windows or more; a lone window is drawn as its icon.
bool barShowsTitleOf(const AppState& state, quint32 windowNumber);

// The stored badge value with its wrappers taken off.
QString cleanBadgeValue(const QString& stored);

// The hot key bound to the window, or empty.
QString windowHotkey(const AppState& state, const Windows& window);

// The main button's picture: a file (custom upload, its stored path
// decoded) with a 7-point inset, or the built-in image named by dockIcon.
struct MainButtonIcon {
    std::optional<QString> file;
    QString builtinName;
    double inset = 0;
};
MainButtonIcon mainButtonIcon(const AppState& state);

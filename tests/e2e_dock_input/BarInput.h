#pragma once

// What the bar's click and menu checks share: the menus as the bar logs
// them, the items of the newest bar, what the store holds, and a way to know
// that a click has been handled when it should change nothing.

#include "state/Persistence.h"
#include "tests/support/X11TestTools.h"

#include <QFile>

#include <gtest/gtest.h>

namespace orbitshelf::test {

// The middle of the bar's row at the bottom of the test's 1920x1080 screen.
inline const QPoint kBottomCentre(960, 1053);

// The main button's (and launcher's) menu, in order, as a user reads it.
inline const QStringList kSettingsMenu { "Dock Position", "Auto Hide", "Settings", "Check for Updates",
    "Shortcuts", "What's New", "Restart", "Quit" };
// A window button's menu for a program that is neither kept nor a favourite.
inline const QStringList kWindowMenu { "Binding Hotkey", "Keep in Dock", "Add to Favorite",
    "Minimized Others", "Quit" };

// How the bar logs each of its menus, one line per entry ("<prefix>TITLE@x,y,wxh").
inline const QString kSettingsMenuLine = QStringLiteral("settings menu opened on [^\\n]* with ");
inline const QString kWindowMenuLine = QStringLiteral("window menu: ");
inline const QString kToolMenuLine = QStringLiteral("tool menu: ");
inline const QString kPinnedMenuLine = QStringLiteral("pinned menu: ");

// One menu as the bar logged it: its entries in order and where each stands.
struct LoggedMenu {
    QStringList titles;
    std::vector<QRect> places;

    std::optional<QRect> place(const QString& title) const
    {
        const qsizetype at = titles.indexOf(title);
        return at < 0 ? std::nullopt : std::optional(places[size_t(at)]);
    }
};

// The entries of every menu logged in `log` with lines of `prefix` (a
// regular expression), in order: read from the log written after the click
// that opened one menu, they are that menu's.
inline LoggedMenu loggedMenu(const QString& log, const QString& prefix)
{
    LoggedMenu menu;
    const QRegularExpression line(prefix + QStringLiteral("([^\\n]*)@(-?\\d+),(-?\\d+),(\\d+)x(\\d+)$"),
        QRegularExpression::MultilineOption);
    for (auto it = line.globalMatch(log); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        menu.titles << m.captured(1);
        menu.places.emplace_back(
            m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(), m.captured(5).toInt());
    }
    return menu;
}

// The dock's menus on the screen: its mapped windows that the window
// manager does not manage, named as the program (Qt names a menu so), other
// than a tool tip (which Escape does not close).
inline QStringList openMenus(const DockRun& run)
{
    QStringList menus;
    for (const QString& id : searchVisibleWindows({ "--pid", QString::number(run.pid()) }))
        if (xdotool({ "getwindowname", id }) == QLatin1String("orbitShelf")
            && runTool(QStringLiteral("xwininfo"), { "-id", id })
                   .contains(QLatin1String("Override Redirect State: yes"))
            && !property(id, QStringLiteral("_NET_WM_WINDOW_TYPE"))
                    .contains(QLatin1String("_NET_WM_WINDOW_TYPE_TOOLTIP")))
            menus << id;
    return menus;
}

// Closes the menus that are up (a submenu first) as a user does, with Escape.
inline bool closeMenus(const DockRun& run)
{
    return waitUntil(
        [&] {
            if (openMenus(run).isEmpty())
                return true;
            xdotool({ "key", "Escape" });
            return waitUntil([&] { return openMenus(run).isEmpty(); }, std::chrono::milliseconds(500));
        },
        std::chrono::seconds(5));
}

// Clicks `at` with `button` and returns the menu that click opened, once the
// log shows at least `entries` of its lines and it is on the screen (empty
// when none came). A click the bar did not answer is made again.
inline LoggedMenu clickForMenu(const DockRun& run, QPoint at, int button, const QString& prefix, int entries,
    std::chrono::milliseconds timeout = std::chrono::seconds(8))
{
    LoggedMenu menu;
    waitUntil(
        [&] {
            menu = {};
            if (!closeMenus(run))
                return false;
            // Never twice at one spot: a quick second press there is a
            // double click, which the main button and launcher do not answer.
            static int clicks = 0;
            const QPoint nudge(++clicks % 2 ? -8 : 8, 0);
            const qsizetype mark = run.log().size();
            click(at + nudge, button);
            if (!waitUntil(
                    [&] { return (menu = loggedMenu(run.log().mid(mark), prefix)).titles.size() >= entries; },
                    std::chrono::milliseconds(1500)))
                return false;
            // Logged as it is asked to show, it maps a moment later.
            return waitUntil([&] { return !openMenus(run).isEmpty(); }, std::chrono::seconds(3));
        },
        timeout);
    return menu;
}

// The first item of the newest bar for which `wanted` holds, waited for.
inline std::optional<LoggedBarItem> waitForBarItem(
    const DockRun& run, const std::function<bool(const LoggedBarItem&)>& wanted, qsizetype from = 0)
{
    std::optional<LoggedBarItem> found;
    waitUntil(
        [&] {
            for (const LoggedBarItem& item : loggedBar(run.log().mid(from)))
                if (wanted(item))
                    return (found = item).has_value();
            return false;
        },
        std::chrono::seconds(10));
    return found;
}

inline std::optional<LoggedBarItem> waitForKind(const DockRun& run, int kind, qsizetype from = 0)
{
    return waitForBarItem(
        run, [kind](const LoggedBarItem& i) { return i.kind == kind; }, from);
}

inline std::optional<LoggedBarItem> waitForWindowButton(const DockRun& run, const QString& window)
{
    return waitForBarItem(run, [&](const LoggedBarItem& i) { return i.window == window; });
}

// Rests the pointer on `at`, a pixel to and fro as a hand does (a dock
// window just mapped may not take input yet), until the bar shows the
// preview of window `window` with its title; whether it did.
inline bool hoverUntilPreviewed(const DockRun& run, QPoint at, const QString& window)
{
    const qsizetype mark = run.log().size();
    const QString shown = QStringLiteral("preview of window %1 shown").arg(window);
    int nudge = 0;
    return waitUntil([&] {
        movePointer(at + QPoint(nudge++ % 2, 0));
        return waitUntil([&] { return run.log().mid(mark).contains(shown); }, std::chrono::milliseconds(500));
    });
}

inline bool barHoldsKind(const DockRun& run, int kind)
{
    const auto bar = loggedBar(run.log());
    return std::any_of(bar.begin(), bar.end(), [kind](const LoggedBarItem& i) { return i.kind == kind; });
}

// The texts of `attribute` in every record of `entity` in the run's store,
// as another program reads them.
inline QStringList storedTexts(const DockRun& run, Entity entity, const QString& attribute)
{
    QString error;
    const auto store = PersistenceController::open(run.storePath(), &error);
    QStringList texts;
    if (store)
        for (const Record& record : store->fetchAll(entity))
            texts << record.text(attribute).value_or(QString());
    return texts;
}

inline bool minimised(const QString& window)
{
    return property(window, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
}

// Right-clicks the main button of the newest bar until its menu is up (a
// dock window just mapped may not take input yet); the menu, empty if none.
inline LoggedMenu openBarMenu(const DockRun& run)
{
    LoggedMenu menu;
    waitUntil([&] {
        const auto bar = loggedBar(run.log());
        const auto main = std::find_if(bar.begin(), bar.end(),
            [](const LoggedBarItem& i) { return i.kind == LoggedBarItem::mainButton; });
        if (main == bar.end())
            return false;
        menu = clickForMenu(run, main->rect.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()),
            std::chrono::seconds(3));
        return !menu.titles.isEmpty();
    });
    return menu;
}

// Clicks a menu's entry that holds a submenu and, once that is up, types
// `keys` into it (submenus' entries are not logged: Down picks the first).
inline bool chooseInSubmenu(const DockRun& run, const QRect& entry, const QStringList& keys)
{
    const qsizetype menus = openMenus(run).size();
    click(entry.center());
    if (!waitUntil([&] { return openMenus(run).size() > menus; }))
        return false;
    xdotool(QStringList { "key" } + keys);
    return true;
}

// Chooses `entry` of the bar's menu with the pointer; with `keys`, the
// entry's submenu and then those keys in it.
inline bool chooseFromBarMenu(const DockRun& run, const QString& entry, const QStringList& keys = {})
{
    const std::optional<QRect> place = openBarMenu(run).place(entry);
    if (!place)
        return false;
    if (!keys.isEmpty())
        return chooseInSubmenu(run, *place, keys);
    click(place->center());
    return true;
}

// Chooses as chooseFromBarMenu until `done` holds. A menu may close under
// the pointer, so a choice that had no effect is made again.
inline bool chooseFromBarMenuUntil(
    const DockRun& run, const QString& entry, const QStringList& keys, const std::function<bool()>& done)
{
    return waitUntil(
        [&] {
            if (done())
                return true;
            if (!closeMenus(run) || !chooseFromBarMenu(run, entry, keys))
                return false;
            return waitUntil(done, std::chrono::seconds(2));
        },
        std::chrono::seconds(20));
}

inline bool barTakesInput(const DockRun& run)
{
    return !openBarMenu(run).titles.isEmpty() && closeMenus(run);
}

} // namespace orbitshelf::test

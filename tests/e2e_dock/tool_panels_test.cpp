// The tools' panels opened from their tiles in the real orbitShelf, with the
// bar on the bottom, left and right edges: each opens beside its tile inside
// the screen with every control in it whole, a second click closes it, one is
// up at a time, Escape closes it. A Pomodoro started in its panel counts on
// through the bar's "Restart" and through a quit and a new start. The Note
// tile opens the notes beside it. A tool removed on the "Plugins" page leaves
// the bar and opens nowhere.
#include "tests/e2e_dock/PomodoroPanel.h"
#include "tests/support/X11TestTools.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace orbitshelf::test;

namespace {

bool touches(const QRect& panel, const QRect& tile)
{
    const bool acrossBar = panel.bottom() + 1 == tile.top() || panel.top() == tile.bottom() + 1;
    const bool alongBar = panel.right() + 1 == tile.left() || panel.left() == tile.right() + 1;
    return acrossBar || alongBar;
}

} // namespace

TEST(ToolPanels, OpenWholeBesideTheirTileOneAtATimeAndCloseByTileOrEscape)
{
    const QRect screen(0, 0, 1920, 1080);
    // A home folder named after its owner's full name: the folder browser's
    // sidebar shows it in its first row.
    const QString homeName = QStringLiteral("Maximiliane Ottilie Wolkenstein-Hartenau");
    ASSERT_EQ(homeName.size(), 40);
    for (const char* edge : { "bottom", "left", "right" }) {
        SCOPED_TRACE(edge);
        DockRun run(std::map<QString, QVariant> {
            { QStringLiteral("mainDockPosition"), QString::fromLatin1(edge) } });
        const QString home = run.home() + QStringLiteral("s/") + homeName;
        ASSERT_TRUE(QDir().mkpath(home));
        run.setEnvironment(QStringLiteral("HOME"), home);
        ASSERT_GT(run.start(), 0);
        ASSERT_TRUE(installTools(run, { "FastFinder", "Pasteboard", "Pomodoro" }, true))
            << run.log().toStdString();
        std::vector<QRect> tiles;
        ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 3; })) << run.log().toStdString();
        const QRect fastFinderTile = tiles[0];
        const QRect pasteboardTile = tiles[1];
        const QRect pomodoroTile = tiles[2];

        // Each panel beside its tile, inside the screen, every control in it
        // whole and inside the panel.
        const auto opensWhole = [&](const QString& title, const QRect& tile) {
            SCOPED_TRACE(title.toStdString());
            const qsizetype from = run.log().size();
            // A dock window just mapped may not take input yet.
            ASSERT_TRUE(waitUntil([&] {
                if (visibleWindowsNamed(title).isEmpty())
                    click(tile.center());
                return waitUntil([&] { return !panelControls(run, title, from).empty(); },
                    std::chrono::milliseconds(1500));
            })) << run.log().toStdString();
            const QString window = visibleWindowsNamed(title).value(0);
            ASSERT_FALSE(window.isEmpty());
            QRect panel;
            EXPECT_TRUE(waitUntil([&] {
                panel = windowGeometry(window);
                return screen.contains(panel) && touches(panel, tile);
            })) << panel.x() << "," << panel.y() << " " << panel.width() << "x" << panel.height() << " tile "
                << tile.x() << "," << tile.y();
            bool homeRow = false;
            for (const LoggedControl& control : panelControls(run, title, from)) {
                SCOPED_TRACE(control.name.toStdString());
                homeRow = homeRow || control.name == homeName;
                EXPECT_TRUE(control.whole);
                EXPECT_TRUE(panel.contains(control.rect) && screen.contains(control.rect))
                    << control.rect.x() << "," << control.rect.y() << " " << control.rect.width() << "x"
                    << control.rect.height() << " in " << panel.x() << "," << panel.y() << " " << panel.width()
                    << "x" << panel.height();
            }
            if (title == QLatin1String("Folder Browser")) {
                EXPECT_TRUE(homeRow) << "the sidebar showed no home row";
            }
        };

        opensWhole(QStringLiteral("Pomodoro"), pomodoroTile);
        click(pomodoroTile.center());
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Pomodoro").isEmpty(); }))
            << "a second click on the tile closes the panel";

        opensWhole(QStringLiteral("Folder Browser"), fastFinderTile);
        opensWhole(QStringLiteral("Pasteboard"), pasteboardTile);
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Folder Browser").isEmpty(); }))
            << "one tool panel at a time";
        click(pomodoroTile.center());
        ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("Pomodoro").isEmpty(); }));
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Pasteboard").isEmpty(); }));

        xdotool({ "key", "Escape" });
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Pomodoro").isEmpty(); }))
            << "Escape closes the panel that is up";
    }
}

TEST(PomodoroRestart, TheBarsRestartKeepsARunningPomodoroCounting)
{
    DockRun run;
    run.setEnvironment(
        "QT_LOGGING_RULES", "orbitshelf.dock=true;orbitshelf.settings=true;orbitshelf.tools.pomodoro=true");
    const qint64 first = run.start();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(installTools(run, { "Pomodoro" }, true)) << run.log().toStdString();
    std::vector<QRect> tiles;
    ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 1; })) << run.log().toStdString();
    ASSERT_TRUE(startPomodoro(run, tiles[0])) << run.log().toStdString();
    const std::optional<int> started = readPomodoroClock(run, tiles[0]);
    ASSERT_TRUE(started) << run.log().toStdString();
    ASSERT_TRUE(clockMovesOn(run, tiles[0], *started)) << "the Pomodoro counts";

    const std::optional<qsizetype> restartedAt = restartFromBarMenu(run);
    ASSERT_TRUE(restartedAt) << "no restart from the menu\n" << run.log().toStdString();
    const qsizetype restarted = *restartedAt;
    const qint64 atRestart = storedSetting(run, QStringLiteral("pomodoro_seconds")).toLongLong();
    EXPECT_GE(atRestart, 1) << "the seconds counted are written at the restart";

    // The new process: found by its bar's window, counting on from where the
    // old one stopped.
    const qint64 second = newBarProcess(first);
    ASSERT_GT(second, 0) << run.log().toStdString();
    std::optional<QRect> tile;
    ASSERT_TRUE(waitUntil([&] {
        tile = loggedRectIn(run.log().mid(restarted), QStringLiteral("bar item \\d+ kind 2 pid -?\\d+ window -?\\d+ at "));
        return tile.has_value();
    })) << run.log().toStdString();
    const std::optional<int> resumed = readPomodoroClock(run, *tile);
    ASSERT_TRUE(resumed);
    EXPECT_LE(*resumed, 30 * 60 - atRestart) << "it goes on from the seconds counted before";
    EXPECT_TRUE(clockMovesOn(run, *tile, *resumed)) << "and it still counts";
    EXPECT_EQ(storedSetting(run, QStringLiteral("needRestorePomodoro")), QStringLiteral("false"));
    ::kill(pid_t(second), SIGTERM);
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf dock")).isEmpty(); }));
}

// "Quit Dock" on the General page, as a user quits, and a new start: the
// Pomodoro left counting counts on, as after a restart.
TEST(PomodoroRestart, AQuitAndANewStartKeepARunningPomodoroCounting)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(installTools(run, { "Pomodoro" }, true)) << run.log().toStdString();
    std::vector<QRect> tiles;
    ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 1; })) << run.log().toStdString();
    ASSERT_TRUE(startPomodoro(run, tiles[0])) << run.log().toStdString();
    const std::optional<int> started = readPomodoroClock(run, tiles[0]);
    ASSERT_TRUE(started) << run.log().toStdString();
    ASSERT_TRUE(clockMovesOn(run, tiles[0], *started)) << "the Pomodoro counts";

    const qsizetype settingsFrom = run.log().size();
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("General"), settingsFrom, 0);
    ASSERT_TRUE(tab) << run.log().toStdString();
    const QString settings = waitForWindow(QStringLiteral("OrbitShelf Settings"));
    ASSERT_FALSE(settings.isEmpty());
    // "Quit Dock" is at the page's foot: scrolled into view as a user does.
    std::optional<QRect> quit;
    ASSERT_TRUE(waitUntil([&] {
        const QRect window = windowGeometry(settings);
        quit = loggedRectIn(run.log().mid(settingsFrom), QStringLiteral("general page button quitDock at "));
        if (quit && window.adjusted(0, 0, 0, -20).contains(*quit))
            return true;
        click(quit ? window.center() : tab->center(), quit ? 5 : 1);
        return false;
    })) << run.log().toStdString();
    click(quit->center());
    ASSERT_TRUE(waitUntil([&] { return !run.running(); })) << run.log().toStdString();
    EXPECT_EQ(storedSetting(run, QStringLiteral("needRestorePomodoro")), QStringLiteral("true"));
    const qint64 atQuit = storedSetting(run, QStringLiteral("pomodoro_seconds")).toLongLong();
    EXPECT_GE(atQuit, 1) << "the seconds counted are written at the quit";

    const qsizetype restarted = run.log().size();
    ASSERT_GT(run.start(), 0);
    std::optional<QRect> tile;
    ASSERT_TRUE(waitUntil([&] {
        tile = loggedRectIn(run.log().mid(restarted), QStringLiteral("bar item \\d+ kind 2 pid -?\\d+ window -?\\d+ at "));
        return tile.has_value();
    })) << run.log().toStdString();
    const std::optional<int> resumed = readPomodoroClock(run, *tile);
    ASSERT_TRUE(resumed) << run.log().toStdString();
    EXPECT_LE(*resumed, 30 * 60 - atQuit) << "it goes on from the seconds counted before the quit";
    EXPECT_TRUE(clockMovesOn(run, *tile, *resumed)) << "and it still counts";
}

// Tools installed and pinned on the "Plugins" page: the Note tile opens the
// hub's notes beside it, above the bar. Then removed there, a tool leaves no
// tile to open it by, and the tool hub no longer lists it.
TEST(ToolPanels, TheNoteTileOpensTheNotesAndARemovedToolLeavesTheBar)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const QStringList tools { "FastFinder", "Note", "Pasteboard", "Pomodoro" };
    ASSERT_TRUE(installTools(run, tools, true)) << run.log().toStdString();
    std::vector<QRect> tiles;
    ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 4; })) << run.log().toStdString();

    {
        SCOPED_TRACE("Note");
        const QRect noteTile = tiles[1]; // in name order
        const qsizetype from = run.log().size();
        // A dock window just mapped may not take input yet.
        ASSERT_TRUE(waitUntil([&] {
            if (visibleWindowsNamed(QStringLiteral("Note")).isEmpty())
                click(noteTile.center());
            return waitUntil([&] { return !panelControls(run, QStringLiteral("Note"), from).empty(); },
                std::chrono::milliseconds(1500));
        })) << run.log().toStdString();
        const QString window = visibleWindowsNamed(QStringLiteral("Note")).value(0);
        ASSERT_FALSE(window.isEmpty());
        QRect panel;
        EXPECT_TRUE(waitUntil([&] {
            panel = windowGeometry(window);
            return panel.bottom() + 1 == noteTile.top() && panel.left() <= noteTile.left()
                && noteTile.right() <= panel.right();
        })) << panel.x()
            << "," << panel.y() << " " << panel.width() << "x" << panel.height() << " tile " << noteTile.x()
            << "," << noteTile.y();
        const std::optional<QRect> editor
            = loggedRectIn(run.log().mid(from), QStringLiteral("note editor at "));
        ASSERT_TRUE(editor) << run.log().mid(from).toStdString();
        EXPECT_TRUE(panel.contains(*editor));
        bool newNote = false;
        for (const LoggedControl& control : panelControls(run, QStringLiteral("Note"), from)) {
            newNote = newNote || control.name == QLatin1String("New Note");
            EXPECT_TRUE(control.whole && panel.contains(control.rect)) << control.name.toStdString();
        }
        EXPECT_TRUE(newNote) << "the notes' own controls";
        click(noteTile.center());
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("Note")).isEmpty(); }))
            << "a second click on the tile closes it";
    }

    const qsizetype pageFrom = run.log().size();
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Plugins"), pageFrom, 0);
    ASSERT_TRUE(tab) << run.log().toStdString();
    for (const QString& tool : tools) {
        SCOPED_TRACE(tool.toStdString());
        const QString name = QRegularExpression::escape(tool);
        const QString cellLine = QStringLiteral("plugins cell %1 at ").arg(name);
        const QString removeLine = QStringLiteral("plugins install button Remove for %1 at ").arg(name);
        std::optional<QRect> button;
        ASSERT_TRUE(waitUntil([&] {
            const qsizetype chosen = run.log().size();
            const std::optional<QRect> cell = loggedRectIn(run.log().mid(pageFrom), cellLine);
            click(cell ? cell->center() : tab->center());
            return waitUntil(
                [&] { return (button = loggedRectIn(run.log().mid(chosen), removeLine)).has_value(); },
                std::chrono::milliseconds(1500));
        })) << run.log().toStdString();
        const qsizetype clicked = run.log().size();
        click(button->center());
        ASSERT_TRUE(waitUntil([&] {
            return run.log().mid(clicked).contains(QStringLiteral("plugins install button Install for %1").arg(tool));
        })) << run.log().toStdString();
    }
    const QString settings = visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).value(0);
    runTool(QStringLiteral("wmctrl"), { "-i", "-c", settings });
    ASSERT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("OrbitShelf Settings")).isEmpty(); }));

    EXPECT_TRUE(waitUntil([&] { return toolTiles(run).empty(); })) << "no tile is left";
    const QString pinned = storedSetting(run, QStringLiteral("pinedPlugins"));
    for (const QString& tool : tools)
        EXPECT_FALSE(pinned.contains(tool)) << pinned.toStdString();

    // The hub lists the favourites only.
    const qsizetype hubFrom = run.log().size();
    const std::optional<QRect> mainButton = loggedRectIn(run.log(), QStringLiteral("main button at "));
    ASSERT_TRUE(mainButton);
    ASSERT_TRUE(waitUntil([&] {
        if (visibleWindowsNamed(QStringLiteral("orbitShelf tools")).isEmpty())
            click(mainButton->center());
        return waitUntil([&] { return run.log().mid(hubFrom).contains(QLatin1String("hub entry ")); },
            std::chrono::milliseconds(1500));
    })) << run.log().toStdString();
    QStringList entries;
    static const QRegularExpression entry(QStringLiteral("hub entry (.+) at -?\\d+,"));
    for (auto it = entry.globalMatch(run.log().mid(hubFrom)); it.hasNext();)
        entries << it.next().captured(1);
    EXPECT_EQ(entries, QStringList { "Favorite" });
}

// The tools' panels opened from their tiles in the real orbitShelf, with the
// bar on the bottom, left and right edges: each opens beside its tile inside
// the screen, a second click closes it, one is up at a time, Escape closes it.
// And a Pomodoro started in its panel counts on through the bar's "Restart".
#include "tests/support/X11TestTools.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <csignal>

using namespace orbitshelf::test;

namespace {

// The tool tiles, in bar order (the tools sorted by name).
std::vector<QRect> toolTiles(const DockRun& run)
{
    std::vector<QRect> tiles;
    for (const LoggedBarItem& item : loggedBar(run.log()))
        if (item.kind == LoggedBarItem::tool)
            tiles.push_back(item.rect);
    return tiles;
}

bool touches(const QRect& panel, const QRect& tile)
{
    const bool acrossBar = panel.bottom() + 1 == tile.top() || panel.top() == tile.bottom() + 1;
    const bool alongBar = panel.right() + 1 == tile.left() || panel.left() == tile.right() + 1;
    return acrossBar || alongBar;
}

} // namespace

TEST(ToolPanels, OpenBesideTheirTileOneAtATimeAndCloseByTileOrEscape)
{
    const QRect screen(0, 0, 1920, 1080);
    for (const char* edge : { "bottom", "left", "right" }) {
        SCOPED_TRACE(edge);
        DockRun run(std::map<QString, QVariant> {
            { QStringLiteral("mainDockPosition"), QString::fromLatin1(edge) } });
        ASSERT_GT(run.start(), 0);
        ASSERT_TRUE(installTools(run, { "Pasteboard", "Pomodoro" }, true)) << run.log().toStdString();
        std::vector<QRect> tiles;
        ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 2; }))
            << run.log().toStdString();
        const QRect pasteboardTile = tiles[0];
        const QRect pomodoroTile = tiles[1];

        // A dock window just mapped may not take input yet.
        ASSERT_TRUE(waitUntil([&] {
            click(pomodoroTile.center());
            return waitUntil(
                [] { return !visibleWindowsNamed("Pomodoro").isEmpty(); }, std::chrono::milliseconds(1500));
        })) << run.log().toStdString();
        const QString pomodoro = visibleWindowsNamed("Pomodoro").front();
        QRect panel;
        EXPECT_TRUE(waitUntil([&] {
            panel = windowGeometry(pomodoro);
            return screen.contains(panel) && touches(panel, pomodoroTile);
        })) << panel.x()
            << "," << panel.y() << " " << panel.width() << "x" << panel.height() << " tile "
            << pomodoroTile.x() << "," << pomodoroTile.y();

        click(pomodoroTile.center());
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Pomodoro").isEmpty(); }))
            << "a second click on the tile closes the panel";

        click(pasteboardTile.center());
        ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("Pasteboard").isEmpty(); }));
        panel = windowGeometry(visibleWindowsNamed("Pasteboard").front());
        EXPECT_TRUE(screen.contains(panel) && touches(panel, pasteboardTile))
            << panel.x() << "," << panel.y() << " " << panel.width() << "x" << panel.height();
        click(pomodoroTile.center());
        ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("Pomodoro").isEmpty(); }));
        EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed("Pasteboard").isEmpty(); }))
            << "one tool panel at a time";

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
    const auto seconds = [&] {
        QSettings file(
            run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"), QSettings::NativeFormat);
        return file.value(QStringLiteral("pomodoro_seconds")).toLongLong();
    };
    std::vector<QRect> tiles;
    ASSERT_TRUE(waitUntil([&] { return (tiles = toolTiles(run)).size() == 1; })) << run.log().toStdString();
    std::optional<QRect> start;
    ASSERT_TRUE(waitUntil([&] {
        click(tiles[0].center());
        return waitUntil(
            [&] {
                return (start = run.loggedRect(QStringLiteral("Pomodoro panel shown: Start@"))).has_value();
            },
            std::chrono::milliseconds(1500));
    })) << run.log().toStdString();
    click(start->center());
    ASSERT_TRUE(waitUntil([&] { return seconds() >= 2; }, std::chrono::seconds(10)))
        << run.log().toStdString();
    xdotool({ "key", "Escape" });

    ASSERT_TRUE(openSettingsMenu(run)) << run.log().toStdString();
    std::optional<QRect> restart;
    ASSERT_TRUE(waitUntil([&] {
        return (restart = run.loggedRect(QStringLiteral("settings menu opened.*\\bRestart@"))).has_value();
    })) << run.log().toStdString();
    click(restart->center());
    ASSERT_TRUE(waitUntil([&] { return !run.running(); })) << "the old process is gone";
    const qint64 atRestart = seconds();

    // The new process: found by its bar's window, counting on from where the
    // old one stopped.
    qint64 second = 0;
    EXPECT_TRUE(waitUntil([&] {
        const QStringList docks = visibleWindowsNamed(QStringLiteral("orbitShelf dock"));
        if (docks.isEmpty())
            return false;
        second
            = property(docks.first(), QStringLiteral("_NET_WM_PID")).section(u'=', 1).trimmed().toLongLong();
        return second > 0 && second != first;
    })) << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return seconds() >= atRestart + 2; }, std::chrono::seconds(10)))
        << "at restart " << atRestart << ", now " << seconds();
    QSettings file(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"), QSettings::NativeFormat);
    EXPECT_FALSE(file.value(QStringLiteral("needRestorePomodoro")).toBool());
    if (second > 0 && second != first)
        ::kill(pid_t(second), SIGTERM);
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf dock")).isEmpty(); }));
}

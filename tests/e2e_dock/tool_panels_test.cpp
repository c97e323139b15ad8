// The tools' panels opened from their tiles in the real orbitShelf, with the
// bar on the bottom, left and right edges: each opens beside its tile inside
// the screen, a second click closes it, one is up at a time, Escape closes it.
#include "Persistence.h"

#include "tests/support/X11TestTools.h"

#include <gtest/gtest.h>

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
        DockRun run({ { QStringLiteral("mainDockPosition"), QString::fromLatin1(edge) },
            { QStringLiteral("pinedPlugins"),
                QStringLiteral("{\"Pasteboard\":\"true\",\"Pomodoro\":\"true\"}") } });
        // Installed through the store: nothing in the program installs a tool
        // until the settings window's tool list does.
        {
            QString error;
            auto store = PersistenceController::open(run.storePath(), &error);
            ASSERT_TRUE(store) << error.toStdString();
            for (const char* tool : { "Pasteboard", "Pomodoro" })
                ASSERT_TRUE(store->insert(
                    Entity::Plugins, { { "name", QString::fromLatin1(tool) }, { "installed", true } }));
            ASSERT_TRUE(store->save());
        }
        ASSERT_GT(run.start(), 0);
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

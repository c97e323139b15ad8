// The bar's own windows as a user opens them again and again from its menu.
#include "tests/support/X11TestTools.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

TEST(MenuWindows, OpenWhereTheyWereClosed)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::pair<const char*, const char*> windows[]
        = { { "Settings", "OrbitShelf Settings" }, { "Quit", "OrbitShelf Quit" } };
    for (const auto& [item, title] : windows) {
        std::optional<QRect> first;
        for (int opening = 0; opening < 3; ++opening) {
            const qsizetype from = run.log().size();
            ASSERT_TRUE(openSettingsMenu(run, from, 0)) << run.log().toStdString();
            const auto entry = loggedRectIn(
                run.log().mid(from), QStringLiteral("settings menu opened.*\\b%1@").arg(QLatin1String(item)));
            ASSERT_TRUE(entry.has_value());
            click(entry->center());
            const QString id = waitForWindow(QLatin1String(title));
            ASSERT_FALSE(id.isEmpty()) << item;
            QRect at;
            // The window manager's frame arrives a moment after the map.
            waitUntil([&] {
                const QRect before = windowGeometry(id);
                at = windowGeometry(id);
                return before == at && property(id, QStringLiteral("_NET_FRAME_EXTENTS")).contains('=');
            });
            if (!first)
                first = at;
            EXPECT_EQ(at, *first) << item << ", opening " << opening;
            runTool(QStringLiteral("wmctrl"), { "-i", "-c", id });
            ASSERT_TRUE(waitUntil([&] { return visibleWindowsNamed(QLatin1String(title)).isEmpty(); }));
        }
    }
    EXPECT_TRUE(run.running());
}

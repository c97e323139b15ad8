// The tool table as the program shows it: every tool has a picture where it
// is listed, from the icon theme the install brings or its own drawing.
#include "state/AppState.h"
#include "state/ToolTable.h"
#include "tests/support/TempStores.h"
#include "tools/SettingView.h"
#include "tools/ToolPages.h"

#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

bool anyInTheme(const QStringList& names)
{
    for (const QString& name : names)
        if (QIcon::hasThemeIcon(name))
            return true;
    return false;
}

// A name the theme lacks leaves a blank entry in the hub and only a letter
// on the tile.
TEST(ToolTable, EveryToolHasAPictureInTheHubAndOnItsTile)
{
    // The theme the install brings, which the program falls back on outside
    // a desktop environment, where a desktop looks for it (the offscreen
    // platform looks nowhere).
    const QString theme = QIcon::themeName();
    const QStringList paths = QIcon::themeSearchPaths();
    QIcon::setThemeSearchPaths(
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    for (const ToolRow& row : toolTable) {
        SCOPED_TRACE(row.name);
        if (toolPages(row.tool).drawing)
            continue;
        EXPECT_TRUE(anyInTheme(iconNames(row.hubIcons)));
        EXPECT_TRUE(anyInTheme(iconNames(row.tileIcons)));
    }

    orbitshelf::test::TempUserDefaults defaults;
    orbitshelf::test::TempObjectStore store;
    ASSERT_TRUE(store) << store.error().toStdString();
    for (const ToolRow& row : toolTable)
        ASSERT_TRUE(store->insert(Entity::Plugins, { { "name", QString::fromLatin1(row.name) }, { "installed", true } }));
    ASSERT_TRUE(store->save());
    AppState state;
    SettingView hub(state, *store, [](int) { return new QLabel; });
    ASSERT_EQ(hub.sidebar()->count(), int(toolCount) + 1);
    for (int i = 0; i < hub.sidebar()->count(); ++i)
        EXPECT_FALSE(hub.sidebar()->item(i)->icon().isNull()) << hub.sidebar()->item(i)->text().toStdString();
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);
}

} // namespace

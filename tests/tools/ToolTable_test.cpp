// The tool table as the program shows it: every tool has a picture where it
// is listed, from the icon theme the install brings or its own drawing, and
// the tool panels' pin button shows a pin.
#include "state/AppState.h"
#include "state/ToolTable.h"
#include "tests/support/TempStores.h"
#include "tools/SettingView.h"
#include "tools/ToolPages.h"
#include "tools/ToolPinButton.h"

#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QStandardPaths>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The theme the install brings, which the program falls back on outside a
// desktop environment, where a desktop looks for it (the offscreen platform
// looks nowhere); the one before comes back at the end of the scope.
class InstalledTheme final {
public:
    InstalledTheme()
    {
        QIcon::setThemeSearchPaths(QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, "icons", QStandardPaths::LocateDirectory));
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
    ~InstalledTheme()
    {
        QIcon::setThemeName(m_theme);
        QIcon::setThemeSearchPaths(m_paths);
    }

private:
    QString m_theme = QIcon::themeName();
    QStringList m_paths = QIcon::themeSearchPaths();
};

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
    const InstalledTheme theme;
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
}

// A theme without a pin (the one the install brings has none) fell back on
// its red "!", which reads as an error: the button shows a light pin on the
// panels' dark ground instead, drawn, not a word.
TEST(ToolPinButton, ShowsALightPinWhereTheThemeHasNone)
{
    const InstalledTheme theme;
    if (QIcon::hasThemeIcon(QStringLiteral("view-pin")))
        GTEST_SKIP() << "this machine's theme has a pin of its own";
    const std::unique_ptr<QToolButton> pin(makeToolPinButton());
    EXPECT_TRUE(pin->text().isEmpty());
    const QImage picture = pin->icon().pixmap(32).toImage();
    ASSERT_FALSE(picture.isNull());
    int drawn = 0, light = 0, red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.alpha() < 128)
                continue;
            ++drawn;
            light += c.lightness() > 200;
            red += c.red() > c.green() + 60;
        }
    EXPECT_GT(drawn, 60) << "nothing drawn";
    EXPECT_EQ(light, drawn);
    EXPECT_EQ(red, 0);
}

} // namespace

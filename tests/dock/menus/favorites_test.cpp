// Favourites added from the bar: one record per application name, its icon
// a 128×128 PNG in the support folder, nothing half-made when the icon
// cannot be written.
#include "apps/SupportFolder.h"
#include "dock/menus/Favorites.h"
#include "tests/dock/DockTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

class FavoritesTest : public DockStoreTest {
protected:
    // A running application named `name`, with a red 300 × 200 icon unless
    // told otherwise.
    void addApp(int32_t pid, std::optional<QString> name, bool withIcon = true)
    {
        auto app = addRunningApp(state(), pid, 0);
        app->appName = name.value_or("Nameless") + " App";
        app->appBundleName = name;
        app->bundleIdentifier = "org.example." + name.value_or("nameless");
        QPixmap pixmap(300, 200);
        pixmap.fill(Qt::red);
        if (withIcon)
            app->icon = QIcon(pixmap);
    }
    QString iconPath(const Record& record) { return localPathFromStored(*record.text("appIcon")); }
    std::vector<Record> favourites() { return store->fetchAll(Entity::Favorite); }
};

TEST_F(FavoritesTest, OneRecordPerNameWithA128PixelPngIcon)
{
    addApp(100, QString("Notes"));
    EXPECT_EQ(addFavorite(100, state(), *store), AddFavoriteResult::Added);
    addApp(200, QString("Notes")); // another process of the same program
    EXPECT_EQ(addFavorite(200, state(), *store), AddFavoriteResult::Duplicate);

    const auto records = favourites();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].text("appBundleName"), "Notes");
    EXPECT_EQ(records[0].text("appName"), "Notes App");
    EXPECT_EQ(records[0].text("bundleIdentifier"), "org.example.Notes");
    const QString path = iconPath(records[0]);
    EXPECT_EQ(QFileInfo(path).fileName(), "Notes.png");
    EXPECT_FALSE(records[0].text("appIcon")->startsWith("file://"));
    const QImage icon(path, "PNG");
    EXPECT_EQ(icon.size(), QSize(128, 128));
    EXPECT_EQ(icon.pixelColor(64, 64), QColor(Qt::red));
}

TEST_F(FavoritesTest, WithoutIconOrKnownProcessTheLauncherPictureStandsIn)
{
    addApp(100, QString("Plain Tool"), false);
    EXPECT_EQ(addFavorite(100, state(), *store), AddFavoriteResult::Added);
    // Not running at all: a nameless record under "app icon.png", once.
    EXPECT_EQ(addFavorite(4242, state(), *store), AddFavoriteResult::Added);
    EXPECT_EQ(addFavorite(4243, state(), *store), AddFavoriteResult::Duplicate);

    const auto records = favourites();
    ASSERT_EQ(records.size(), 2u);
    // A blank in the name is kept escaped in the stored path.
    EXPECT_TRUE(records[0].text("appIcon")->endsWith("Plain%20Tool.png"));
    EXPECT_FALSE(records[1].text("appBundleName").has_value());
    const QString nameless = iconPath(records[1]);
    EXPECT_EQ(QFileInfo(nameless).fileName(), "app icon.png");
    const QImage launcher(nameless, "PNG");
    ASSERT_EQ(launcher.size(), QSize(128, 128));
    EXPECT_EQ(launcher.pixelColor(64, 64), QImage(iconPath(records[0]), "PNG").pixelColor(64, 64));
}

TEST_F(FavoritesTest, AFailedIconWriteLeavesNoRecordAndNamesStayInsideTheFolder)
{
    // The support folder cannot be made: a file stands where it would go.
    QDir(m_dir.path()).mkpath("blocked");
    QFile blocker(m_dir.filePath("blocked/io.orbitshelf.OrbitShelf"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", m_dir.filePath("blocked").toUtf8());
    addApp(100, QString("Editor"));
    EXPECT_EQ(addFavorite(100, state(), *store), AddFavoriteResult::IconNotWritten);
    EXPECT_TRUE(favourites().empty());
    EXPECT_FALSE(store->hasChanges());

    // A name with folders in it is written as one plain file in the folder.
    qputenv("XDG_DATA_HOME", m_dir.filePath("data").toUtf8());
    addApp(200, QString("../../evil/name"));
    EXPECT_EQ(addFavorite(200, state(), *store), AddFavoriteResult::Added);
    const QString path = iconPath(favourites().at(0));
    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(*appSupportFolderPath()).absolutePath());
    EXPECT_TRUE(QFileInfo::exists(path));
}

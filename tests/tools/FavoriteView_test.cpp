#include "tests/support/ManualQueue.h"
#include "tools/FavoriteView.h"

#include "ToastOverlay/ToastOverlayPresenter.h"

#include <QFile>
#include <QGridLayout>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using orbitshelf::test::ManualQueue;

class Favorites : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QString error;
        store = PersistenceController::open(dir.filePath("store.sqlite"), &error);
        ASSERT_TRUE(store) << error.toStdString();
        services.openApplication = [this](const QString& id) {
            openedIds << id;
            return openSucceeds;
        };
        services.refreshRunningApps = [this] { ++refreshes; };
        services.runAfter = [this](double seconds, std::function<void()> work) {
            queue.asyncAfter(seconds, std::move(work));
        };
    }
    void add(const QVariantMap& values)
    {
        ASSERT_TRUE(store->insert(Entity::Favorite, values));
        ASSERT_TRUE(store->save());
    }

    QTemporaryDir dir;
    std::unique_ptr<PersistenceController> store;
    FavoriteServices services;
    ManualQueue queue;
    QStringList openedIds;
    bool openSucceeds = true;
    int refreshes = 0;
};

TEST_F(Favorites, CellsShowNamesIconsAndFiveToARow)
{
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::green);
    ASSERT_TRUE(icon.save(dir.filePath("my app.png")));
    add({ { "appName", "Spaced" },
        { "appIcon", QString::fromUtf8(QUrl::fromLocalFile(dir.filePath("my app.png")).toEncoded().mid(7)) },
        { "bundleIdentifier", "spaced.desktop" } });
    add({ { "appIcon", "" }, { "bundleIdentifier", "nameless.desktop" } });
    for (int i = 0; i < 4; ++i)
        add({ { "appName", QString("App %1").arg(i) },
            { "bundleIdentifier", QString("app%1.desktop").arg(i) } });

    FavoriteView view(*store, services);
    const std::vector<FavoriteCell>& cells = view.cells();
    ASSERT_EQ(cells.size(), 6u);
    EXPECT_EQ(cells[0].name, "Spaced");
    EXPECT_EQ(cells[0].iconPath, dir.filePath("my app.png")) << "escapes decoded";
    EXPECT_TRUE(QFile::exists(*cells[0].iconPath));
    EXPECT_EQ(cells[1].name, "Not found");
    EXPECT_FALSE(cells[1].iconPath) << "the Finder picture";
    EXPECT_EQ(view.grid()->rowCount(), 2);
    int row = -1, column = -1, span = 0;
    view.grid()->getItemPosition(5, &row, &column, &span, &span);
    EXPECT_EQ(row, 1);
    EXPECT_EQ(column, 0);
}

TEST_F(Favorites, AClickOpensSaysOpeningAndRefreshesLater)
{
    add({ { "appName", "Term" }, { "bundleIdentifier", "term.desktop" } });
    FavoriteView view(*store, services);
    view.resize(600, 400);
    struct Case {
        const char* name;
        bool opens;
        bool toast;
    };
    for (const Case& c : { Case { "opened", true, true }, Case { "not installed", false, false } }) {
        SCOPED_TRACE(c.name);
        openSucceeds = c.opens;
        view.openingToast()->setPresenting(false);
        refreshes = 0;
        openedIds.clear();
        view.findChild<QToolButton*>("favoriteCell")->click();
        EXPECT_EQ(openedIds, QStringList { "term.desktop" });
        EXPECT_EQ(view.openingToast()->isPresenting(), c.toast);
        queue.advance(0.04);
        EXPECT_EQ(refreshes, 0);
        queue.advance(0.01);
        EXPECT_EQ(refreshes, 1);
    }
}

TEST_F(Favorites, RemoveDeletesTheRecordAndKeepsTheIconFile)
{
    ASSERT_TRUE(QFile(dir.filePath("shared.png")).open(QIODevice::WriteOnly));
    add({ { "appName", "Gone" }, { "appIcon", dir.filePath("shared.png") } });
    add({ { "appName", "Stays" } });
    FavoriteView view(*store, services);
    view.remove(view.cells()[0]);
    ASSERT_EQ(view.cells().size(), 1u);
    EXPECT_EQ(view.cells()[0].name, "Stays");
    EXPECT_EQ(store->fetchAll(Entity::Favorite).size(), 1u);
    EXPECT_TRUE(QFile::exists(dir.filePath("shared.png")));
}

TEST_F(Favorites, ARemoveThatCannotBeSavedKeepsTheCellAndSaysSo)
{
    add({ { "appName", "Locked" } });
    FavoriteView view(*store, services);
    // Another connection holds the file's write lock, so the save fails.
    {
        QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", "locker");
        locker.setDatabaseName(dir.filePath("store.sqlite"));
        ASSERT_TRUE(locker.open());
        QSqlQuery lock(locker);
        ASSERT_TRUE(lock.exec("BEGIN EXCLUSIVE"));
        view.remove(view.cells()[0]);
        lock.exec("ROLLBACK");
        locker.close();
    }
    QSqlDatabase::removeDatabase("locker");
    ASSERT_EQ(view.cells().size(), 1u);
    EXPECT_EQ(store->fetchAll(Entity::Favorite).size(), 1u);
    EXPECT_TRUE(view.messageToast()->isPresenting());
    EXPECT_TRUE(view.lastMessage().contains("Locked"));
}

} // namespace

#include "state/Persistence.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

// Runs one statement over a second connection, as another process would, and
// returns the first value of its answer.
QVariant sqlOn(const QString& path, const QString& statement)
{
    QVariant value;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        if (q.exec(statement) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    return value;
}

class Store : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        store = PersistenceController::open(path(), &error);
        ASSERT_TRUE(store) << error.toStdString();
    }
    QString path() const { return dir.filePath(QStringLiteral("Favorite.sqlite")); }
    QDateTime at(int seconds) const
    {
        return QDateTime::fromSecsSinceEpoch(1780000000 + seconds, Qt::UTC).addMSecs(250);
    }
    void addClip(const QString& text, const QString& category, int seconds, bool mark = false)
    {
        QVariantMap values { { "text", text }, { "category", category }, { "create", at(seconds) } };
        if (mark)
            values.insert("isMark", true);
        ASSERT_TRUE(store->insert(Entity::Pasteboard, values));
    }
    QStringList texts(const std::vector<Record>& records, const char* attribute = "text")
    {
        QStringList out;
        for (const auto& r : records)
            out << r.text(QString::fromLatin1(attribute)).value_or(QStringLiteral("<none>"));
        return out;
    }
    int countOnDisk(const char* table) const
    {
        const QVariant n = sqlOn(path(), QStringLiteral("SELECT count(*) FROM \"%1\"").arg(table));
        return n.isValid() ? n.toInt() : -1;
    }

    QTemporaryDir dir;
    std::unique_ptr<PersistenceController> store;
};

} // namespace

TEST_F(Store, InsertsFetchesAndDeletesWithEqualitySortAndLimit)
{
    addClip("one", "2026-05-01", 1);
    addClip("two", "2026-05-02", 2, true);
    addClip("three", "2026-05-01", 3);
    addClip("four", "2026-05-01", 4, true);
    ASSERT_TRUE(store->save());

    FetchRequest byDay { Entity::Pasteboard, { { "category", QStringLiteral("2026-05-01") } },
        { { "create", false } }, 2 };
    EXPECT_EQ(texts(*store->fetch(byDay)), (QStringList { "four", "three" }));

    FetchRequest marked { Entity::Pasteboard, { { "isMark", true } }, { { "create", false } }, 0 };
    EXPECT_EQ(texts(*store->fetch(marked)), (QStringList { "four", "two" }));

    FetchRequest unmarked { Entity::Pasteboard, { { "isMark", false } }, {}, 0 };
    EXPECT_EQ(texts(*store->fetch(unmarked)), (QStringList { "one", "three" }))
        << "never-set flags read false";

    const auto all = store->fetchAll(Entity::Pasteboard);
    EXPECT_EQ(texts(all), (QStringList { "one", "two", "three", "four" })) << "store order without a sort";
    store->remove(all[1]);
    ASSERT_TRUE(store->save());
    EXPECT_EQ(texts(store->fetchAll(Entity::Pasteboard)), (QStringList { "one", "three", "four" }));
}

TEST_F(Store, AttributesKeepTheirTypesAcrossAReopen)
{
    const QUuid uuid = QUuid::createUuid();
    ASSERT_TRUE(store->insert(Entity::Note,
        { { "content", QStringLiteral("line \"1\"\nzwei ✓") }, { "id", QStringLiteral("aB3dE9") },
            { "createAt", at(10) }, { "uuid", uuid } }));
    ASSERT_TRUE(store->insert(Entity::Favorite,
        { { "appName", QStringLiteral("Terminal") }, { "icon", QByteArray("\x89PNG\0\x01", 6) } }));
    ASSERT_TRUE(store->save());
    store.reset(); // what was saved is read back from the file
    QString error;
    store = PersistenceController::open(path(), &error);
    ASSERT_TRUE(store) << error.toStdString();
    const auto notes = store->fetchAll(Entity::Note);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0].text("content"), QStringLiteral("line \"1\"\nzwei ✓"));
    EXPECT_EQ(notes[0].value("createAt").toDateTime(), at(10));
    EXPECT_EQ(notes[0].value("uuid").toUuid(), uuid);
    EXPECT_FALSE(notes[0].text("tag").has_value()) << "unset optional attributes are absent";
    EXPECT_FALSE(notes[0].value("updateAt").isValid());
    const auto favorites = store->fetchAll(Entity::Favorite);
    ASSERT_EQ(favorites.size(), 1u);
    EXPECT_EQ(favorites[0].value("icon").toByteArray(), QByteArray("\x89PNG\0\x01", 6));

    // A note without an id is still listed, and can be found by a missing id.
    ASSERT_TRUE(store->insert(Entity::Note, { { "content", QStringLiteral("no id") } }));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(store->fetchAll(Entity::Note).size(), 2u);
    FetchRequest noId { Entity::Note, { { "id", QVariant() } }, {}, 0 };
    EXPECT_EQ(texts(*store->fetch(noId), "content"), QStringList { "no id" });
}

TEST_F(Store, UpdatesChangeOnlyTheGivenAttributes)
{
    ASSERT_TRUE(store->insert(Entity::Note,
        { { "id", QStringLiteral("n1") }, { "content", QStringLiteral("old") },
            { "tag", QStringLiteral("Default") } }));
    ASSERT_TRUE(store->save());
    FetchRequest byId { Entity::Note, { { "id", QStringLiteral("n1") } }, {}, 0 };
    const auto found = *store->fetch(byId);
    ASSERT_EQ(found.size(), 1u);
    ASSERT_TRUE(store->update(found[0], { { "content", QStringLiteral("new") } }));
    ASSERT_TRUE(store->save());
    const auto after = *store->fetch(byId);
    EXPECT_EQ(after[0].text("content"), QStringLiteral("new"));
    EXPECT_EQ(after[0].text("tag"), QStringLiteral("Default"));
}

TEST_F(Store, WrongAttributesAndTypesAreRefusedAndBadQueriesFail)
{
    EXPECT_FALSE(store->insert(Entity::Tag, { { "colour", QStringLiteral("red") } }));
    EXPECT_FALSE(store->insert(Entity::Plugins, { { "installed", QStringLiteral("yes") } }));
    EXPECT_FALSE(store->insert(Entity::Note, { { "createAt", QStringLiteral("yesterday") } }));
    EXPECT_FALSE(store->hasChanges());
    EXPECT_FALSE(store->fetch({ Entity::Tag, { { "\"; DROP TABLE Tag; --", 1 } }, {}, 0 }).has_value());
    EXPECT_FALSE(store->fetch({ Entity::Tag, {}, { { "nope", true } }, 0 }).has_value());
    EXPECT_EQ(countOnDisk("Tag"), 0);
}

TEST_F(Store, AFailedSaveIsRolledBackAndNeverWrittenLater)
{
    // Another writer's trigger refuses Tag inserts: the save fails half-way.
    sqlOn(path(),
        QStringLiteral(
            "CREATE TRIGGER refuse BEFORE INSERT ON \"Tag\" BEGIN SELECT RAISE(ABORT, 'refused'); END"));
    ASSERT_EQ(sqlOn(path(), QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'")), 1);

    ASSERT_TRUE(
        store->insert(Entity::Plugins, { { "name", QStringLiteral("Pomodoro") }, { "installed", true } }));
    ASSERT_TRUE(store->insert(Entity::Tag, { { "text", QStringLiteral("work") } }));
    EXPECT_FALSE(store->save());
    EXPECT_FALSE(store->hasChanges());
    EXPECT_EQ(countOnDisk("Plugins"), 0) << "the part written before the failure was rolled back";

    // The next successful save writes only its own change.
    ASSERT_TRUE(
        store->insert(Entity::Plugins, { { "name", QStringLiteral("Note") }, { "installed", true } }));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(texts(store->fetchAll(Entity::Plugins), "name"), QStringList { "Note" });
}

TEST_F(Store, ReadsNeverCommitUnsavedChanges)
{
    ASSERT_TRUE(store->insert(Entity::Tag, { { "text", QStringLiteral("pending") } }));
    EXPECT_TRUE(store->fetchAll(Entity::Tag).empty());
    (void)store->fetch({ Entity::Tag, { { "text", QStringLiteral("pending") } }, {}, 1 });
    EXPECT_EQ(countOnDisk("Tag"), 0);
    store->rollback();
    EXPECT_FALSE(store->hasChanges());
    ASSERT_TRUE(store->save());
    EXPECT_EQ(countOnDisk("Tag"), 0);
}

TEST_F(Store, ASuccessfulSaveAnnouncesEachTouchedEntityOnce)
{
    std::vector<Entity> seen;
    QObject::connect(
        store.get(), &PersistenceController::entityChanged, [&](Entity e) { seen.push_back(e); });
    ASSERT_TRUE(store->insert(Entity::Tag, { { "text", QStringLiteral("a") } }));
    ASSERT_TRUE(store->insert(Entity::Tag, { { "text", QStringLiteral("b") } }));
    ASSERT_TRUE(store->insert(Entity::Favorite, { { "appName", QStringLiteral("x") } }));
    ASSERT_TRUE(store->save());
    EXPECT_EQ(seen, (std::vector<Entity> { Entity::Favorite, Entity::Tag }));
}

TEST(StoreOpening, FilesThatAreNotOurStoreAreRefusedAndLeftAsTheyWere)
{
    QTemporaryDir dir;
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* message;
    };
    const std::vector<Case> cases = {
        { "garbage",
            [](const QString& p) {
                QFile f(p);
                f.open(QIODevice::WriteOnly);
                f.write(QByteArray(4096, '\x5a'));
            },
            "file is not a database" },
        { "foreign database", [](const QString& p) { sqlOn(p, QStringLiteral("CREATE TABLE t (x)")); },
            "not ours" },
        { "newer schema", [](const QString& p) { sqlOn(p, QStringLiteral("PRAGMA user_version = 99")); },
            "newer version" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".sqlite"));
        c.make(path);
        QFile before(path);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        before.close();
        QString error;
        EXPECT_FALSE(PersistenceController::open(path, &error));
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.message))) << error.toStdString();
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), bytes);
    }
}

TEST(StoreOpening, AVersionOneStoreIsMigratedWithItsDuplicateCategoriesFolded)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Favorite.sqlite"));
    // A store as the first schema wrote it: the tables without the indexes.
    ASSERT_TRUE(PersistenceController::open(path, nullptr));
    for (const char* index : { "PasteboardByDay", "PasteboardByMark", "PasteboardCategoryByName" })
        sqlOn(path, QStringLiteral("DROP INDEX \"%1\"").arg(index));
    sqlOn(path, QStringLiteral("PRAGMA user_version = 1"));
    for (const char* row : { "('2026-01-02', 20)", "('2026-01-02', 10)", "('2026-01-02', 30)", "('Mark', 5)",
             "(NULL, 1)", "(NULL, 2)" })
        sqlOn(path,
            QStringLiteral("INSERT INTO \"PasteboardCategory\" (\"name\", \"create\") VALUES %1").arg(row));
    sqlOn(path,
        QStringLiteral("INSERT INTO \"Pasteboard\" (\"text\", \"category\") VALUES ('kept', '2026-01-02')"));

    QString error;
    auto store = PersistenceController::open(path, &error);
    ASSERT_TRUE(store) << error.toStdString();
    EXPECT_EQ(sqlOn(path, QStringLiteral("PRAGMA user_version")).toInt(), 2);
    FetchRequest days;
    days.entity = Entity::PasteboardCategory;
    days.sort = { { QStringLiteral("create"), true } };
    QStringList left;
    for (const Record& r : store->fetch(days).value_or(std::vector<Record>()))
        left << r.text(QStringLiteral("name")).value_or(QStringLiteral("-")) + QLatin1Char('@')
                + QString::number(r.value(QStringLiteral("create")).toDateTime().toSecsSinceEpoch());
    EXPECT_EQ(left, (QStringList { "-@1", "-@2", "Mark@5", "2026-01-02@10" }));
    EXPECT_EQ(store->fetchAll(Entity::Pasteboard).size(), 1u);
    EXPECT_EQ(sqlOn(path,
                  QStringLiteral(
                      "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'Pasteboard%'"))
                  .toInt(),
        3);
}

// exit() from anywhere (Qt's X11 back-end calls it when the display goes)
// runs the statics' destructors in an order nobody chose, Qt SQL's own among
// them: a shared store still open then is left to the system, never closed
// over a registry that is gone.
TEST(SharedStore, AnExitWithTheStoreOpenEndsWithItsStatus)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            if (PersistenceController::openShared())
                std::_Exit(2);
            std::exit(7);
        },
        ::testing::ExitedWithCode(7), "");
}

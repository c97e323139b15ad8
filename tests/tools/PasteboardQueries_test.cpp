#include "tools/PasteboardQueries.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class Queries : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString error;
        store = PersistenceController::open(dir.filePath(QStringLiteral("Favorite.sqlite")), &error);
        ASSERT_TRUE(store) << error.toStdString();
        setPasteboardClock([this] { return now; });
    }
    void TearDown() override { setPasteboardClock({}); }

    QDateTime at(int minutes) const
    {
        return QDateTime(QDate(2026, 5, 1), QTime(8, 0), Qt::LocalTime).addSecs(60 * minutes);
    }
    void clip(const QString& text, const QString& day, int minutes, bool mark = false)
    {
        ASSERT_TRUE(store->insert(Entity::Pasteboard,
            { { "text", text }, { "category", day }, { "create", at(minutes) }, { "isMark", mark } }));
    }
    void category(const QVariant& name, int minutes)
    {
        QVariantMap values { { "create", at(minutes) } };
        if (name.isValid())
            values.insert("name", name);
        ASSERT_TRUE(store->insert(Entity::PasteboardCategory, values));
    }
    static QStringList texts(const std::vector<Record>& records)
    {
        QStringList out;
        for (const Record& r : records)
            out << r.text(QStringLiteral("text")).value_or(QString());
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<PersistenceController> store;
    QDateTime now = QDateTime(QDate(2026, 5, 1), QTime(20, 0), Qt::LocalTime);
};

} // namespace

TEST_F(Queries, ADayGivesItsNewestFiftyAndMarksComeFromEveryDay)
{
    for (int i = 0; i < 60; ++i)
        clip(QString::number(i), QStringLiteral("2026-05-01"), i, i == 3);
    clip(QStringLiteral("yesterday"), QStringLiteral("2026-04-30"), -600, true);
    ASSERT_TRUE(store->save());

    const auto today = fetchPasteboards(std::nullopt, *store);
    ASSERT_EQ(today.size(), 50u);
    EXPECT_EQ(texts(today).first(), QStringLiteral("59"));
    EXPECT_EQ(texts(today).last(), QStringLiteral("10"));
    EXPECT_EQ(texts(fetchPasteboards(QStringLiteral("2026-04-30"), *store)), QStringList { "yesterday" });
    EXPECT_TRUE(fetchPasteboards(kMarkCategory, *store).empty());
    EXPECT_EQ(texts(fetchMarkedPasteboards(*store)), (QStringList { "3", "yesterday" }));

    // Reads leave other code's unsaved changes alone.
    clip(QStringLiteral("pending"), QStringLiteral("2026-05-01"), 100);
    EXPECT_EQ(fetchPasteboards(std::nullopt, *store).size(), 50u);
    EXPECT_TRUE(store->hasChanges());
}

TEST_F(Queries, CategoryNamesAreTheThirtyNewestWithMarkByItsTime)
{
    for (int i = 0; i < 35; ++i)
        category(QStringLiteral("2026-04-%1").arg(i + 1, 2, 10, QLatin1Char('0')), 2 * i);
    category(kMarkCategory, 61); // between the 31st and the 32nd day
    category(QVariant(), -5);
    ASSERT_TRUE(store->save());

    const QStringList names = fetchPasteboardCategoryNames(*store);
    ASSERT_EQ(names.size(), 30);
    EXPECT_EQ(names.first(), QStringLiteral("2026-04-35"));
    EXPECT_EQ(names.indexOf(kMarkCategory), 4);
    EXPECT_FALSE(names.contains(QString())) << "the nameless record is too old to be named";

    auto fresh = PersistenceController::open(dir.filePath(QStringLiteral("other.sqlite")), nullptr);
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh->insert(Entity::PasteboardCategory, { { "create", at(0) } }));
    ASSERT_TRUE(fresh->save());
    EXPECT_EQ(fetchPasteboardCategoryNames(*fresh), QStringList { QString() });
}

TEST_F(Queries, EnsuringKeepsOneRecordPerNameInNormalFormC)
{
    ensurePasteboardCategory(QStringLiteral("2026-05-01"), *store);
    ensurePasteboardCategory(QStringLiteral("2026-05-01"), *store);
    now = now.addSecs(60);
    ensurePasteboardCategory(kMarkCategory, *store);
    EXPECT_EQ(fetchPasteboardCategoryNames(*store), (QStringList { kMarkCategory, "2026-05-01" }));

    ensurePasteboardCategory(QStringLiteral("Caf\u00e9"), *store);
    ensurePasteboardCategory(QStringLiteral("Cafe\u0301"), *store);
    EXPECT_EQ(store->fetchAll(Entity::PasteboardCategory).size(), 3u);

    // The store itself refuses a second record of a name.
    category(kMarkCategory, 0);
    EXPECT_FALSE(store->save());
    EXPECT_EQ(store->fetchAll(Entity::PasteboardCategory).size(), 3u);
}

#include "state/AppState.h"
#include "tests/support/TempStores.h"
#include "tools/SettingView.h"

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

Record plugin(std::optional<QString> name)
{
    Record record;
    record.entity = Entity::Plugins;
    if (name)
        record.values.insert("name", *name);
    return record;
}

QStringList titles(const std::vector<ToolHubEntry>& entries)
{
    QStringList out;
    for (const ToolHubEntry& entry : entries)
        out << entry.title;
    return out;
}

TEST(ToolHubEntries, ListFavoriteThenEachToolNamedExactlyOnce)
{
    struct Row {
        const char* meaning;
        std::vector<std::optional<QString>> names;
        QStringList shown;
    };
    const QStringList all { "Favorite", "PasteBoard", "Finder", "Pomodoro", "Note", "Todo" };
    for (const Row& row : {
             Row { "no records", {}, { "Favorite" } },
             Row { "note, then clipboard", { "Note", "Pasteboard" }, { "Favorite", "PasteBoard", "Note" } },
             Row { "clipboard, then note", { "Pasteboard", "Note" }, { "Favorite", "PasteBoard", "Note" } },
             Row { "names not exactly a tool's", { "pasteboard", "PasteBoard", "Pasteboard ", std::nullopt },
                 { "Favorite" } },
             Row { "a nameless record before one", { std::nullopt, "Note" }, { "Favorite", "Note" } },
             Row { "twice the same tool", { "Pomodoro", "Pomodoro" }, { "Favorite", "Pomodoro" } },
             Row { "every tool", { "Todo", "Note", "Pomodoro", "FastFinder", "Pasteboard" }, all },
         }) {
        std::vector<Record> records;
        for (const auto& name : row.names)
            records.push_back(plugin(name));
        EXPECT_EQ(titles(toolHubEntries(records)), row.shown) << row.meaning;
    }
    const auto tags = toolHubEntries(
        { plugin("Todo"), plugin("Note"), plugin("Pomodoro"), plugin("FastFinder"), plugin("Pasteboard") });
    std::vector<int> numbers;
    for (const ToolHubEntry& entry : tags)
        numbers.push_back(entry.tag);
    EXPECT_EQ(numbers, (std::vector<int> { 1, 5, 6, 7, 8, 9 }));
}

class ToolHub : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store) << store.error().toStdString(); }
    void install(const QString& name)
    {
        ASSERT_TRUE(store->insert(Entity::Plugins, { { "name", name }, { "installed", true } }));
        ASSERT_TRUE(store->save());
    }
    // Pages that say which entry they belong to, counted as they are made.
    ToolHubPages pages()
    {
        return [this](int tag) {
            ++made[tag];
            return new QLabel(QString::number(tag));
        };
    }
    std::optional<QString> highlighted(const SettingView& hub) const
    {
        const QList<QListWidgetItem*> chosen = hub.sidebar()->selectedItems();
        return chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen.front()->text());
    }
    void chooseRow(SettingView& hub, const QString& title)
    {
        const auto found = hub.sidebar()->findItems(title, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        hub.sidebar()->setCurrentItem(found.front());
    }

    orbitshelf::test::TempUserDefaults defaults;
    orbitshelf::test::TempObjectStore store;
    AppState state;
    std::map<int, int> made;
};

TEST_F(ToolHub, FirstUseShowsTheFavoritesAndAChoiceIsKeptForTheNextOpening)
{
    install("Note");
    {
        SettingView hub(state, *store, pages());
        hub.show();
        EXPECT_EQ(state.settings.persistSelection(), 4);
        EXPECT_EQ(highlighted(hub), std::nullopt);
        EXPECT_EQ(hub.shownPage(), 1);
        EXPECT_EQ(hub.size(), QSize(800, 450));

        chooseRow(hub, "Note");
        EXPECT_EQ(state.settings.persistSelection(), 8);
        EXPECT_EQ(hub.shownPage(), 8);
    }
    SettingView next(state, *store, pages());
    next.show();
    EXPECT_EQ(highlighted(next), "Note");
    EXPECT_EQ(next.shownPage(), 8);
    EXPECT_EQ(made[8], 2) << "one notes page per opening";
}

TEST_F(ToolHub, AStoredToolNoLongerInstalledShowsTheFavorites)
{
    state.settings.setPersistSelection(5);
    SettingView hub(state, *store, pages());
    hub.show();
    EXPECT_EQ(highlighted(hub), std::nullopt);
    EXPECT_EQ(hub.shownPage(), 1);
    EXPECT_EQ(made.count(5), 0u);
}

TEST_F(ToolHub, AnEmptySelectionStoresTheFavorites)
{
    install("Pomodoro");
    state.settings.setPersistSelection(7);
    SettingView hub(state, *store, pages());
    hub.show();
    EXPECT_EQ(highlighted(hub), "Pomodoro");
    hub.sidebar()->clearSelection();
    EXPECT_EQ(hub.selection(), std::nullopt);
    EXPECT_EQ(state.settings.persistSelection(), 1);
    EXPECT_EQ(hub.shownPage(), 1);
}

TEST_F(ToolHub, AToolInstalledWhileOpenAppears)
{
    state.settings.setPersistSelection(6);
    SettingView hub(state, *store, pages());
    hub.show();
    EXPECT_EQ(titles(hub.entries()), QStringList { "Favorite" });
    install("FastFinder");
    EXPECT_EQ(titles(hub.entries()), (QStringList { "Favorite", "Finder" }));
    EXPECT_EQ(hub.sidebar()->count(), 2);
    EXPECT_EQ(highlighted(hub), "Finder") << "the stored choice comes back with its tool";
    EXPECT_EQ(hub.shownPage(), 6);

    // A Todo entry opens the folder browser, made apart from Finder's.
    install("Todo");
    chooseRow(hub, "Todo");
    EXPECT_EQ(hub.shownPage(), 9);
    EXPECT_EQ(state.settings.persistSelection(), 9);
}

} // namespace

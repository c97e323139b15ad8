#include "state/Alerts.h"
#include "state/AppState.h"
#include "network/FeatureViewTracker.h"
#include "tests/support/TempStores.h"
#include "tools/NoteView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(NoteTitle, ShowsFifteenUserPerceivedCharactersAfterABlankAndSaysWhenTheTextGoesOn)
{
    const QString accented = QStringLiteral("e\u0301");
    const QString flag = QStringLiteral("\U0001F1EB\U0001F1F7");
    struct Row {
        std::optional<QString> content;
        QString title;
    };
    for (const Row& row : {
             Row { std::nullopt, " untitled" },
             Row { "", " untitled" },
             Row { "abc", " abc" },
             Row { "123456789012345", " 123456789012345" },
             Row { "1234567890123456", " 123456789012345…" },
             Row { accented.repeated(16), " " + accented.repeated(15) + "…" },
             Row { flag.repeated(16), " " + flag.repeated(15) + "…" },
             Row { "one\ntwo", " one\ntwo" },
         })
        EXPECT_EQ(noteTitle(row.content), row.title) << row.content.value_or("(absent)").toStdString();
}

TEST(NoteEditorWidth, LeavesTheListTwoHundredWhenThereIsRoom)
{
    EXPECT_EQ(noteEditorWidth(1000), 800);
    EXPECT_EQ(noteEditorWidth(201), 1);
    EXPECT_EQ(noteEditorWidth(200), 200);
    EXPECT_EQ(noteEditorWidth(150), 150);
}

class Notes : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(store) << store.error().toStdString();
        setAlertPresenter([this](const QString& message, const QString&) { alerts << message; });
    }
    void TearDown() override { setAlertPresenter({}); }

    void addNote(const QString& content, const QString& id, const QDateTime& created = {})
    {
        QVariantMap values { { "content", content }, { "id", id }, { "tag", "Default" } };
        if (created.isValid())
            values.insert("createAt", created);
        ASSERT_TRUE(store->insert(Entity::Note, values));
        ASSERT_TRUE(store->save());
    }
    std::vector<Record> notes() const { return store->fetchAll(Entity::Note); }
    std::optional<Record> noteWithId(const QString& id) const
    {
        for (const Record& r : notes())
            if (r.text("id") == id)
                return r;
        return std::nullopt;
    }
    // Makes the store refuse every change to notes, as a full disk would.
    void refuseNoteChanges()
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "refusing");
        other.setDatabaseName(store.path());
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        for (const char* when : { "INSERT", "UPDATE", "DELETE" })
            ASSERT_TRUE(q.exec(QString("CREATE TRIGGER refuse_%1 BEFORE %1 ON \"Note\" BEGIN "
                                       "SELECT RAISE(ABORT, 'refused'); END")
                                   .arg(when)));
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase("refusing");
    }
    void key(NoteView& view, int code, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
        QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
        QApplication::sendEvent(view.editor(), &press);
        QApplication::sendEvent(view.editor(), &release);
    }
    void type(NoteView& view, const QString& text)
    {
        for (const QChar c : text)
            key(view, Qt::Key_A, QString(c));
    }
    QStringList rowTitles(const NoteView& view) const
    {
        QStringList titles;
        for (int row = 0; row < view.list()->model()->rowCount(); ++row)
            titles << view.list()->model()->index(row, 0).data().toString();
        return titles;
    }
    void tap(NoteView& view, int row)
    {
        const QRect at = view.list()->visualRect(view.list()->model()->index(row, 0));
        const QPointF point = at.center();
        QMouseEvent press(QEvent::MouseButtonPress, point, view.list()->viewport()->mapToGlobal(point),
            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, point, view.list()->viewport()->mapToGlobal(point),
            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.list()->viewport(), &press);
        QApplication::sendEvent(view.list()->viewport(), &release);
    }

    orbitshelf::test::TempUserDefaults defaults;
    orbitshelf::test::TempObjectStore store;
    AppState state;
    QStringList alerts;
};

TEST_F(Notes, AnEmptyDraftIsNeverStored)
{
    addNote("stored", "AAAAAA");
    NoteView view(state, *store);
    view.resize(800, 450);
    view.show();
    view.newNoteButton()->click();
    EXPECT_EQ(notes().size(), 1u);

    tap(view, 0);
    EXPECT_EQ(notes().size(), 1u) << "a tap with an empty draft stores nothing";
    EXPECT_EQ(view.editor()->toPlainText(), "stored");
    EXPECT_EQ(state.note.id(), "AAAAAA");
}

TEST_F(Notes, NewNoteStoresTheDraftAndStartsAnEmptyOne)
{
    NoteView view(state, *store);
    view.show();
    type(view, "abc");
    EXPECT_TRUE(notes().empty()) << "typing a new draft stores nothing";
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
    view.newNoteButton()->click();

    ASSERT_EQ(notes().size(), 1u);
    const Record note = notes().front();
    EXPECT_EQ(note.text("content"), "abc");
    EXPECT_EQ(note.text("tag"), "Default");
    EXPECT_TRUE(QRegularExpression("^[0-9A-Za-z]{6}$").match(note.text("id").value_or("")).hasMatch());
    const QDateTime created = note.value("createAt").toDateTime();
    EXPECT_GE(created, before);
    EXPECT_LE(created, QDateTime::currentDateTimeUtc());
    EXPECT_EQ(rowTitles(view), QStringList { " abc" });
    EXPECT_EQ(view.editor()->toPlainText(), "");
    EXPECT_EQ(state.note.content(), "");
    EXPECT_EQ(state.note.id(), "");
}

TEST_F(Notes, ATapStoresTheDraftThenTypingRewritesOnlyThatNote)
{
    const QDateTime created = QDateTime::currentDateTimeUtc().addDays(-3);
    addNote("first", "AAAAAA", created);
    addNote("second", "BBBBBB", created);
    NoteView view(state, *store);
    view.resize(800, 450);
    view.show();
    type(view, "draft");
    tap(view, 1);

    ASSERT_EQ(notes().size(), 3u) << "the new draft became a note";
    EXPECT_EQ(notes()[2].text("content"), "draft");
    EXPECT_EQ(view.editor()->toPlainText(), "second");
    EXPECT_EQ(state.note.id(), "BBBBBB");

    int resets = 0, rows = 0;
    QObject::connect(&view.model(), &NoteModel::notesReset, [&] { ++resets; });
    QObject::connect(&view.model(), &NoteModel::noteChanged, [&] { ++rows; });
    view.editor()->moveCursor(QTextCursor::End);
    type(view, "!");
    EXPECT_EQ(noteWithId("BBBBBB")->text("content"), "second!");
    EXPECT_EQ(noteWithId("BBBBBB")->value("createAt").toDateTime(), created);
    EXPECT_FALSE(noteWithId("BBBBBB")->value("updateAt").isValid());
    EXPECT_EQ(noteWithId("AAAAAA")->text("content"), "first");
    EXPECT_EQ(notes()[2].text("content"), "draft");
    EXPECT_EQ(resets, 0) << "a keystroke redraws its row, not the list";
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(rowTitles(view)[1], " second!");
}

TEST_F(Notes, TheDraftSurvivesClosingAndRestarting)
{
    addNote("same", "AAAAAA");
    addNote("same", "BBBBBB");
    FeatureViewTracker::shared().pageViewsDict.clear();
    {
        NoteView view(state, *store);
        view.show();
        EXPECT_TRUE(FeatureViewTracker::shared().pageViewsDict.contains("NoteView"));
        EXPECT_EQ(rowTitles(view), (QStringList { " same", " same" })) << "equal texts are two rows";
        type(view, "unfinished");
    }
    EXPECT_EQ(notes().size(), 2u);
    AppState restarted;
    NoteView again(restarted, *store);
    again.show();
    EXPECT_EQ(again.editor()->toPlainText(), "unfinished");
    EXPECT_EQ(restarted.note.content(), "unfinished");
}

// The hub's notes and the bar's note panel edit one draft: the one opening
// while the other closes shows what was just typed there, and what it then
// writes does not take that typing back.
TEST_F(Notes, ASecondViewOfTheDraftShowsWhatTheFirstHasNotWrittenYet)
{
    NoteView hub(state, *store);
    hub.show();
    type(hub, "typed just now");
    NoteView panel(state, *store);
    panel.show();
    EXPECT_EQ(panel.editor()->toPlainText(), "typed just now");
    hub.close();
    panel.model().saveNote();
    ASSERT_EQ(notes().size(), 1u);
    EXPECT_EQ(notes().front().text("content"), "typed just now");
}

TEST_F(Notes, TheEditorTakesTheWidthLessTheList)
{
    NoteView view(state, *store);
    view.resize(1000, 450);
    view.show();
    EXPECT_EQ(view.editor()->maximumWidth(), 800);
    view.resize(600, 450);
    EXPECT_EQ(view.editor()->maximumWidth(), 400) << "the width the hub gives the notes";
    QCoreApplication::processEvents();
    EXPECT_EQ(view.editor()->width(), 400) << "the list gives way to the editor";
}

TEST_F(Notes, RemovingTheOpenNoteKeepsItsTextAsANewDraft)
{
    addNote("keep me", "AAAAAA");
    addNote("other", "BBBBBB");
    NoteView view(state, *store);
    view.show();
    view.model().openNote(notes()[0]);

    view.model().removeNote(notes()[1]);
    EXPECT_EQ(notes().size(), 1u);
    EXPECT_EQ(state.note.id(), "AAAAAA") << "removing another note leaves the editor";
    EXPECT_EQ(view.editor()->toPlainText(), "keep me");

    view.model().removeNote(notes()[0]);
    EXPECT_TRUE(notes().empty());
    EXPECT_EQ(state.note.id(), "");
    EXPECT_EQ(view.editor()->toPlainText(), "keep me");
    type(view, "!");
    EXPECT_TRUE(notes().empty()) << "the unbound draft is typed into, not saved";
    view.newNoteButton()->click();
    ASSERT_EQ(notes().size(), 1u);
    EXPECT_EQ(notes()[0].text("content"), "!keep me");
}

TEST_F(Notes, AnEmptiedNoteIsStoredEmptyAndNewNoteUnbindsIt)
{
    addNote("gone soon", "AAAAAA");
    NoteView view(state, *store);
    view.show();
    view.model().openNote(notes()[0]);
    view.editor()->selectAll();
    key(view, Qt::Key_Delete);

    EXPECT_EQ(notes()[0].text("content"), "");
    EXPECT_EQ(rowTitles(view), QStringList { " untitled" });
    view.newNoteButton()->click();
    EXPECT_EQ(state.note.id(), "");
    type(view, "fresh");
    EXPECT_EQ(notes()[0].text("content"), "") << "the next text is a new draft";
    view.newNoteButton()->click();
    EXPECT_EQ(notes().size(), 2u);
}

TEST_F(Notes, ANewKeyIsNeverOneAlreadyStored)
{
    addNote("taken", "AAAAAA");
    NoteView view(state, *store);
    QStringList draws { "AAAAAA", "AAAAAA", "BBBBBB" };
    view.model().setIdSource([&] { return draws.takeFirst(); });
    view.model().noteTextChanged("new");
    view.model().newNote();
    ASSERT_EQ(notes().size(), 2u);
    EXPECT_EQ(notes()[1].text("id"), "BBBBBB");
}

TEST_F(Notes, ADraftTheStoreRefusesStaysInTheEditor)
{
    addNote("stored", "AAAAAA");
    NoteView view(state, *store);
    view.show();
    refuseNoteChanges();
    type(view, "precious");

    view.newNoteButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(view.editor()->toPlainText(), "precious");
    EXPECT_EQ(state.note.content(), "precious");
    EXPECT_EQ(alerts, QStringList { "The note could not be saved." });

    view.model().openNote(notes()[0]);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.editor()->toPlainText(), "precious");
    EXPECT_EQ(state.note.id(), "");
    EXPECT_EQ(alerts.size(), 2);
    EXPECT_EQ(notes().size(), 1u);
}

} // namespace

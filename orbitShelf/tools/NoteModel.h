#pragma once

#include "state/Persistence.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

class AppState;

// What a note's row shows: a blank and the first 15 user-perceived
// characters of its text, and "…" when the text goes on; " untitled" for no
// text.
QString noteTitle(const std::optional<QString>& content);

// The editor's width in a panel of `width`: 200 less while that leaves room.
double noteEditorWidth(double width);

// The notes tool without its widgets: the stored notes as the list shows
// them, and the draft (AppState's note, kept in the user defaults) that the
// editor edits. A new draft (no id) lives in the user defaults only; a bound
// draft is written into its note on every change.
class NoteModel final : public QObject {
    Q_OBJECT
public:
    NoteModel(AppState& state, PersistenceController& store, QObject* parent = nullptr);
    ~NoteModel() override;

    // The stored notes in the store's order.
    const std::vector<Record>& notes() const { return m_notes; }
    // The row of a stored note, by its object id.
    std::optional<int> rowOf(qint64 objectId) const;

    // Stores the draft: a new draft as a new note, a bound draft into its
    // note. True when it is stored or there is nothing to store.
    bool saveNote();
    // "New Note": stores a non-empty draft and starts an empty new one.
    void newNote();
    // A tap on a row: stores the draft, then edits that note. Notes are
    // taken by value: storing reads the list again.
    void openNote(Record note);
    // "Remove" on a row. Removing the note being edited keeps its text as a
    // new draft, so "New Note" can still store it.
    void removeNote(Record note);
    // Every change of the editor's text, typed or set.
    void noteTextChanged(const QString& text);
    // The text the editor shows when its column comes on screen, with what
    // was typed into another model's editor of the same draft.
    QString draftText() const;

    // Draws note keys; the default draws six random letters and digits.
    void setIdSource(std::function<QString()> source) { m_drawId = std::move(source); }

signals:
    // The whole list was read again.
    void notesReset();
    // One stored note's text changed; only its row needs drawing.
    void noteChanged(int row);
    // The editor must show this text (a note opened, a new draft begun).
    void editorTextReplaced(const QString& text);

private:
    // Typing never inserts: a new draft stays in the user defaults until it
    // is replaced.
    enum class SaveFor { Typing, Replacing };
    bool store(SaveFor why);
    void reload();
    QString unusedId() const;
    // Stores the draft before it is replaced; says so when it cannot.
    bool storeBeforeReplacing();
    void replaceDraft(const QString& content, const QString& id);
    QString draftContent() const;
    void writeDraftText();

    AppState& m_state;
    PersistenceController& m_store;
    std::vector<Record> m_notes;
    QHash<qint64, int> m_rows;
    std::function<QString()> m_drawId;
    // Set while a keystroke's own save runs: its change notice updates one
    // row instead of reading the whole list again.
    std::optional<qint64> m_savingOneNote;
    QString m_savingText;
    // The typed text reaches the user defaults at most half a second later:
    // their file is rewritten and flushed to the disk on every write, which
    // takes longer than a keystroke may.
    std::optional<QString> m_unwrittenText;
    QTimer m_draftWrite;
};

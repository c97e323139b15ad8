#pragma once

#include "state/Persistence.h"
#include "tools/NoteModel.h"

#include <QAbstractListModel>
#include <QFontMetrics>
#include <QWidget>

class AppState;
class QListView;
class QPlainTextEdit;
class QPushButton;

// A row's title in `width` pixels: on one line, ended by "…" when it does
// not fit.
QString noteRowTitle(const QString& title, const QFontMetrics& metrics, int width);

// The stored notes as the list shows them: one title per note.
class NoteListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit NoteListModel(const NoteModel& notes, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    const NoteModel& m_notes;
};

// The notes tool: the stored notes beside an editor of the draft.
class NoteView final : public QWidget {
    Q_OBJECT
public:
    NoteView(AppState& state, PersistenceController& store = PersistenceController::shared(),
        QWidget* parent = nullptr);

    NoteModel& model() { return m_model; }
    QListView* list() const { return m_list; }
    QPlainTextEdit* editor() const { return m_editor; }
    QPushButton* newNoteButton() const { return m_newNote; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void loadDraft();
    void fitEditor();
    void showRowMenu(const QPoint& at);

    NoteModel m_model;
    NoteListModel* m_rows;
    QListView* m_list;
    QPushButton* m_newNote;
    QWidget* m_editorColumn;
    QWidget* m_card;
    QPlainTextEdit* m_editor;
};

// A notes panel for a host (the tool hub), or a label saying why there is
// none when the store is not open.
QWidget* makeNoteView(AppState& state);

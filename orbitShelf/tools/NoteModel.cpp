#include "tools/NoteModel.h"

#include "state/Alerts.h"
#include "state/AppState.h"
#include "state/Logging.h"
#include "state/QuitSaving.h"
#include "state/RandomString.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextBoundaryFinder>
#include <QTimer>

QString noteTitle(const std::optional<QString>& content)
{
    if (!content || content->isEmpty())
        return QStringLiteral(" untitled");
    constexpr int shown = 15;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, *content);
    qsizetype end = 0;
    for (int count = 0; count < shown; ++count) {
        const qsizetype next = graphemes.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    // A title that stops short of the note says so.
    const bool more = end < content->size();
    return QLatin1Char(' ') + content->left(end) + (more ? QStringLiteral("…") : QString());
}

double noteEditorWidth(double width)
{
    return width > 200 ? width - 200 : width;
}

namespace {

// The live models, on the main thread only. The hub's notes and the bar's
// note panel each have one over the same draft, and the one opening can
// come while the one closing still holds typing it has not written yet.
std::vector<NoteModel*>& liveModels()
{
    static std::vector<NoteModel*> models;
    return models;
}

} // namespace

NoteModel::NoteModel(AppState& state, PersistenceController& store, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_store(store)
    , m_drawId(&randomString)
{
    liveModels().push_back(this);
    m_draftWrite.setSingleShot(true);
    m_draftWrite.setInterval(500);
    connect(&m_draftWrite, &QTimer::timeout, this, &NoteModel::writeDraftText);
    connect(&QuitSaving::shared(), &QuitSaving::saving, this, &NoteModel::writeDraftText);
    connect(&m_store, &PersistenceController::entityChanged, this, [this](Entity entity) {
        if (entity != Entity::Note)
            return;
        if (m_savingOneNote) {
            if (const auto row = rowOf(*m_savingOneNote)) {
                m_notes[*row].values.insert(QStringLiteral("content"), m_savingText);
                emit noteChanged(*row);
                return;
            }
        }
        reload();
    });
    reload();
}

NoteModel::~NoteModel()
{
    writeDraftText();
    std::erase(liveModels(), this);
}

QString NoteModel::draftContent() const
{
    return m_unwrittenText.value_or(m_state.note.content());
}

void NoteModel::writeDraftText()
{
    m_draftWrite.stop();
    if (m_unwrittenText)
        m_state.note.setContent(*std::exchange(m_unwrittenText, std::nullopt));
}

std::optional<int> NoteModel::rowOf(qint64 objectId) const
{
    const auto it = m_rows.constFind(objectId);
    return it == m_rows.cend() ? std::nullopt : std::optional<int>(*it);
}

void NoteModel::reload()
{
    m_notes = m_store.fetchAll(Entity::Note);
    m_rows.clear();
    m_rows.reserve(qsizetype(m_notes.size()));
    for (size_t i = 0; i < m_notes.size(); ++i)
        m_rows.insert(m_notes[i].objectId, int(i));
    emit notesReset();
}

QString NoteModel::unusedId() const
{
    // Keys are six random characters, so two notes could draw the same one
    // and a bound draft would then write into the wrong note.
    for (;;) {
        const QString id = m_drawId();
        FetchRequest taken { Entity::Note, { { QStringLiteral("id"), id } }, {}, 1 };
        const auto found = m_store.fetch(taken);
        if (found && found->empty())
            return id;
        if (!found)
            return id; // the store cannot be read; its save will fail and say so
    }
}

bool NoteModel::saveNote()
{
    return store(SaveFor::Replacing);
}

bool NoteModel::store(SaveFor why)
{
    const CustomNote& draft = m_state.note;
    const QString content = draftContent();
    QString id = draft.id();
    if (!id.isEmpty()) {
        FetchRequest own { Entity::Note, { { QStringLiteral("id"), id } }, {}, 1 };
        const auto found = m_store.fetch(own);
        if (!found)
            return false;
        if (!found->empty()) {
            // An emptied note is stored empty: keeping its old text would
            // bring back what the user erased.
            if (!m_store.update(found->front(), { { QStringLiteral("content"), content } }))
                return false;
            m_savingOneNote = found->front().objectId;
            m_savingText = content;
            const bool saved = m_store.save();
            m_savingOneNote.reset();
            if (!saved)
                qCWarning(lcStore) << "the note being edited could not be saved; its text stays in the draft";
            return saved;
        }
        // Its note is gone: the text is a new draft again, not lost.
        qCInfo(lcStore) << "the note of the draft no longer exists; the draft becomes a new note";
        draft.setId(QString());
        id.clear();
        if (why == SaveFor::Typing)
            return true;
    }
    if (content.isEmpty())
        return true;
    const QVariantMap values { { QStringLiteral("content"), content }, { QStringLiteral("id"), unusedId() },
        { QStringLiteral("tag"), QStringLiteral("Default") },
        { QStringLiteral("createAt"), QDateTime::currentDateTimeUtc() } };
    return m_store.insert(Entity::Note, values) && m_store.save();
}

bool NoteModel::storeBeforeReplacing()
{
    // Whatever happens to the store, the text is kept in the user defaults.
    writeDraftText();
    if (saveNote())
        return true;
    // After this action returns: the alert takes the focus, which closes the
    // panel that hosts the notes, and with it this model.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        showAlert(QCoreApplication::translate("NoteView", "The note could not be saved."),
            QCoreApplication::translate("NoteView", "Its text stays in the editor."));
    });
    return false;
}

void NoteModel::replaceDraft(const QString& content, const QString& id)
{
    // The id first: setting the editor's text runs the change handler at
    // once, which writes into the note the draft is bound to.
    m_draftWrite.stop();
    m_unwrittenText.reset();
    m_state.note.setId(id);
    m_state.note.setContent(content);
    emit editorTextReplaced(content);
    m_state.publish();
}

void NoteModel::newNote()
{
    // An emptied note's draft is unbound so the next text starts a new note.
    if (draftContent().isEmpty() && m_state.note.id().isEmpty())
        return;
    if (!storeBeforeReplacing())
        return;
    replaceDraft(QString(), QString());
}

void NoteModel::openNote(Record note)
{
    if (!storeBeforeReplacing())
        return;
    replaceDraft(note.text(QStringLiteral("content")).value_or(QString()),
        note.text(QStringLiteral("id")).value_or(QString()));
}

void NoteModel::removeNote(Record note)
{
    m_store.remove(note);
    if (!m_store.save())
        return;
    const QString id = m_state.note.id();
    if (id.isEmpty() || note.text(QStringLiteral("id")) != id)
        return;
    // The editor keeps the text of the note it showed: unbound, it is a new
    // draft that "New Note" stores again.
    FetchRequest same { Entity::Note, { { QStringLiteral("id"), id } }, {}, 1 };
    const auto left = m_store.fetch(same);
    if (left && left->empty())
        m_state.note.setId(QString());
}

void NoteModel::noteTextChanged(const QString& text)
{
    m_unwrittenText = text;
    if (!m_draftWrite.isActive())
        m_draftWrite.start();
    if (!m_state.note.id().isEmpty())
        store(SaveFor::Typing);
}

QString NoteModel::draftText() const
{
    for (NoteModel* other : liveModels())
        if (other != this && &other->m_state == &m_state)
            other->writeDraftText();
    return draftContent();
}

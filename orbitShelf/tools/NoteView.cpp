#include "tools/NoteView.h"

#include "state/AppState.h"
#include "network/ServiceRequests.h"

#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QLoggingCategory>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

static Q_LOGGING_CATEGORY(lcNotes, "orbitshelf.tools.notes", QtInfoMsg)

namespace {

constexpr double editorHeight = 400;
constexpr int editorPadding = 5;
constexpr int cardPadding = 10;

QFrame* divider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFixedHeight(1);
    line->setStyleSheet(QStringLiteral("background: rgba(255, 255, 255, 40); border: none;"));
    return line;
}

} // namespace

QString noteRowTitle(const QString& title, const QFontMetrics& metrics, int width)
{
    // One line of the title; a longer one ends in "…" at the row's edge.
    QString line = title;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return metrics.elidedText(line, Qt::ElideRight, width);
}

namespace {

// A title on one line over a divider.
class NoteRowDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return QSize(option.rect.width(), option.fontMetrics.height() + 13);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        if (option.state & QStyle::State_MouseOver)
            painter->fillRect(option.rect, QColor(255, 255, 255, 20));
        const QRect text = option.rect.adjusted(4, 0, -4, -1);
        painter->setPen(Qt::white);
        // A title keeps its line breaks; the row shows one line of it.
        const QString title = index.data(Qt::DisplayRole).toString();
        // Too long for the row, it ends in "…" rather than at the row's edge.
        painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            noteRowTitle(title, option.fontMetrics, text.width()));
        painter->fillRect(QRect(option.rect.left(), option.rect.bottom(), option.rect.width(), 1),
            QColor(255, 255, 255, 40));
        painter->restore();
    }
};

// The rounded, shadowed card the editor sits on; the editor draws no
// background of its own, so the card shows through behind the text.
class NoteCard final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF card = QRectF(rect()).adjusted(0, 0, -3, -3);
        // The shadow: black at 0.2, spread over about five points, 3 right and 3 down.
        for (int ring = 5; ring >= 1; --ring) {
            QPainterPath shade;
            shade.addRoundedRect(
                card.translated(3, 3).adjusted(-ring / 2.0, -ring / 2.0, ring / 2.0, ring / 2.0),
                5 + ring / 2.0, 5 + ring / 2.0);
            painter.fillPath(shade, QColor(0, 0, 0, int(0.2 * 255 / 5)));
        }
        QPainterPath shape;
        shape.addRoundedRect(card, 5, 5);
        painter.fillPath(shape, QColor(87, 101, 116, int(0.8 * 255)));
    }
};

// The editor's column asks for the width of what it holds. A plain scroll
// area keeps the first size hint of its content and caps it, so a column
// made narrow would stay narrow when the editor widens.
class EditorColumn final : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

} // namespace

NoteListModel::NoteListModel(const NoteModel& notes, QObject* parent)
    : QAbstractListModel(parent)
    , m_notes(notes)
{
    connect(&notes, &NoteModel::notesReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&notes, &NoteModel::noteChanged, this, [this](int row) {
        const QModelIndex changed = index(row);
        emit dataChanged(changed, changed, { Qt::DisplayRole });
    });
}

int NoteListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_notes.notes().size());
}

QVariant NoteListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= m_notes.notes().size())
        return {};
    return noteTitle(m_notes.notes()[size_t(index.row())].text(QStringLiteral("content")));
}

NoteView::NoteView(AppState& state, PersistenceController& store, QWidget* parent)
    : QWidget(parent)
    , m_model(state, store)
{
    setObjectName(QStringLiteral("NoteView"));
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(4, 4, 0, 0);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(4);
    leftLayout->addWidget(divider(left));
    m_newNote = new QPushButton(tr("New Note"), left);
    m_newNote->setFlat(true);
    m_newNote->setCursor(Qt::PointingHandCursor);
    m_newNote->setStyleSheet(QStringLiteral("QPushButton { color: white; border: none; padding: 4px; }"));
    leftLayout->addWidget(m_newNote);
    leftLayout->addWidget(divider(left));
    m_rows = new NoteListModel(m_model, this);
    m_list = new QListView(left);
    m_list->setModel(m_rows);
    m_list->setItemDelegate(new NoteRowDelegate(m_list));
    // Every row is one line high: the view lays out thousands at once.
    m_list->setUniformItemSizes(true);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setMouseTracking(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setStyleSheet(QStringLiteral("QListView { background: transparent; }"));
    // The editor's column asks for the card's width and the list takes what
    // is left, without either setting a minimum for the panel.
    m_list->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    left->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    leftLayout->addWidget(m_list, 1);
    columns->addWidget(left);

    auto* right = new EditorColumn(this);
    m_editorColumn = right;
    right->setFrameShape(QFrame::NoFrame);
    right->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    right->setWidgetResizable(true);
    right->viewport()->setAutoFillBackground(false);
    auto* holder = new QWidget(right);
    auto* holderLayout = new QHBoxLayout(holder);
    holderLayout->setContentsMargins(cardPadding, cardPadding, cardPadding, cardPadding);
    m_card = new NoteCard(holder);
    auto* cardLayout = new QVBoxLayout(m_card);
    cardLayout->setContentsMargins(editorPadding, editorPadding, editorPadding + 3, editorPadding + 3);
    m_editor = new QPlainTextEdit(m_card);
    m_editor->setObjectName(QStringLiteral("NoteEditor"));
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setFixedHeight(int(editorHeight));
    m_editor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; color: white; }"));
    m_editor->viewport()->setAutoFillBackground(false);
    cardLayout->addWidget(m_editor);
    holderLayout->addWidget(m_card, 0, Qt::AlignVCenter);
    right->setWidget(holder);
    // The scroll area fills what it holds with the palette's window colour:
    // the host's ground shows instead, as around the list (the hub and the
    // bar's panel have grounds of their own).
    holder->setAutoFillBackground(false);
    right->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    columns->addWidget(right);

    connect(m_newNote, &QPushButton::clicked, &m_model, &NoteModel::newNote);
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (size_t(index.row()) < m_model.notes().size())
            m_model.openNote(m_model.notes()[size_t(index.row())]);
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteView::showRowMenu);
    connect(&m_model, &NoteModel::editorTextReplaced, m_editor, &QPlainTextEdit::setPlainText);
    // Typed or set, every change goes through the model.
    connect(m_editor, &QPlainTextEdit::textChanged, this,
        [this] { m_model.noteTextChanged(m_editor->toPlainText()); });
    fitEditor();
}

void NoteView::showRowMenu(const QPoint& at)
{
    const QModelIndex index = m_list->indexAt(at);
    if (!index.isValid() || size_t(index.row()) >= m_model.notes().size())
        return;
    const Record note = m_model.notes()[size_t(index.row())];
    // The menu runs its own loop, in which the hosting panel may close and
    // take this view with it.
    QPointer<NoteView> alive(this);
    QMenu menu;
    menu.setPalette(palette());
    QAction* remove = menu.addAction(tr("Remove"));
    QAction* chosen = menu.exec(m_list->viewport()->mapToGlobal(at));
    if (alive && chosen == remove)
        m_model.removeNote(note);
}

void NoteView::fitEditor()
{
    const int editorWidth = int(noteEditorWidth(width()));
    m_editor->setFixedWidth(editorWidth);
    m_editorColumn->updateGeometry();
}

void NoteView::loadDraft()
{
    fitEditor();
    m_editor->setPlainText(m_model.draftText());
    trackFeature(QStringLiteral("NoteView"));
}

void NoteView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    loadDraft();
    if (lcNotes().isDebugEnabled()) {
        // Where the editor stands once the host has laid the panel out.
        QTimer::singleShot(0, this, [this] {
            const QRect at(m_editor->mapToGlobal(QPoint(0, 0)), m_editor->size());
            qCDebug(lcNotes).noquote() << QStringLiteral("note editor at %1,%2 %3x%4")
                                              .arg(at.x())
                                              .arg(at.y())
                                              .arg(at.width())
                                              .arg(at.height());
        });
    }
}

void NoteView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitEditor();
}

QWidget* makeNoteView(AppState& state)
{
    if (!PersistenceController::hasShared()) {
        auto* label = new QLabel(NoteView::tr("The notes cannot be read: their store is not open."));
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    return new NoteView(state);
}

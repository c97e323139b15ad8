#include "tools/PasteBoardView.h"

#include "ToastOverlay/ToastOverlayPresenter.h"
#include "state/AppState.h"
#include "state/PasteboardRecord.h"
#include "state/TextFormats.h"
#include "apps/SupportFolder.h"
#include "network/ServiceRequests.h"
#include "tools/ToolPinButton.h"
#include "tools/ToolArtwork.h"
#include "tools/ToolPages.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

QRect pasteboardPictureRect(const QSize& picture, const QRect& box)
{
    if (picture.isEmpty())
        return {};
    QRect fitted(QPoint(0, 0), picture.scaled(box.size(), Qt::KeepAspectRatio));
    fitted.moveCenter(box.center());
    return fitted;
}

int pasteboardColumnsThatFit(int columns, int width)
{
    const int fit = (width + kPasteboardColumnSpacing) / (kPasteboardCardWidth + kPasteboardColumnSpacing);
    return std::clamp(fit, 1, std::max(columns, 1));
}

QString pasteboardSourceName(const QString& appName)
{
    // A copy made by a program without a window of its own (a command-line
    // tool) has no name to show; the card says so rather than stay blank.
    return appName.trimmed().isEmpty() ? PasteBoardView::tr("Unknown source") : appName;
}

namespace {

constexpr int kCardWidth = kPasteboardCardWidth;
constexpr int kCardHeight = 245;
constexpr int kColumnSpacing = kPasteboardColumnSpacing;
// Only the area and its viewport are see-through: a rule for every widget
// inside would reach the scroll bars and draw them as bare boxes.
const QString kClearScrollArea
    = QStringLiteral("QScrollArea, QScrollArea > QWidget#qt_scrollarea_viewport, #pasteboardTabs, #pasteboardGrid "
                     "{ background: transparent; }");
constexpr int kCardSpacing = 10;
const QRect kStarBox(195, 15, 20, 20);
const QRect kContentBox(15, 55, 200, 180);

// One card, drawn by hand so thousands stay cheap: the source icon and name,
// the star, and the item with its time. A tap on the star marks, a tap on
// the content copies.
class PasteboardCard final : public QWidget {
public:
    PasteboardCard(PasteBoardView& view, int index, QWidget* parent)
        : QWidget(parent)
        , m_view(view)
        , m_index(index)
    {
        setFixedSize(kCardWidth, kCardHeight);
        const Record& record = view.model().items()[size_t(index)];
        view.model().noteCardShown(record);
        m_isImage = record.flag(pasteboardField::isImage);
        if (m_isImage) {
            m_image = pasteboardCardImage(record.text(pasteboardField::image).value_or(QString()));
            if (m_image.isNull())
                m_image = finderImage(150);
        } else {
            m_text = trimmedPasteboardText(record.text(pasteboardField::text).value_or(QString()));
        }
        const auto icon = record.text(pasteboardField::fromAppImage);
        if (icon)
            m_icon.load(localPathFromStored(*icon));
        m_appName = pasteboardSourceName(record.text(pasteboardField::fromAppName).value_or(QString()));
        const QDateTime created = record.value(pasteboardField::create).toDateTime();
        m_time = formatDate(created.isValid() ? created.toLocalTime() : QDateTime::currentDateTime(),
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(rect()), 10, 10);
        p.setClipPath(outline);
        p.setPen(QPen(Qt::white, 4));
        p.drawPath(outline);

        int x = 15;
        if (!m_icon.isNull()) {
            p.drawImage(QRect(x, 12, 30, 30), m_icon);
            x += 36;
        }
        p.setPen(Qt::white);
        p.drawText(QRect(x, 12, kStarBox.left() - x - 4, 25), Qt::AlignVCenter | Qt::AlignLeft,
            fontMetrics().elidedText(m_appName, Qt::ElideRight, kStarBox.left() - x - 4));
        const Record& record = m_view.model().items()[size_t(m_index)];
        paintStar(
            p, QRectF(kStarBox), m_view.model().starLit(record) ? QColor(Qt::yellow) : QColor(Qt::white));

        p.setClipping(false);
        QPainterPath content;
        content.addRoundedRect(QRectF(kContentBox), 10, 10);
        p.fillPath(content.translated(0, 1), QColor(0, 0, 0, 84));
        p.fillPath(content, QColor(40, 40, 44));
        p.setClipPath(content);
        const QRect inner = kContentBox.adjusted(10, 10, -10, -10);
        if (m_isImage) {
            p.drawImage(pasteboardPictureRect(m_image.size(), QRect(inner.topLeft(), QSize(180, 130))), m_image);
        } else {
            p.setPen(Qt::white);
            p.drawText(inner.adjusted(0, 0, 0, -20), Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, m_text);
        }
        p.setPen(Qt::white);
        p.drawText(QRect(inner.left(), inner.bottom() - 18, inner.width(), 18), Qt::AlignCenter, m_time);
    }

    // The press is the card's: passed on, it would reach a host that moves
    // its window by a press on its background (the tool hub), and the move
    // takes the focus from the hub, which closes it.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint at = event->position().toPoint();
        if (kStarBox.adjusted(-6, -6, 6, 6).contains(at)) {
            m_view.toggleMark(m_index);
            update();
        } else if (kContentBox.contains(at)) {
            m_view.copyItem(m_index);
        }
    }

private:
    PasteBoardView& m_view;
    int m_index;
    bool m_isImage = false;
    QImage m_image;
    QImage m_icon;
    QString m_text;
    QString m_appName;
    QString m_time;
};

class TabLabel final : public QLabel {
public:
    TabLabel(const QString& text, std::function<void()> onTap)
        : QLabel(text)
        , m_onTap(std::move(onTap))
    {
        setCursor(Qt::PointingHandCursor);
        setStyleSheet(QStringLiteral("color: white; padding: 4px 0;"));
    }

protected:
    // Kept, as a card keeps its press: the hub would take it as the start
    // of a move and close.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_onTap();
    }

private:
    std::function<void()> m_onTap;
};

QFrame* divider()
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setStyleSheet(QStringLiteral("color: rgba(255,255,255,60);"));
    return line;
}

} // namespace

PasteBoardView::PasteBoardView(
    AppState& state, std::optional<int> column, int limit, PersistenceController& store, QWidget* parent)
    : QWidget(parent)
    , m_state(state)
    , m_model(store)
    , m_columns(pasteboardColumnCount(column))
    , m_limit(limit)
{
    setObjectName(QStringLiteral("PasteBoardView"));
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QStringLiteral("#PasteBoardView { background: rgba(30,30,34,235); border-radius: %1px; }")
                      .arg(toolCardRadius));
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(20, 20, 20, 20);

    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(tr("Pasteboard"));
    title->setStyleSheet(QStringLiteral("color: white;"));
    auto* pin = makeToolPinButton();
    connect(pin, &QToolButton::clicked, this, &PasteBoardView::togglePin);
    header->addWidget(title);
    header->addStretch();
    header->addWidget(pin);
    root->addLayout(header);

    auto* main = new QHBoxLayout;
    main->setSpacing(10);
    auto* tabArea = new QScrollArea;
    tabArea->setFixedWidth(200);
    tabArea->setWidgetResizable(true);
    tabArea->setFrameShape(QFrame::NoFrame);
    tabArea->setStyleSheet(kClearScrollArea);
    tabArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* tabHolder = new QWidget;
    tabHolder->setObjectName(QStringLiteral("pasteboardTabs"));
    m_tabs = new QVBoxLayout(tabHolder);
    tabArea->setWidget(tabHolder);

    m_gridArea = new QScrollArea;
    m_gridArea->setFrameShape(QFrame::NoFrame);
    m_gridArea->setStyleSheet(kClearScrollArea);
    // Narrow hosts (the tool hub, a bar's sheet on a small screen) show
    // fewer columns rather than a grid cut under a second scroll bar.
    m_gridArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_gridArea->setMinimumWidth(kCardWidth + m_gridArea->verticalScrollBar()->sizeHint().width());
    m_grid = new QWidget;
    m_grid->setObjectName(QStringLiteral("pasteboardGrid"));
    m_gridArea->setWidget(m_grid);
    connect(
        m_gridArea->verticalScrollBar(), &QScrollBar::valueChanged, this, &PasteBoardView::makeVisibleCards);
    m_gridArea->viewport()->installEventFilter(this);

    main->addWidget(tabArea);
    main->addWidget(m_gridArea, 1);
    root->addLayout(main, 1);

    ToastOverlayOptions options;
    options.duration = 2.0;
    options.alert = [] {
        ToastOverlay toast;
        toast.displayMode = ToastOverlay::DisplayMode::alert();
        toast.type = ToastOverlay::AlertType::regular();
        toast.title = tr("Copied!");
        return toast;
    };
    m_toast = toastOverlay(m_gridArea, std::move(options));
}

int PasteBoardView::cardsMade() const
{
    return int(std::count_if(m_cards.begin(), m_cards.end(), [](QWidget* card) { return card != nullptr; }));
}

QStringList PasteBoardView::tabTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (auto* label = qobject_cast<QLabel*>(m_tabs->itemAt(i)->widget()))
            texts << label->text();
    }
    return texts;
}

void PasteBoardView::copyItem(int index)
{
    if (index < 0 || index >= int(m_model.items().size()))
        return;
    if (!m_model.copyBack(m_model.items()[size_t(index)], m_writer))
        return;
    // A copy while "Copied!" still shows keeps it up and starts its time anew.
    m_toast->setPresenting(true);
    // Published, so the bar's sheet hears it and closes.
    m_state.popups[Tool::Pasteboard] = false;
    m_state.publish();
}

void PasteBoardView::toggleMark(int index)
{
    m_model.toggleMark(index);
}

void PasteBoardView::togglePin()
{
    togglePasteboardPin(m_state);
}

void PasteBoardView::showMarked()
{
    m_model.showMarked();
    rebuildGrid();
}

void PasteBoardView::showDay(const QString& name)
{
    m_model.showDay(name);
    rebuildGrid();
}

void PasteBoardView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    m_model.load();
    m_model.trim(m_limit);
    rebuildTabs();
    rebuildGrid();
    trackFeature(QStringLiteral("Pastboard"));
}

void PasteBoardView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (event->spontaneous())
        return;
    m_model.unload();
    rebuildGrid();
    m_state.popups[Tool::Pasteboard] = false;
}

bool PasteBoardView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_gridArea->viewport() && event->type() == QEvent::Resize) {
        if (pasteboardColumnsThatFit(m_columns, m_gridArea->viewport()->width()) != m_shownColumns)
            rebuildGrid();
        else
            makeVisibleCards();
    }
    return QWidget::eventFilter(watched, event);
}

void PasteBoardView::rebuildTabs()
{
    while (QLayoutItem* item = m_tabs->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_tabs->addWidget(new TabLabel(tr("Mark"), [this] { showMarked(); }));
    m_tabs->addWidget(divider());
    for (const QString& day : m_model.dayTabs()) {
        m_tabs->addWidget(new TabLabel(day, [this, day] { showDay(day); }));
        m_tabs->addWidget(divider());
    }
    m_tabs->addStretch();
}

void PasteBoardView::rebuildGrid()
{
    for (QWidget* card : m_cards)
        delete card;
    m_cards.assign(m_model.items().size(), nullptr);
    m_shownColumns = pasteboardColumnsThatFit(m_columns, m_gridArea->viewport()->width());
    const int rows = (int(m_cards.size()) + m_shownColumns - 1) / m_shownColumns;
    m_grid->setFixedSize(m_shownColumns * kCardWidth + (m_shownColumns - 1) * kColumnSpacing,
        std::max(0, rows * (kCardHeight + kCardSpacing) - kCardSpacing));
    m_gridArea->verticalScrollBar()->setValue(0);
    makeVisibleCards();
}

void PasteBoardView::makeVisibleCards()
{
    const int top = m_gridArea->verticalScrollBar()->value();
    const int bottom = top + std::max(m_gridArea->viewport()->height(), kCardHeight);
    const int rowHeight = kCardHeight + kCardSpacing;
    const int firstRow = top / rowHeight;
    const int lastRow = bottom / rowHeight;
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int c = 0; c < m_shownColumns; ++c) {
            const int index = row * m_shownColumns + c;
            if (index >= int(m_cards.size()))
                return;
            if (m_cards[size_t(index)])
                continue;
            auto* card = new PasteboardCard(*this, index, m_grid);
            card->move(c * (kCardWidth + kColumnSpacing), row * rowHeight);
            card->show();
            m_cards[size_t(index)] = card;
        }
    }
}

QWidget* makePasteBoardView(AppState& state, std::optional<int> column, int limit)
{
    // The store is opened at launch; a panel asked for without one says so
    // instead of reading through nothing.
    if (!PersistenceController::hasShared()) {
        auto* label = new QLabel(QStringLiteral("The clipboard history cannot be read: its store is not open."));
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    return new PasteBoardView(state, column, limit);
}

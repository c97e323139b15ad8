#include "tools/FastFinderView.h"

#include "ToastOverlay/ToastOverlayPresenter.h"
#include "state/AppState.h"
#include "tools/ToolArtwork.h"
#include "widgets/BlurView.h"

#include <QAbstractButton>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QShowEvent>
#include <QToolButton>

#include <algorithm>
#include <utility>

namespace {

constexpr int kRowSpacing = 16;
constexpr int kIconSide = 20;
constexpr int kCellHeight = kIconSide + 8;

QString shownName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return oneLineName(name.isEmpty() ? path : name);
}

// The star of a sidebar row; its colour says whether the folder is a favourite.
class StarButton final : public QAbstractButton {
public:
    StarButton(bool favourite, QWidget* parent)
        : QAbstractButton(parent)
        , m_favourite(favourite)
    {
        setFixedSize(16, 16);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(favourite ? QStringLiteral("favourite") : QStringLiteral("not favourite"));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        paintStar(painter, QRectF(rect()).adjusted(1, 1, -1, -1), starColor(m_favourite));
    }

private:
    bool m_favourite;
};

// A home or chain row: folder part, space, star, and a gray line along the
// bottom edge.
class SidebarRow final : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(0, height() - 1, width(), 1), Qt::gray);
    }
};

// A folder's name beside its icon that gives way to the row: the name is
// cut at its end with an ellipsis when the row is narrower than it needs
// (a home folder named after its owner's full name). text() stays whole.
class ElidingToolButton final : public QToolButton {
public:
    using QToolButton::QToolButton;

    QSize minimumSizeHint() const override
    {
        // The icon and an ellipsis: never less than a hint of the name.
        QSize least = sizeHint();
        const int name = fontMetrics().horizontalAdvance(text());
        least.setWidth(least.width() - name + std::min(name, fontMetrics().horizontalAdvance(QChar(0x2026))));
        return least;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        const int missing = sizeHint().width() - width();
        if (missing > 0)
            option.text = fontMetrics().elidedText(
                text(), Qt::ElideRight, fontMetrics().horizontalAdvance(text()) - missing);
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }
};

QToolButton* flatButton(const QIcon& icon, const QString& text, int iconSide, QWidget* parent)
{
    auto* button = new ElidingToolButton(parent);
    button->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setIcon(icon);
    button->setIconSize(QSize(iconSide, iconSide));
    button->setText(text);
    button->setStyleSheet(
        QStringLiteral("QToolButton { color: white; border: none; background: transparent; }"));
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// The folder's path on one line: elided in its middle when the toolbar is
// too narrow, so it ends at its own edge instead of running under the
// button. The text stays whole (and shows whole in the tooltip).
class PathLabel final : public QLabel {
public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override { return QSize(0, QLabel::minimumSizeHint().height()); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect box = contentsRect();
        painter.drawText(box, Qt::AlignVCenter | Qt::AlignLeft,
            fontMetrics().elidedText(text(), Qt::ElideMiddle, box.width()));
    }
};

// A grid cell: icon fitted into 20 × 20, the name on one line, a white
// rounded outline on the entry the pointer touched last.
class CellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        const QRectF cell = QRectF(option.rect).adjusted(1, 1, -4, -1);
        if (index.data(FastFinderGridModel::HighlightedRole).toBool()) {
            QPainterPath outline;
            outline.addRoundedRect(cell, 4, 4);
            painter->setPen(QPen(Qt::white, 1));
            painter->drawPath(outline);
        }
        const QRect iconBox(
            int(cell.left()) + 4, int(cell.center().y()) - kIconSide / 2, kIconSide, kIconSide);
        index.data(Qt::DecorationRole).value<QIcon>().paint(painter, iconBox);
        const QRect textBox(iconBox.right() + 6, int(cell.top()), int(cell.right()) - iconBox.right() - 10,
            int(cell.height()));
        painter->setPen(Qt::white);
        const QString name = index.data(Qt::DisplayRole).toString();
        painter->drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft,
            option.fontMetrics.elidedText(name, Qt::ElideRight, textBox.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(200, kCellHeight);
    }
};

// The grid: only the visible cells are laid out and painted; an unreadable
// folder says so in place of its entries.
class FinderGrid final : public QListView {
public:
    FinderGrid(const FastFinderModel& finder, QWidget* parent)
        : QListView(parent)
        , m_finder(finder)
    {
        setViewMode(QListView::ListMode);
        setFlow(QListView::LeftToRight);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setUniformItemSizes(true);
        setLayoutMode(QListView::Batched);
        setBatchSize(500);
        setMouseTracking(true);
        setSelectionMode(QAbstractItemView::NoSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        setFrameShape(QFrame::NoFrame);
        setStyleSheet(QStringLiteral("QListView { background: transparent; color: white; }"));
        setContentsMargins(10, 10, 10, 10);
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QListView::resizeEvent(event);
        const int columns = std::max(1, m_finder.columns());
        const int width = std::max(40, (viewport()->width() - 2) / columns);
        setGridSize(QSize(width, kCellHeight + kRowSpacing));
    }

    // One click enters a folder. Qt hands the second press of a double-click
    // to mouseDoubleClickEvent, whose default treats it as a new press when
    // another row lies under the pointer; after the first click that row is
    // one level further in, and a double-click would go two levels. The
    // second press and its release do nothing.
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        m_releaseEndsDoubleClick = true;
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (std::exchange(m_releaseEndsDoubleClick, false)) {
            event->accept();
            return;
        }
        QListView::mouseReleaseEvent(event);
    }

    void paintEvent(QPaintEvent* event) override
    {
        QListView::paintEvent(event);
        if (model() && model()->rowCount() > 0)
            return;
        QString text;
        if (m_finder.notAnswering())
            text = tr("This folder is not answering");
        else if (m_finder.listingError())
            text = tr("This folder cannot be read: %1").arg(*m_finder.listingError());
        else if (m_finder.loading())
            text = tr("Loading…");
        if (text.isEmpty())
            return;
        QPainter painter(viewport());
        painter.setPen(QColor(255, 255, 255, 180));
        painter.drawText(
            viewport()->rect().adjusted(10, 10, -10, -10), Qt::AlignCenter | Qt::TextWordWrap, text);
    }

private:
    const FastFinderModel& m_finder;
    bool m_releaseEndsDoubleClick = false;
};

} // namespace

FastFinderGridModel::FastFinderGridModel(const FastFinderModel& finder, QObject* parent)
    : QAbstractListModel(parent)
    , m_finder(finder)
{
    connect(&finder, &FastFinderModel::itemsChanged, this, &FastFinderGridModel::rebuild);
    connect(&finder, &FastFinderModel::thumbnailArrived, this, &FastFinderGridModel::thumbnailArrived);
    connect(&finder, &FastFinderModel::highlightChanged, this, &FastFinderGridModel::highlightChanged);
    rebuild();
}

int FastFinderGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_finder.items().size());
}

QVariant FastFinderGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_finder.items().size())
        return {};
    const FolderEntry& entry = m_finder.items().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return entry.displayName;
    case Qt::DecorationRole:
        if (const std::optional<QImage> thumbnail = m_finder.thumbnail(entry.path))
            return QIcon(QPixmap::fromImage(*thumbnail));
        return typeIcon(entry.iconName);
    case PathRole:
        return entry.path;
    case HighlightedRole:
        return !m_finder.currentUrl().isEmpty() && entry.path == m_finder.currentUrl();
    default:
        return {};
    }
}

QIcon FastFinderGridModel::typeIcon(const QString& iconName) const
{
    const auto found = m_icons.constFind(iconName);
    if (found != m_icons.constEnd())
        return *found;
    const bool folder = iconName == QLatin1String("folder");
    QIcon icon = QIcon::fromTheme(iconName);
    if (icon.isNull() && !folder)
        icon = QIcon::fromTheme(QStringLiteral("text-x-generic"));
    if (icon.isNull())
        icon = folder ? sidebarFolderIcon(false) : genericFileIcon();
    m_icons.insert(iconName, icon);
    return icon;
}

void FastFinderGridModel::rebuild()
{
    beginResetModel();
    m_rowOfPath.clear();
    const QList<FolderEntry>& items = m_finder.items();
    m_rowOfPath.reserve(items.size());
    for (int row = 0; row < items.size(); ++row)
        m_rowOfPath.insert(items.at(row).path, row);
    m_highlighted = m_finder.currentUrl();
    endResetModel();
}

void FastFinderGridModel::thumbnailArrived(const QString& path)
{
    const auto row = m_rowOfPath.constFind(path);
    if (row == m_rowOfPath.constEnd())
        return;
    const QModelIndex at = index(*row);
    emit dataChanged(at, at, { Qt::DecorationRole });
}

void FastFinderGridModel::highlightChanged()
{
    for (const QString& path : { m_highlighted, m_finder.currentUrl() }) {
        const auto row = m_rowOfPath.constFind(path);
        if (row != m_rowOfPath.constEnd())
            emit dataChanged(index(*row), index(*row), { HighlightedRole });
    }
    m_highlighted = m_finder.currentUrl();
}

FastFinderView::FastFinderView(
    AppState& state, const FastFinderPlacement& placement, FastFinderServices services, QWidget* parent)
    : QWidget(parent)
    , m_model(new FastFinderModel(state, std::move(services), this))
{
    setObjectName(QStringLiteral("FastFinderView"));
    // White text throughout: the browser brings its own dark ground so it
    // reads the same in the bar's sheet and in any other host.
    setAutoFillBackground(true);
    QPalette ground = palette();
    ground.setColor(QPalette::Window, QColor(30, 30, 32));
    setPalette(ground);
    auto* root = new QHBoxLayout(this);
    root->setAlignment(Qt::AlignTop);

    // Sidebar: favourites, then home and the chain, over the translucent tint.
    auto* sidebar = new BlurView(this);
    sidebar->setFixedWidth(int(FastFinderModel::leftSideWidth) + 40);
    auto* sideLayout = new QVBoxLayout(sidebar);
    sideLayout->setContentsMargins(20, 20, 20, 20);
    auto* title = new QLabel(tr("FastFinder"), sidebar);
    QFont titleFont = title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: white;"));
    sideLayout->addWidget(title);

    auto* sideScroll = new QScrollArea(sidebar);
    sideScroll->setWidgetResizable(true);
    sideScroll->setFrameShape(QFrame::NoFrame);
    sideScroll->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    auto* sideContent = new QWidget(sideScroll);
    auto* sideStack = new QVBoxLayout(sideContent);
    sideStack->setContentsMargins(0, 0, 0, 0);
    sideStack->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_favoritesArea = new QScrollArea(sideContent);
    m_favoritesArea->setWidgetResizable(true);
    m_favoritesArea->setFrameShape(QFrame::NoFrame);
    // As wide as the rows below: its rows cut their names to it.
    m_favoritesArea->setFixedWidth(int(FastFinderModel::leftSideWidth));
    auto* favoritesContent = new QWidget(m_favoritesArea);
    m_favoriteRows = new QVBoxLayout(favoritesContent);
    m_favoriteRows->setContentsMargins(10, 0, 10, 5);
    m_favoriteRows->setAlignment(Qt::AlignTop);
    m_favoritesArea->setWidget(favoritesContent);
    sideStack->addWidget(m_favoritesArea);

    auto* chainContent = new QWidget(sideContent);
    m_chainRows = new QVBoxLayout(chainContent);
    m_chainRows->setContentsMargins(0, 0, 0, 0);
    m_chainRows->setSpacing(4);
    sideStack->addWidget(chainContent);
    sideStack->addStretch();
    sideScroll->setWidget(sideContent);
    sideLayout->addWidget(sideScroll);
    root->addWidget(sidebar);

    // Content: the toolbar over the grid.
    auto* content = new QWidget(this);
    auto* contentLayout = new QVBoxLayout(content);
    auto* toolbar = new QHBoxLayout();
    m_path = new PathLabel(content);
    m_path->setStyleSheet(QStringLiteral("color: white;"));
    m_path->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_path->setTextFormat(Qt::PlainText);
    toolbar->addWidget(m_path, 1);
    auto* openInFinder = new QPushButton(tr("Open in Finder"), content);
    connect(openInFinder, &QPushButton::clicked, m_model, &FastFinderModel::openInFinder);
    toolbar->addWidget(openInFinder);
    contentLayout->addLayout(toolbar);

    m_gridModel = new FastFinderGridModel(*m_model, this);
    m_grid = new FinderGrid(*m_model, content);
    m_grid->setItemDelegate(new CellDelegate(m_grid));
    m_grid->setModel(m_gridModel);
    connect(m_grid, &QListView::entered, this, [this](const QModelIndex& index) {
        m_model->highlightItem(index.data(FastFinderGridModel::PathRole).toString());
    });
    connect(m_grid, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (index.row() < m_model->items().size())
            m_model->openItem(m_model->items().at(index.row()));
    });
    contentLayout->addWidget(m_grid, 1);
    root->addWidget(content, 1);

    ToastOverlayOptions toast;
    toast.duration = 2.0;
    toast.alert = [this] {
        ToastOverlay alert;
        alert.displayMode = ToastOverlay::DisplayMode::alert();
        alert.type = ToastOverlay::AlertType::error(QColor(Qt::red));
        alert.title = m_toastText;
        if (!m_toastReason.isEmpty())
            alert.subTitle = m_toastReason;
        // Light text on a near-opaque dark card: the browser's ground is dark
        // and shows through a see-through one.
        ToastOverlay::AlertStyle style;
        style.backgroundColor = QColor(45, 45, 50, 245);
        style.titleColor = QColor(Qt::white);
        style.subTitleColor = QColor(225, 225, 230);
        alert.style = style;
        return alert;
    };
    m_toast = toastOverlay(this, std::move(toast));

    connect(m_model, &FastFinderModel::sidebarChanged, this, &FastFinderView::rebuildSidebar);
    connect(m_model, &FastFinderModel::itemsChanged, this, [this] {
        m_path->setText(oneLineName(m_model->url()));
        m_path->setToolTip(m_path->text());
        m_grid->viewport()->update();
        if (lcFastFinder().isDebugEnabled() && !m_model->items().isEmpty())
            QTimer::singleShot(0, this, &FastFinderView::logFirstCell);
    });
    connect(m_model, &FastFinderModel::message, this, &FastFinderView::showMessage);

    m_model->setUp(placement);
}

QList<QWidget*> FastFinderView::sidebarRows() const
{
    QList<QWidget*> rows;
    for (QVBoxLayout* layout : { m_favoriteRows, m_chainRows })
        for (int i = 0; i < layout->count(); ++i)
            if (QWidget* row = layout->itemAt(i)->widget())
                rows.append(row);
    return rows;
}

void FastFinderView::rebuildSidebar()
{
    for (QVBoxLayout* layout : { m_favoriteRows, m_chainRows })
        while (QLayoutItem* item = layout->takeAt(0)) {
            if (QWidget* widget = item->widget())
                widget->deleteLater();
            delete item;
        }

    const QIcon directory(QPixmap::fromImage(directoryImage(30)));
    for (const QString& favourite : m_model->favUrls()) {
        QToolButton* row = flatButton(directory, shownName(favourite), 15, nullptr);
        row->setObjectName(QStringLiteral("favoriteRow"));
        row->setToolTip(oneLineName(favourite));
        connect(row, &QToolButton::clicked, m_model, [this, favourite] { m_model->openFavorite(favourite); });
        // Aligned, so that one short name does not narrow every row to its own.
        m_favoriteRows->addWidget(row, 0, Qt::AlignLeft);
    }
    m_favoritesArea->setFixedHeight(m_model->favoritesHeight());

    QStringList folders { m_model->homeDirectory() };
    folders += m_model->parentDirectories();
    for (const QString& folder : folders) {
        auto* row = new SidebarRow();
        row->setObjectName(QStringLiteral("chainRow"));
        row->setFixedWidth(int(FastFinderModel::leftSideWidth));
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(10, 2, 10, 5);
        const bool home = folder == m_model->homeDirectory();
        QToolButton* open = flatButton(sidebarFolderIcon(home), shownName(folder), 16, row);
        open->setToolTip(oneLineName(folder));
        connect(open, &QToolButton::clicked, m_model, [this, folder] { m_model->openSidebarFolder(folder); });
        layout->addWidget(open, 1);
        layout->addStretch();
        auto* star = new StarButton(m_model->favUrls().contains(folder), row);
        connect(star, &StarButton::clicked, m_model, [this, folder] { m_model->toggleFavorite(folder); });
        layout->addWidget(star);
        m_chainRows->addWidget(row);
    }
}

void FastFinderView::logFirstCell() const
{
    if (m_gridModel->rowCount() == 0)
        return;
    // Where the first entry stands on the screen, for checks that click it.
    const QRect cell = m_grid->visualRect(m_gridModel->index(0));
    const QPoint at = m_grid->viewport()->mapToGlobal(cell.topLeft());
    qCDebug(lcFastFinder).noquote() << QStringLiteral("first grid cell %1 at %2,%3 %4x%5")
                                           .arg(m_model->items().first().displayName)
                                           .arg(at.x())
                                           .arg(at.y())
                                           .arg(cell.width())
                                           .arg(cell.height());
}

void FastFinderView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // A host that keeps the browser (the tool hub's page) shows it again
    // later: what is in the folder now, not what was there then.
    if (std::exchange(m_shownBefore, true))
        m_model->rereadFolder();
}

void FastFinderView::showMessage(const QString& text, const QString& reason)
{
    m_toastText = text;
    m_toastReason = reason;
    m_toast->setPresenting(true);
}

FastFinderView* makeFastFinderView(AppState& state, const FastFinderPlacement& placement)
{
    return new FastFinderView(state, placement, defaultFastFinderServices());
}

#include "tools/FavoriteView.h"

#include "ToastOverlay/ToastOverlayPresenter.h"
#include "apps/OpenApplication.h"
#include "apps/RunningApps.h"
#include "apps/SupportFolder.h"
#include "tools/ToolArtwork.h"

#include <QAction>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcFavorites, "orbitshelf.tools.favorites")

namespace {

constexpr int kCellWidth = 100;
constexpr int kFavoriteIconSide = 44;

QPixmap cellIcon(const FavoriteCell& cell)
{
    if (cell.iconPath) {
        QImageReader reader(*cell.iconPath);
        const QSize size = reader.size();
        if (size.isValid())
            reader.setScaledSize(QSize(kFavoriteIconSide * 2, kFavoriteIconSide * 2));
        const QImage image = reader.read();
        if (!image.isNull())
            return QPixmap::fromImage(image);
    }
    // No icon of its own, or one that cannot be read: the stand-in picture.
    return QPixmap::fromImage(finderImage(kFavoriteIconSide * 2));
}

} // namespace

std::vector<FavoriteCell> favoriteCells(const std::vector<Record>& records)
{
    std::vector<FavoriteCell> cells;
    cells.reserve(records.size());
    for (const Record& record : records) {
        FavoriteCell cell;
        cell.record = record;
        cell.name = record.text(QStringLiteral("appName")).value_or(QStringLiteral("Not found"));
        const QString icon = record.text(QStringLiteral("appIcon")).value_or(QString());
        if (!icon.isEmpty())
            cell.iconPath = localPathFromStored(icon);
        cell.bundleIdentifier = record.text(QStringLiteral("bundleIdentifier")).value_or(QString());
        cells.push_back(std::move(cell));
    }
    return cells;
}

FavoriteServices defaultFavoriteServices()
{
    FavoriteServices services;
    services.openApplication = [](const QString& id) { return ::openApplication(id); };
    services.refreshRunningApps = [] { ::refreshRunningApps(); };
    services.runAfter = [](double seconds, std::function<void()> work) {
        QTimer::singleShot(int(seconds * 1000), qApp, std::move(work));
    };
    return services;
}

FavoriteView::FavoriteView(PersistenceController& store, FavoriteServices services, QWidget* parent)
    : QScrollArea(parent)
    , m_store(store)
    , m_services(std::move(services))
{
    setObjectName(QStringLiteral("FavoriteView"));
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* content = new QWidget(this);
    auto* outer = new QVBoxLayout(content);
    m_grid = new QGridLayout();
    m_grid->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    outer->addLayout(m_grid);
    outer->addStretch();
    setWidget(content);

    ToastOverlayOptions opening;
    opening.duration = 2.0;
    opening.tapToDismiss = true;
    opening.alert = [] {
        ToastOverlay toast;
        toast.displayMode = ToastOverlay::DisplayMode::alert();
        toast.type = ToastOverlay::AlertType::regular();
        toast.title = QStringLiteral("Opening!");
        return toast;
    };
    m_opening = toastOverlay(this, std::move(opening));

    ToastOverlayOptions failure;
    failure.duration = 3.0;
    failure.alert = [this] {
        ToastOverlay toast;
        toast.type = ToastOverlay::AlertType::error(QColor(Qt::red));
        toast.title = m_messageText;
        return toast;
    };
    m_message = toastOverlay(this, std::move(failure));

    connect(&m_store, &PersistenceController::entityChanged, this, [this](Entity entity) {
        if (entity == Entity::Favorite)
            reload();
    });
    reload();
}

void FavoriteView::open(const FavoriteCell& cell)
{
    // An unknown or missing identifier opens nothing and says nothing; the
    // refresh still runs, as the bar may have missed a start.
    if (m_services.openApplication && m_services.openApplication(cell.bundleIdentifier))
        m_opening->setPresenting(true);
    if (m_services.runAfter && m_services.refreshRunningApps)
        m_services.runAfter(0.05, m_services.refreshRunningApps);
}

void FavoriteView::remove(const FavoriteCell& cell)
{
    m_store.remove(cell.record);
    if (!m_store.save()) {
        // The store kept the record, so its cell stays; say why it did not go.
        qCWarning(lcFavorites) << "favourite" << cell.name << "could not be removed";
        m_messageText = tr("“%1” could not be removed from the favourites.").arg(cell.name);
        m_message->setPresenting(true);
    }
    reload();
}

void FavoriteView::reload()
{
    while (QLayoutItem* item = m_grid->takeAt(0)) {
        if (QWidget* widget = item->widget())
            widget->deleteLater();
        delete item;
    }
    m_cells = favoriteCells(m_store.fetchAll(Entity::Favorite));
    for (int i = 0; i < int(m_cells.size()); ++i) {
        const FavoriteCell& cell = m_cells[i];
        auto* button = new QToolButton();
        button->setObjectName(QStringLiteral("favoriteCell"));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setIcon(QIcon(cellIcon(cell)));
        button->setIconSize(QSize(kFavoriteIconSide, kFavoriteIconSide));
        button->setText(QFontMetrics(button->font()).elidedText(cell.name, Qt::ElideRight, kCellWidth - 8));
        button->setToolTip(cell.name);
        button->setFixedWidth(kCellWidth);
        button->setAutoRaise(true);
        button->setStyleSheet(QStringLiteral("QToolButton { color: white; }"));
        if (m_services.styleButton)
            m_services.styleButton(button);
        button->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(button, &QToolButton::clicked, this, [this, i] {
            if (i < int(m_cells.size()))
                open(m_cells[i]);
        });
        connect(button, &QWidget::customContextMenuRequested, this, [this, i, button](const QPoint& at) {
            QMenu menu(button);
            QAction* removeAction = menu.addAction(tr("Remove"));
            if (menu.exec(button->mapToGlobal(at)) == removeAction && i < int(m_cells.size()))
                remove(FavoriteCell(m_cells[i]));
        });
        m_grid->addWidget(button, i / kFavoriteColumns, i % kFavoriteColumns, Qt::AlignCenter);
    }
}

#include "tools/FastFinderModel.h"

#include "app/AppState.h"
#include "apps/OpenApplication.h"
#include "network/ServiceRequests.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLoggingCategory>
#include <QThreadPool>

#include <algorithm>
#include <cstdio>
#include <mutex>

Q_LOGGING_CATEGORY(lcFastFinder, "orbitshelf.tools.fastfinder")

namespace {

// Decoding a picture larger than this would take more memory than a
// thumbnail is worth; such files keep their type icon.
constexpr qint64 kLargestPicturePixels = 16384LL * 16384LL;

const QString kSeparator = QStringLiteral(";");

// Listings run on the global pool and may outlive the browser (a slow or
// hung file system): they hand their result over through this box, which the
// browser empties when it goes away.
struct ListingMailbox {
    std::mutex mutex;
    FastFinderModel* owner = nullptr;
};

QString lastComponent(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

FastFinderServices defaultFastFinderServices()
{
    FastFinderServices services;
    services.open = [](const QString& path) { return openURL(QUrl::fromLocalFile(path)); };
    services.trackFeature = [](const QString& feature) { ::trackFeature(feature); };
    return services;
}

QString canonicalFolder(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

QImage loadThumbnail(const QString& path, int side)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (!size.isValid() || qint64(size.width()) * size.height() > kLargestPicturePixels)
        return {};
    // Asking the reader for the small size lets JPEG decode at a fraction of
    // its resolution instead of decoding the whole picture and shrinking it.
    reader.setScaledSize(size.scaled(side, side, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    return reader.read();
}

namespace {
// One mailbox per model, found by its address; only the main thread adds and
// removes entries.
QHash<const FastFinderModel*, std::shared_ptr<ListingMailbox>>& mailboxes()
{
    static QHash<const FastFinderModel*, std::shared_ptr<ListingMailbox>> boxes;
    return boxes;
}
} // namespace

FastFinderModel::FastFinderModel(AppState& state, FastFinderServices services, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_services(std::move(services))
    , m_home(canonicalFolder(QDir::homePath()))
    , m_url(QDir::homePath())
    , m_thumbnailPool(new QThreadPool(this))
{
    auto box = std::make_shared<ListingMailbox>();
    box->owner = this;
    mailboxes().insert(this, box);
}

FastFinderModel::~FastFinderModel()
{
    if (const std::shared_ptr<ListingMailbox> box = mailboxes().take(this)) {
        std::lock_guard lock(box->mutex);
        box->owner = nullptr;
    }
    // Thumbnails not yet started are dropped; the ones under way are short.
    m_thumbnailPool->clear();
    m_thumbnailPool->waitForDone();
}

void FastFinderModel::setUp(const FastFinderPlacement& placement)
{
    m_horizontal = !placement.dockVertical;
    const QString last = m_state.directory.currentUrl.toLocalFile();
    m_url = last.isEmpty() ? QDir::homePath() : last;
    listCurrentFolder();
    makeColumns(placement);
    buildParentChain(m_url);
    loadFavorites();
    emit sidebarChanged();
    if (m_services.trackFeature)
        m_services.trackFeature(QStringLiteral("FastFinder"));
}

std::optional<QImage> FastFinderModel::thumbnail(const QString& path) const
{
    const auto found = m_thumbnails.constFind(path);
    if (found == m_thumbnails.constEnd())
        return std::nullopt;
    return *found;
}

int FastFinderModel::favoritesHeight() const
{
    if (m_favorites.isEmpty())
        return 0;
    return m_horizontal ? 150 : 200;
}

void FastFinderModel::makeColumns(const FastFinderPlacement& placement)
{
    if (placement.dockVertical) {
        m_columns = 1;
        return;
    }
    if (!placement.visibleWidth)
        return;
    const int room = int(*placement.visibleWidth - leftSideWidth);
    // A narrow screen still shows its entries, one per row.
    m_columns = std::max(1, room / 200);
}

void FastFinderModel::buildParentChain(const QString& location)
{
    const QString home = canonicalFolder(QDir::homePath());
    QString current = canonicalFolder(location);
    // Canonical paths on both sides, so a symlinked home or a folder reached
    // through a link still meets its end; outside home the walk ends at "/".
    const bool underHome = current == home || current.startsWith(home + QLatin1Char('/'));
    const QString top = underHome ? home : QStringLiteral("/");
    while (current != top && current != QLatin1String("/") && !current.isEmpty()) {
        if (m_parents.contains(current))
            break;
        m_parents.append(current);
        current = QFileInfo(current).path();
    }
    std::stable_sort(m_parents.begin(), m_parents.end(),
        [](const QString& a, const QString& b) { return a.size() < b.size(); });
}

void FastFinderModel::loadFavorites()
{
    // Replaces the list: showing the browser again must not repeat entries.
    m_favorites.clear();
    for (const QString& piece : m_state.favoriteDir().split(kSeparator, Qt::SkipEmptyParts))
        if (!m_favorites.contains(piece))
            m_favorites.append(piece);
}

void FastFinderModel::reload()
{
    listCurrentFolder();
    m_state.directory.currentUrl = QUrl::fromLocalFile(m_url);
    m_state.publish();
    buildParentChain(m_url);
    emit sidebarChanged();
}

void FastFinderModel::openItem(const FolderEntry& entry)
{
    if (!entry.nameable) {
        emit message(
            tr("“%1” cannot be opened: its name is not valid on this system.").arg(entry.displayName));
        return;
    }
    if (entry.isDir) {
        m_url = entry.path;
        reload();
        return;
    }
    if (openPath(entry.path, entry.displayName)) {
        qCInfo(lcFastFinder) << "opened" << entry.path;
        closePopup();
    }
}

void FastFinderModel::openFavorite(const QString& path)
{
    const QFileInfo info(path);
    if (info.isDir()) {
        m_url = path;
        m_parents.clear();
        reload();
        return;
    }
    if (!info.exists()) {
        emit message(tr("The folder “%1” no longer exists.").arg(oneLineName(lastComponent(path))));
        return;
    }
    if (openPath(path, oneLineName(lastComponent(path))))
        closePopup();
}

void FastFinderModel::openSidebarFolder(const QString& folder)
{
    if (!m_parents.isEmpty() && m_parents.last() == folder)
        return;
    m_url = folder;
    m_parents.clear();
    reload();
}

bool FastFinderModel::toggleFavorite(const QString& folder)
{
    if (folder.contains(kSeparator)) {
        emit message(
            tr("“%1” cannot be a favourite: its path holds “;”, which separates the stored favourites.")
                .arg(oneLineName(lastComponent(folder))));
        return false;
    }
    if (!m_favorites.removeOne(folder))
        m_favorites.append(folder);
    m_state.setFavoriteDir(m_favorites.join(kSeparator));
    emit sidebarChanged();
    return true;
}

void FastFinderModel::openInFinder()
{
    if (openPath(m_url, oneLineName(lastComponent(m_url))))
        closePopup();
}

void FastFinderModel::highlightItem(const QString& path)
{
    if (m_currentUrl == path)
        return;
    m_currentUrl = path;
    emit highlightChanged();
}

void FastFinderModel::waitForThumbnails()
{
    m_thumbnailPool->waitForDone();
}

void FastFinderModel::listCurrentFolder()
{
    const quint64 generation = ++m_generation;
    m_items.clear();
    m_error.reset();
    m_loading = true;
    emit itemsChanged();
    std::shared_ptr<ListingMailbox> box = mailboxes().value(this);
    const QString folder = m_url;
    QThreadPool::globalInstance()->start([box = std::move(box), folder, generation] {
        FolderListing listing = listFolder(folder);
        std::lock_guard lock(box->mutex);
        if (!box->owner)
            return;
        FastFinderModel* owner = box->owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, generation, listing = std::move(listing)] { owner->listingArrived(generation, listing); },
            Qt::QueuedConnection);
    });
}

void FastFinderModel::listingArrived(quint64 generation, const FolderListing& listing)
{
    // A folder the user has already left: its entries are not shown.
    if (generation != m_generation)
        return;
    m_loading = false;
    m_error = listing.error;
    if (listing.error) {
        std::printf("Error while loading files: %s\n", qPrintable(*listing.error));
        std::fflush(stdout);
    }
    m_items = listing.entries;
    qCInfo(lcFastFinder) << "listed" << m_items.size() << "entries of" << m_url;
    emit itemsChanged();
    startThumbnails(m_items);
}

void FastFinderModel::startThumbnails(const QList<FolderEntry>& entries)
{
    for (const FolderEntry& entry : entries) {
        if (entry.isDir || !entry.nameable || !isImageFile(entry.path) || m_thumbnails.contains(entry.path))
            continue;
        const QString path = entry.path;
        m_thumbnailPool->start([this, path] {
            const QImage image = loadThumbnail(path, thumbnailSide);
            if (image.isNull())
                return;
            // The pool is drained before the model goes, so `this` is alive.
            QMetaObject::invokeMethod(
                this,
                [this, path, image] {
                    m_thumbnails.insert(path, image);
                    emit thumbnailArrived(path);
                },
                Qt::QueuedConnection);
        });
    }
}

bool FastFinderModel::openPath(const QString& path, const QString& shownName)
{
    const bool opened = m_services.open && m_services.open(path);
    if (!opened) {
        qCWarning(lcFastFinder) << "could not open" << path;
        emit message(tr("“%1” could not be opened.").arg(shownName));
    }
    return opened;
}

void FastFinderModel::closePopup()
{
    m_state.showFastFinderPopup = false;
    m_state.publish();
}

#include "tools/FastFinderModel.h"

#include "state/AppState.h"
#include "apps/OpenApplication.h"
#include "network/ServiceRequests.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QLoggingCategory>
#include <QThreadPool>

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

Q_LOGGING_CATEGORY(lcFastFinder, "orbitshelf.tools.fastfinder")

namespace {

// Decoding a picture larger than this would take more memory than a
// thumbnail is worth; such files keep their type icon.
constexpr qint64 kLargestPicturePixels = 16384LL * 16384LL;

const QString kSeparator = QStringLiteral(";");

// Looks at the disk run on the browsers' pool and may outlive the browser (a
// slow or hung file system): they hand their result over through this box,
// which the browser empties when it goes away. `wanted` is the newest
// generation asked: a look still queued behind hung ones that is no longer
// wanted ends without touching the disk.
struct ListingMailbox {
    std::mutex mutex;
    FastFinderModel* owner = nullptr;
    std::atomic<quint64> wanted { 0 };
};

// The browsers' own threads: a hung mount holds at most these, never the
// application's shared pool (the clipboard stores its pictures there). Never
// destroyed: a thread blocked in the kernel cannot be waited for at exit.
QThreadPool& diskPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(FastFinderModel::kDiskThreads);
        return p;
    }();
    return *pool;
}

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
    services.list = [](const QString& folder) { return listFolder(folder); };
    return services;
}

QString canonicalFolder(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

QStringList folderChain(const QString& folder, const QString& home)
{
    // Outside home the walk ends at "/".
    const bool underHome = folder == home || folder.startsWith(home + QLatin1Char('/'));
    const QString top = underHome ? home : QStringLiteral("/");
    QStringList chain;
    QString current = QDir::cleanPath(folder);
    while (
        current != top && current != QLatin1String("/") && !current.isEmpty() && !chain.contains(current)) {
        chain.prepend(current);
        current = QFileInfo(current).path();
    }
    return chain;
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
    , m_home(QDir::cleanPath(QDir::homePath()))
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
}

void FastFinderModel::rereadFolder()
{
    listCurrentFolder();
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
    // The grid stays as it is until the disk says what the favourite is.
    m_loading = true;
    visit(path, VisitKind::Favorite);
}

void FastFinderModel::openSidebarFolder(const QString& folder)
{
    if (folder == m_url || (!m_parents.isEmpty() && m_parents.last() == folder))
        return;
    m_url = folder;
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
    m_items.clear();
    m_error.reset();
    m_notAnswering = false;
    m_loading = true;
    emit itemsChanged();
    visit(m_url, VisitKind::Folder);
}

void FastFinderModel::visit(const QString& path, VisitKind kind)
{
    const quint64 generation = ++m_generation;
    m_pending = generation;
    std::shared_ptr<ListingMailbox> box = mailboxes().value(this);
    box->wanted = generation;
    const QString homePath = QDir::homePath();
    const auto list = m_services.list ? m_services.list : [](const QString& f) { return listFolder(f); };
    diskPool().start([box = std::move(box), path, homePath, generation, kind, list] {
        if (box->wanted != generation)
            return;
        Visit found;
        found.asked = path;
        found.home = canonicalFolder(homePath);
        const QFileInfo info(path);
        found.exists = info.exists();
        found.isDir = info.isDir();
        found.canonical = canonicalFolder(path);
        // A favourite that is a file is opened, not listed.
        if (kind == VisitKind::Folder || found.isDir)
            found.listing = list(path);
        std::lock_guard lock(box->mutex);
        if (!box->owner)
            return;
        FastFinderModel* owner = box->owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, generation, kind, found = std::move(found)] {
                owner->visitArrived(generation, kind, found);
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(kNotAnsweringMs, this, [this, generation, kind, path] {
        if (generation == m_pending)
            notAnsweringAfterWait(kind, path);
    });
}

void FastFinderModel::notAnsweringAfterWait(VisitKind kind, const QString& path)
{
    qCWarning(lcFastFinder) << "no answer from" << path << "in" << kNotAnsweringMs << "ms";
    if (kind == VisitKind::Favorite) {
        m_loading = false;
        emit message(tr("This folder is not answering"));
        return;
    }
    m_loading = false;
    m_notAnswering = true;
    // The chain as far as the path alone tells it.
    m_parents = folderChain(QDir::cleanPath(m_url), m_home);
    emit itemsChanged();
    emit sidebarChanged();
}

void FastFinderModel::visitArrived(quint64 generation, VisitKind kind, const Visit& found)
{
    // A folder the user has already left: its entries are not shown.
    if (generation != m_generation)
        return;
    m_pending = 0;
    m_home = found.home;
    if (kind == VisitKind::Folder)
        return showFolder(found);
    const QString shownName = oneLineName(lastComponent(found.asked));
    m_loading = false;
    if (found.isDir) {
        m_url = found.asked;
        m_state.directory.currentUrl = QUrl::fromLocalFile(m_url);
        m_state.publish();
        return showFolder(found);
    }
    if (!found.exists) {
        emit message(tr("The folder “%1” no longer exists.").arg(shownName));
        return;
    }
    if (openPath(found.asked, shownName))
        closePopup();
}

void FastFinderModel::showFolder(const Visit& found)
{
    m_loading = false;
    m_notAnswering = false;
    const FolderListing& listing = found.listing;
    m_error = listing.error;
    if (listing.error) {
        std::printf("Error while loading files: %s\n", qPrintable(*listing.error));
        std::fflush(stdout);
    }
    m_items = listing.entries;
    // One chain from the resolved path: a folder reached through a link
    // never mixes the link's branch with its target's.
    m_parents = folderChain(found.canonical, found.home);
    qCInfo(lcFastFinder) << "listed" << m_items.size() << "entries of" << m_url;
    emit itemsChanged();
    emit sidebarChanged();
    startThumbnails(m_items);
}

void FastFinderModel::startThumbnails(const QList<FolderEntry>& entries)
{
    for (const FolderEntry& entry : entries) {
        if (entry.isDir || !entry.nameable || !isImageFile(entry.path) || m_thumbnails.contains(entry.path))
            continue;
        const QString path = entry.path;
        m_thumbnailPool->start([this, path] {
            // Only plain files: reading a named pipe called "x.png" would
            // wait for a writer for ever, and the browser waits for its
            // thumbnails when it closes.
            if (!QFileInfo(path).isFile())
                return;
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
        const QString reason = openFailureReason(path);
        qCWarning(lcFastFinder).noquote() << "could not open" << path << "-" << reason;
        emit message(tr("“%1” could not be opened.").arg(shownName), reason);
    }
    return opened;
}

QString openFailureReason(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FastFinderModel::tr("It is no longer there.");
    if (!info.isReadable())
        return FastFinderModel::tr("You are not allowed to read it.");
    if (info.isDir())
        return FastFinderModel::tr("No file manager is set up to show folders.");
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    return FastFinderModel::tr("No application here opens files of the type “%1”.").arg(type.comment());
}

void FastFinderModel::closePopup()
{
    m_state.popups[Tool::FastFinder] = false;
    m_state.publish();
}

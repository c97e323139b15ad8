#pragma once

#include "tools/FolderListing.h"

#include <QHash>
#include <QImage>
#include <QLoggingCategory>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>

class AppState;
class QThreadPool;

Q_DECLARE_LOGGING_CATEGORY(lcFastFinder)

// Where the browser is shown, told by its host: whether the bar on the screen
// under the pointer runs vertically, and that screen's visible width (the
// primary screen's when no screen is under the pointer).
struct FastFinderPlacement {
    bool dockVertical = false;
    std::optional<double> visibleWidth;
};

// What the browser asks of the desktop; the defaults open through the
// session's launcher and report the feature. Tests replace them.
struct FastFinderServices {
    std::function<bool(const QString& path)> open;
    std::function<void(const QString& feature)> trackFeature;
    // Reads one folder level; runs on the browser's own threads, never on
    // the main thread. The default is listFolder.
    std::function<FolderListing(const QString& folder)> list;
};
FastFinderServices defaultFastFinderServices();

// The folder browser's state and operations: one folder of the home tree at a
// time, the chain of folders from the top down to it, and the favourite
// folders kept in AppState::favoriteDir. Every look at the disk (listing,
// symlinks resolved, a favourite's kind) runs on the browser's own bounded
// pool, so a mount that stops answering holds only those threads; after
// kNotAnsweringMs the folder is shown as not answering. Only the newest
// answer is shown; thumbnails are made on a pool of their own. The location
// outlives the browser in AppState::directory. Main thread only.
class FastFinderModel final : public QObject {
    Q_OBJECT
public:
    static constexpr double leftSideWidth = 200;
    static constexpr int thumbnailSide = 120;
    static constexpr int kNotAnsweringMs = 5000;
    // Threads the browsers may hold on the disk at once, hung ones included.
    static constexpr int kDiskThreads = 8;

    FastFinderModel(AppState& state, FastFinderServices services, QObject* parent = nullptr);
    ~FastFinderModel() override;

    // The browser comes on screen: the last folder, the columns, the chain,
    // the favourites, and the feature report.
    void setUp(const FastFinderPlacement& placement);

    // --- state ---------------------------------------------------------------
    const QString& homeDirectory() const { return m_home; }
    const QString& url() const { return m_url; }
    const QList<FolderEntry>& items() const { return m_items; }
    // True from a folder change until its listing has arrived.
    bool loading() const { return m_loading; }
    // Why the folder shown could not be read.
    const std::optional<QString>& listingError() const { return m_error; }
    // The folder's listing has not come back in kNotAnsweringMs (it is still
    // shown if it does).
    bool notAnswering() const { return m_notAnswering; }
    int columns() const { return m_columns; }
    const QStringList& parentDirectories() const { return m_parents; }
    const QStringList& favUrls() const { return m_favorites; }
    const QString& currentUrl() const { return m_currentUrl; }
    bool isHorizontal() const { return m_horizontal; }
    // The thumbnail of a picture entry, once it has been made.
    std::optional<QImage> thumbnail(const QString& path) const;
    // The favourites area's height in the sidebar.
    int favoritesHeight() const;

    // --- operations ----------------------------------------------------------
    void makeColumns(const FastFinderPlacement& placement);
    void loadFavorites();
    void reload();
    // The folder shown, read again (the browser is shown again: folders may
    // have come or gone since).
    void rereadFolder();
    void openItem(const FolderEntry& entry);
    void openFavorite(const QString& path);
    void openSidebarFolder(const QString& folder);
    // False (with a message) when the folder cannot be kept in the stored
    // form: its path holds the separator ";".
    bool toggleFavorite(const QString& folder);
    void openInFinder();
    void highlightItem(const QString& path);

    // Blocks until the thumbnails under way are made (tests and benchmarks).
    void waitForThumbnails();

signals:
    void itemsChanged();
    void thumbnailArrived(const QString& path);
    void sidebarChanged();
    void highlightChanged();
    // Something the user asked for did not happen; the text says what, the
    // reason (when known) why.
    void message(const QString& text, const QString& reason = QString());

private:
    // What one look at the disk found; filled on the browser's pool.
    struct Visit {
        QString asked;
        QString canonical; // symlinks resolved; `asked` cleaned when it is gone
        QString home; // the home folder, symlinks resolved
        bool exists = false;
        bool isDir = false;
        FolderListing listing; // only of a folder that is to be shown
    };

    enum class VisitKind { Folder, Favorite };
    void listCurrentFolder();
    void visit(const QString& path, VisitKind kind);
    void visitArrived(quint64 generation, VisitKind kind, const Visit& visit);
    void showFolder(const Visit& visit);
    void notAnsweringAfterWait(VisitKind kind, const QString& path);
    void startThumbnails(const QList<FolderEntry>& entries);
    bool openPath(const QString& path, const QString& shownName);
    void closePopup();

    AppState& m_state;
    FastFinderServices m_services;
    QString m_home;
    QString m_url;
    QList<FolderEntry> m_items;
    bool m_loading = false;
    bool m_notAnswering = false;
    quint64 m_pending = 0; // generation of the look at the disk awaited
    std::optional<QString> m_error;
    int m_columns = 0;
    QStringList m_parents;
    QHash<QString, QImage> m_thumbnails;
    QStringList m_favorites;
    QString m_currentUrl;
    bool m_horizontal = true;
    quint64 m_generation = 0;
    QThreadPool* m_thumbnailPool;
};

// Why `path` could not be opened, as far as the disk and the types tell: it
// is gone, it may not be read, or no application takes its type. Reads the
// disk.
QString openFailureReason(const QString& path);

// The canonical form of a folder path (symlinks resolved); the path itself,
// cleaned, when it does not exist. Reads the disk.
QString canonicalFolder(const QString& path);

// The sidebar's chain down to `folder` (canonical), from below `home`
// (canonical) when it lies under it, else from the top-level folder; each
// entry the parent of the next. No disk access.
QStringList folderChain(const QString& folder, const QString& home);

// A picture's thumbnail, fitted into side × side, read scaled (never the
// whole file at full size); null when it does not decode or is too large to
// decode safely. Safe on any thread.
QImage loadThumbnail(const QString& path, int side);

#include "tools/FolderListing.h"

#include <QCollator>
#include <QFile>
#include <QMimeDatabase>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <utility>
#include <vector>
#include <sys/stat.h>

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool isFolder(const QByteArray& nativePath, unsigned char type)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    // A symlink counts as what it points to; a dangling one is a file.
    struct stat info { };
    return stat(nativePath.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

QString iconNameFor(const QString& name, bool isDir)
{
    if (isDir)
        return QStringLiteral("folder");
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return type.iconName();
}

} // namespace

QString oneLineName(const QString& name)
{
    QString shown = name;
    for (QChar& c : shown)
        if (c.category() == QChar::Other_Control)
            c = QChar(QChar::ReplacementCharacter);
    return shown;
}

FolderListing listFolder(const QString& folder)
{
    FolderListing listing;
    const QByteArray nativeFolder = QFile::encodeName(folder);
    errno = 0;
    std::unique_ptr<DIR, DirCloser> dir(opendir(nativeFolder.constData()));
    if (!dir) {
        listing.error = QString::fromLocal8Bit(std::strerror(errno));
        return listing;
    }
    const QByteArray prefix = nativeFolder.endsWith('/') ? nativeFolder : nativeFolder + '/';
    while (true) {
        errno = 0;
        const dirent* entry = readdir(dir.get());
        if (!entry) {
            // A folder removed while it is read ends the listing with an
            // error; what was read so far is not shown as the folder.
            if (errno != 0) {
                listing.entries.clear();
                listing.error = QString::fromLocal8Bit(std::strerror(errno));
            }
            break;
        }
        const QByteArray name(entry->d_name);
        if (name.startsWith('.'))
            continue;
        FolderEntry item;
        item.nativePath = prefix + name;
        item.path = QFile::decodeName(item.nativePath);
        item.nameable = QFile::encodeName(item.path) == item.nativePath;
        const QString decodedName = QFile::decodeName(name);
        item.displayName = oneLineName(decodedName);
        item.isDir = isFolder(item.nativePath, entry->d_type);
        item.iconName = iconNameFor(decodedName, item.isDir);
        listing.entries.append(std::move(item));
    }
    sortByName(listing.entries);
    return listing;
}

QCollator folderCollator(const QLocale& locale)
{
    // As the desktop's file managers list a folder: the locale's order of
    // letters ("éclair" before "Zeta" in English, "öga" after "zebra" in
    // Swedish), runs of digits by their value ("file_2" before "file_10"),
    // case aside. Under the C locale the collator would compare code points,
    // so names follow the language-neutral order there.
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

int compareNames(const QString& a, const QString& b, const QCollator& collator)
{
    const int order = collator.compare(a, b);
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

void sortByName(QList<FolderEntry>& entries, const QLocale& locale)
{
    // One key per name: comparing keys is far cheaper than collating the
    // same names again at every comparison of a large folder.
    const QCollator collator = folderCollator(locale);
    std::vector<std::pair<QCollatorSortKey, qsizetype>> keys;
    keys.reserve(size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keys.emplace_back(collator.sortKey(entries[i].displayName), i);
    std::stable_sort(keys.begin(), keys.end(), [&entries](const auto& x, const auto& y) {
        const FolderEntry& a = entries[x.second];
        const FolderEntry& b = entries[y.second];
        // Folders first, as the file managers show them.
        if (a.isDir != b.isDir)
            return a.isDir;
        const int order = x.first.compare(y.first);
        // Names equal but for case or zeros still get one fixed order.
        return order != 0 ? order < 0 : a.nativePath < b.nativePath;
    });
    QList<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const auto& key : keys)
        sorted.append(std::move(entries[key.second]));
    entries = std::move(sorted);
}

bool isImageFile(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('/'), dot) >= 0)
        return false;
    const QString extension = path.mid(dot + 1).toLower();
    static const QStringList pictures { QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
        QStringLiteral("gif"), QStringLiteral("bmp") };
    return pictures.contains(extension);
}

#include "tools/FolderListing.h"

#include <QFile>
#include <QMimeDatabase>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <memory>
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

int compareNames(const QString& a, const QString& b)
{
    // As the desktop's file managers list a folder: runs of digits by their
    // value ("file_2" before "file_10"), letters without regard to case. The
    // locale's collator is not used: under the C locale it compares code
    // units and ignores numbers.
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = i, endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            // Leading zeros do not count; then the longer number is larger.
            qsizetype startA = i, startB = j;
            while (startA + 1 < endA && a[startA] == u'0')
                ++startA;
            while (startB + 1 < endB && b[startB] == u'0')
                ++startB;
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB ? -1 : 1;
            for (qsizetype k = 0; k < endA - startA; ++k)
                if (a[startA + k] != b[startB + k])
                    return a[startA + k] < b[startB + k] ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = a[i].toCaseFolded(), cb = b[j].toCaseFolded();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

void sortByName(QList<FolderEntry>& entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int order = compareNames(a.displayName, b.displayName);
        // Names equal but for case or zeros still get one fixed order.
        return order != 0 ? order < 0 : a.nativePath < b.nativePath;
    });
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

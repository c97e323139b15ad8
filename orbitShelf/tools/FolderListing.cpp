#include "tools/FolderListing.h"

#include <QFile>
#include <QMimeDatabase>

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
    return listing;
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

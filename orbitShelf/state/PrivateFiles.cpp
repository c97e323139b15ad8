#include "state/PrivateFiles.h"

#include <QDir>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcPrivateFiles, "orbitshelf.app.files")

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;

// Sets the permission bits when they differ; true when it changed them.
bool setMode(int dirFd, const char* name, mode_t wanted, bool wantFolder)
{
    struct stat info { };
    if (fstatat(dirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (wantFolder ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))
        return false;
    if ((info.st_mode & 07777) == wanted)
        return false;
    if (fchmodat(dirFd, name, wanted, 0) != 0) {
        qCWarning(lcPrivateFiles).noquote() << "could not make" << name << "private:" << std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

bool makePrivateFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QByteArray native = QFile::encodeName(folder);
    struct stat info { };
    if (stat(native.constData(), &info) == 0 && (info.st_mode & 07777) != kFolderMode)
        chmod(native.constData(), kFolderMode);
    return true;
}

bool createPrivateFile(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
    if (fd >= 0) {
        // The umask may have taken bits away, never added any: 0600 or less.
        ::close(fd);
        return true;
    }
    return errno == EEXIST;
}

bool savePrivateFile(const QByteArray& bytes, const QString& path)
{
    // A temporary file beside the target, renamed over it once complete:
    // the file appears whole or not at all. Created 0600, so it never shows
    // with a wider mode. No flush to the disk: losing the newest picture to
    // a power cut costs less than a disk flush on every copy.
    const QByteArray target = QFile::encodeName(path);
    QByteArray temporary = target + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    const auto fail = [&](const char* what) {
        qCWarning(lcPrivateFiles).noquote()
            << "could not write" << path << ":" << what << std::strerror(errno);
        return false;
    };
    if (fd < 0)
        return fail("create");
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(temporary.constData());
            return fail("write");
        }
        written += n;
    }
    if (::close(fd) != 0 || ::rename(temporary.constData(), target.constData()) != 0) {
        const bool failed = fail("finish");
        ::unlink(temporary.constData());
        return failed;
    }
    return true;
}

int tightenPrivateFolder(const QString& folder)
{
    const QByteArray native = QFile::encodeName(folder);
    const int dirFd = open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0; // not made yet: it is made private when it is
    int changed = setMode(AT_FDCWD, native.constData(), kFolderMode, true) ? 1 : 0;
    // fdopendir takes the descriptor over; closedir closes it.
    if (DIR* dir = fdopendir(dirFd)) {
        while (const dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.'
                && (!entry->d_name[1] || (entry->d_name[1] == '.' && !entry->d_name[2])))
                continue;
            if (setMode(dirfd(dir), entry->d_name, kFileMode, false))
                ++changed;
        }
        closedir(dir);
    } else {
        ::close(dirFd);
    }
    if (changed > 0)
        qCInfo(lcPrivateFiles).noquote()
            << QStringLiteral("made the data folder %1 readable by its owner only (%2 modes tightened)")
                   .arg(folder)
                   .arg(changed);
    return changed;
}

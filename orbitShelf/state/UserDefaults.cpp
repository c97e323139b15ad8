#include "state/UserDefaults.h"

#include "state/AppIdentity.h"
#include "state/Logging.h"
#include "state/PrivateFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>

#include <atomic>
#include <memory>
#include <sys/stat.h>

namespace {

// The settings hold the unsaved note draft and the clipboard window's
// state: kept from other users as the data folder is, the folder 0700 and
// the file 0600. The file is made before QSettings first writes it, because
// QSettings keeps the mode of an existing file and would otherwise create
// it by the umask (0644 as a rule).
void keepSettingsFilePrivate(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!makePrivateFolder(folder) || !createPrivateFile(path)) {
        qCWarning(lcApp) << "the settings file" << path << "could not be made private";
        return;
    }
    // A file an older version wrote by the umask. A link is left alone: the
    // file it points to is not ours to change.
    const QByteArray native = QFile::encodeName(path);
    struct stat info { };
    if (::lstat(native.constData(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 07777) != 0600
        && ::chmod(native.constData(), 0600) == 0)
        qCInfo(lcApp) << "the settings file" << path << "is now its user's only (0600)";
}

struct Store {
    QMutex lock;
    std::unique_ptr<QSettings> settings;
    QString overridePath;
    bool reportedWriteFailure = false;
    // Where the unreadable file of this run was kept, told to the user once.
    QString unreadableCopy;
    // What was read since the last write: the bar reads the same few
    // settings for every button on every change, and a lookup in QSettings
    // costs far more than one here. QSettings itself reads the file again
    // only when a write syncs it, which clears this too.
    QHash<QString, QVariant> reads;
    std::atomic<quint64> generation { 1 };

    // Under the lock: what was read no longer holds.
    void forgetReads()
    {
        reads.clear();
        generation.fetch_add(1);
    }

    QSettings& get()
    {
        if (!settings) {
            if (overridePath.isEmpty())
                settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                    QString::fromLatin1(kOrganisationName), QString::fromLatin1(kApplicationName));
            else
                settings = std::make_unique<QSettings>(overridePath, QSettings::NativeFormat);
            // Only the user's own file: a test's file may lie in a folder
            // others share.
            if (overridePath.isEmpty())
                keepSettingsFilePrivate(settings->fileName());
            // A damaged file still gives whatever keys it can; every other
            // setting reads its default. The next write rewrites the file
            // without the lines it could not parse, so keep a copy first.
            // QSettings calls only some damage a format error: a file of
            // garbage reads as an empty one without complaint.
            if (settings->status() == QSettings::FormatError
                || UserDefaults::hasUnreadableLines(settings->fileName())) {
                const QString stem = settings->fileName() + QStringLiteral(".damaged-")
                    + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
                // An older copy of the same second is never overwritten.
                QString copy = stem;
                for (int n = 2; QFile::exists(copy); ++n)
                    copy = stem + QLatin1Char('-') + QString::number(n);
                if (QFile::copy(settings->fileName(), copy)) {
                    unreadableCopy = copy;
                    qCWarning(lcApp).noquote()
                        << "the settings file" << settings->fileName()
                        << "could not be read; unreadable settings use their defaults; it was kept as" << copy;
                } else {
                    qCWarning(lcApp).noquote() << "the settings file" << settings->fileName()
                                               << "could not be read, and no copy of it could be made in"
                                               << copy;
                }
            }
        }
        return *settings;
    }
};

Store& store()
{
    static Store s;
    return s;
}

} // namespace

namespace UserDefaults {

QVariant value(const QString& key)
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    const auto cached = s.reads.constFind(key);
    if (cached != s.reads.constEnd())
        return *cached;
    const QVariant read = s.get().value(key);
    s.reads.insert(key, read);
    return read;
}

void setValue(const QString& key, const QVariant& value)
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    s.forgetReads();
    s.get().setValue(key, value);
    s.get().sync();
    if (s.get().status() == QSettings::AccessError && !s.reportedWriteFailure) {
        s.reportedWriteFailure = true;
        qCWarning(lcApp) << "cannot write the settings file" << s.get().fileName()
                         << "; changes last until orbitShelf quits";
    }
}

void remove(const QString& key)
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    s.forgetReads();
    s.get().remove(key);
    s.get().sync();
}

quint64 generation()
{
    return store().generation.load();
}

QString fileName()
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    return s.get().fileName();
}

std::optional<QString> keptCopyOfUnreadableFile()
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    s.get();
    if (s.unreadableCopy.isEmpty())
        return std::nullopt;
    return s.unreadableCopy;
}

bool hasUnreadableLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    // A settings file is text: a NUL byte or bytes that are no UTF-8 are
    // not ours, and rewriting them would change them.
    if (bytes.contains('\0') || !QUtf8StringView(bytes).isValidUtf8())
        return true;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[') && line.endsWith(']'))
            continue;
        if (line.contains('='))
            continue;
        // A line the reader skips and the next write drops.
        return true;
    }
    return false;
}

void useFile(const QString& path)
{
    Store& s = store();
    QMutexLocker locker(&s.lock);
    if (s.settings)
        s.settings->sync();
    s.forgetReads();
    s.settings.reset();
    s.overridePath = path;
    s.unreadableCopy.clear();
}

bool readBool(const QString& key, bool fallback)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    // The native format keeps every value as text; our own writes give
    // "true" or "false", and anything else is a hand edit we do not guess at.
    if (v.typeId() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return fallback;
}

qint64 readInt64(const QString& key, qint64 fallback)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return v.toLongLong();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 n = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return n;
    }
    return fallback;
}

int readInt(const QString& key, int fallback)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return v.toInt();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        if (ok)
            return n;
    }
    return fallback;
}

double readReal(const QString& key, double fallback)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
        return v.toDouble();
    if (v.typeId() == QMetaType::QString) {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (ok && qIsFinite(d))
            return d;
    }
    return fallback;
}

QString readText(const QString& key, const QString& fallback)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString();
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    // A list (an unquoted comma in a hand-edited file) or any serialised
    // object is not a text.
    return fallback;
}

} // namespace UserDefaults

#include "tests/support/TempStores.h"

#include "state/UserDefaults.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace orbitshelf::test {

TempUserDefaults::TempUserDefaults()
    : m_path(m_dir.filePath(QStringLiteral("orbitShelf.conf")))
{
    UserDefaults::useFile(m_path);
}

TempUserDefaults::~TempUserDefaults()
{
    UserDefaults::useFile(QString());
}

void TempUserDefaults::writeRaw(const QByteArray& iniText)
{
    UserDefaults::useFile(QString());
    QFile f(m_path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(iniText);
    f.close();
    UserDefaults::useFile(m_path);
}

QByteArray TempUserDefaults::readRaw() const
{
    QFile f(m_path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TempObjectStore::TempObjectStore()
{
    if (!m_dir.isValid())
        m_error = QStringLiteral("no temporary folder: ") + m_dir.errorString();
    else
        m_store = PersistenceController::open(path(), &m_error);
}

void usePrivateXdgHomes()
{
    // Kept for the whole program: removed when the process ends.
    static std::unique_ptr<QTemporaryDir> dir;
    if (dir)
        return;
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/orbitshelf-tests-XXXXXX"));
    const QString base = dir->path();
    for (const char* name : { "home", "config", "data", "cache", "state" })
        QDir().mkpath(base + QLatin1Char('/') + QLatin1String(name));
    // Every program a test starts inherits these: no client reads or writes
    // the runner's files, and the folder browser's home is the tests' own.
    qputenv("HOME", (base + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (base + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (base + QStringLiteral("/data")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (base + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (base + QStringLiteral("/state")).toLocal8Bit());
    // A shell some client starts on its own (a terminal the program under
    // test launches) is one that reads no start-up file: the runner's shell
    // may run slow set-ups and print into the pictures the tests compare.
    qputenv("SHELL", "/bin/sh");
    qunsetenv("ENV");
    qunsetenv("BASH_ENV");
}

} // namespace orbitshelf::test

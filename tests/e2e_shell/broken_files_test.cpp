// Files the user cannot start with as they are: a store that is not one and
// a settings file of garbage. The user is told on screen, and neither file
// is lost.
#include "tests/support/X11TestTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The visible top-level windows of a process.
QStringList visibleWindowsOf(qint64 pid)
{
    return searchVisibleWindows({ "--pid", QString::number(pid), "--name", "." });
}

} // namespace

TEST(BrokenFiles, AStoreThatIsNoDatabaseIsShownInAnAlertAndTheProgramEndsWhenItIsClosed)
{
    DockRun run;
    QByteArray bytes("SQLite format 3");
    bytes.append('\0');
    bytes.append(QByteArray(8000, '\xA5'));
    ASSERT_TRUE(writeFile(run.storePath(), bytes));

    const qint64 pid = run.start();
    ASSERT_GT(pid, 0);
    QString alert;
    ASSERT_TRUE(waitUntil([&] { return !(alert = visibleWindowsOf(pid).value(0)).isEmpty(); },
        std::chrono::seconds(15)))
        << "no window of the program while it waits: " << run.log().toStdString();
    // What the alert says: the reason and the store's path.
    const QString log = run.log();
    EXPECT_TRUE(log.contains(QStringLiteral("alert: Container load failed: "))) << log.toStdString();
    EXPECT_TRUE(log.contains(QDir::toNativeSeparators(run.storePath()))) << log.toStdString();
    EXPECT_TRUE(run.running()) << "the program ended before the alert was closed";

    // Closed from its frame, as a user would.
    runTool(QStringLiteral("wmctrl"), { "-i", "-c", alert });
    EXPECT_EQ(run.waitForExit(10000), 1) << run.log().toStdString();
    EXPECT_EQ(contentOf(run.storePath()), bytes);
    EXPECT_EQ(QFileInfo(run.storePath()).dir().entryList(QDir::Files), QStringList { "Favorite.sqlite" });
}

TEST(BrokenFiles, ASettingsFileOfGarbageIsKeptBesideItAndTheUserIsToldOnce)
{
    DockRun run { DockRun::FirstRun {} };
    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    QByteArray garbage;
    for (int i = 0; i < 3000; ++i)
        garbage.append(char((i * 151 + 7) % 256));
    ASSERT_TRUE(writeFile(conf, garbage));

    ASSERT_GT(run.start(), 0);
    // The defaults of a first run are written over it...
    EXPECT_TRUE(waitUntil([&] { return contentOf(conf).contains("buttonTheme=onlyIcon"); }))
        << run.log().toStdString();
    // ...after the unreadable file was kept beside it, byte for byte.
    const QFileInfo info(conf);
    const QStringList copies = info.dir().entryList({ info.fileName() + QStringLiteral(".damaged-*") });
    ASSERT_EQ(copies.size(), 1) << info.dir().entryList(QDir::Files).join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(contentOf(info.dir().filePath(copies.first())), garbage);

    // Told once: one line in the log and one toast naming the copy.
    EXPECT_FALSE(waitForWindow(QStringLiteral("orbitShelf notice")).isEmpty()) << run.log().toStdString();
    const QString log = run.log();
    EXPECT_EQ(log.count(QStringLiteral("could not be read")), 1) << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral("unreadable settings file told: ")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(copies.first())) << log.toStdString();
    EXPECT_TRUE(run.running());
}

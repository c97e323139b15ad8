// The real binary with a store it cannot open: the one fatal failure.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct AppRun {
    int exitCode = -1;
    bool finished = false;
    QString output;
};

AppRun runApp(const QProcessEnvironment& env)
{
    QProcess app;
    app.setProcessEnvironment(env);
    app.setProcessChannelMode(QProcess::MergedChannels);
    app.start(QStringLiteral(ORBITSHELF_BINARY), {});
    AppRun run;
    run.finished = app.waitForFinished(20000);
    if (!run.finished) {
        app.kill();
        app.waitForFinished();
    }
    run.exitCode = app.exitCode();
    run.output = QString::fromLocal8Bit(app.readAll());
    return run;
}

QProcessEnvironment environmentIn(const QTemporaryDir& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

TEST(StoreAtLaunch, ACorruptStoreEndsTheProcessAndIsLeftUntouched)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("data/io.orbitshelf.OrbitShelf"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/Favorite.sqlite");
    QByteArray bytes("SQLite format 3");
    bytes.append('\0');
    bytes.append(QByteArray(8000, '\xA5'));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    const AppRun run = runApp(environmentIn(home));
    ASSERT_TRUE(run.finished) << run.output.toStdString();
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("Container load failed: "))) << run.output.toStdString();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), bytes);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { "Favorite.sqlite" });
}

TEST(StoreAtLaunch, WithoutADisplayTheBinaryExplainsAndStops)
{
    QTemporaryDir home;
    QProcessEnvironment env = environmentIn(home);
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    const AppRun run = runApp(env);
    ASSERT_TRUE(run.finished);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.output.contains(QStringLiteral("orbitShelf needs an X11 session (DISPLAY is not set).")))
        << run.output.toStdString();
    EXPECT_FALSE(QFile::exists(home.filePath(QStringLiteral("config/orbitShelf/orbitShelf.conf"))));
}

// The real orbitShelf on the private display: it starts, shows its first-run
// window, and keeps that window out of the taskbar and pager.
#include "tests/support/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <sys/wait.h>

using namespace orbitshelf::test;

namespace {

// The binary must use X: ctest runs this program on the offscreen platform.
qint64 startOrbitShelf()
{
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    qunsetenv("QT_QPA_PLATFORM");
    const qint64 pid = spawn(QStringLiteral(ORBITSHELF_BINARY), {});
    qputenv("QT_QPA_PLATFORM", saved);
    return pid;
}

QString windowIdTitled(const QString& title)
{
    for (const QString& line :
        runTool(QStringLiteral("wmctrl"), { QStringLiteral("-l") }).split(QLatin1Char('\n')))
        if (line.endsWith(QLatin1Char(' ') + title))
            return line.section(QLatin1Char(' '), 0, 0);
    return QString();
}

} // namespace

TEST(OrbitShelfOnX11, FirstRunShowsTheOnboardingWindowOutsideTheTaskbar)
{
    const qint64 pid = startOrbitShelf();
    ASSERT_GT(pid, 0);
    QString id;
    ASSERT_TRUE(
        waitUntil([&] { return !(id = windowIdTitled(QStringLiteral("Onboarding Window"))).isEmpty(); },
            std::chrono::seconds(20)))
        << runTool(QStringLiteral("wmctrl"), { QStringLiteral("-l") }).toStdString();

    EXPECT_TRUE(waitUntil([&] {
        const QString state = runTool(
            QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE") });
        return state.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR"))
            && state.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER"));
    })) << runTool(QStringLiteral("xprop"), { QStringLiteral("-id"), id, QStringLiteral("_NET_WM_STATE") })
               .toStdString();

    const QString geometry = runTool(QStringLiteral("xdotool"), { QStringLiteral("getwindowgeometry"), id });
    EXPECT_TRUE(geometry.contains(QStringLiteral("800x670"))) << geometry.toStdString();

    // The first run wrote its values into the private settings file.
    const QString conf
        = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/orbitShelf/orbitShelf.conf");
    EXPECT_TRUE(waitUntil([&] {
        QFile f(conf);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("buttonTheme=onlyIcon");
    }));
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"))
        + QStringLiteral("/io.orbitshelf.OrbitShelf/Favorite.sqlite")));

    // Still running: closing the onboarding window does not end the dock.
    runTool(QStringLiteral("wmctrl"), { QStringLiteral("-i"), QStringLiteral("-c"), id });
    EXPECT_TRUE(waitUntil([&] { return windowIdTitled(QStringLiteral("Onboarding Window")).isEmpty(); }));
    int status = 0;
    EXPECT_EQ(::waitpid(pid_t(pid), &status, WNOHANG), 0) << "orbitShelf quit with its last window";
    terminate(pid);
}

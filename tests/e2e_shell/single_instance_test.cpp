// One orbitShelf per user and display, the external "OnboardingWindow" event
// a second start hands over, and what a default start writes to its log.
#include "network/Network.h"
#include "tests/support/X11TestTools.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>

using namespace orbitshelf::test;

namespace {

// A second start as the same user (same homes, same runtime folder) on the
// same display, as a user would type it.
struct SecondStart {
    int exitCode = -1;
    QString out;
    QString err;
};
enum class RuntimeFolder { same, unset };
SecondStart startAgain(const DockRun& run, const QStringList& arguments = {},
    const QString& busAddress = QString(), RuntimeFolder runtime = RuntimeFolder::same)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), run.configHome());
    env.insert(QStringLiteral("XDG_DATA_HOME"), run.dataHome());
    if (runtime == RuntimeFolder::same)
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.runtimeDir());
    else
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    if (!busAddress.isEmpty())
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(ORBITSHELF_BINARY), arguments);
    SecondStart result;
    if (!second.waitForFinished(10000)) {
        second.kill();
        second.waitForFinished();
        return result;
    }
    result.exitCode = second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
    result.out = QString::fromUtf8(second.readAllStandardOutput());
    result.err = QString::fromUtf8(second.readAllStandardError());
    return result;
}

bool barShown(const DockRun& run, qsizetype from = 0)
{
    return waitUntil([&] { return run.log().mid(from).contains(QLatin1String("bar rows of")); });
}

// A private session bus for the test; ends with the object.
class SessionBus final {
public:
    SessionBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--print-address=1" });
        if (m_daemon.waitForStarted() && m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~SessionBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};

} // namespace

TEST(SingleInstance, ASecondStartSaysSoAndTouchesNothingAndAKilledOneIsReplaced)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barShown(run)) << run.log().toStdString();
    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    const QString settingsBefore = readText(conf);

    const SecondStart second = startAgain(run);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, QStringLiteral("orbitShelf is already running.\n"));
    EXPECT_EQ(readText(conf), settingsBefore) << "the second start wrote the settings";
    EXPECT_EQ(visibleWindowsNamed(QStringLiteral("orbitShelf dock")).size(), 1);

    // kill -9 leaves no stale claim behind.
    const qsizetype before = run.log().size();
    ::kill(pid_t(run.pid()), SIGKILL);
    ASSERT_TRUE(waitUntil([&] { return !run.running(); }));
    ASSERT_GT(run.start(), 0);
    EXPECT_TRUE(barShown(run, before)) << run.log().mid(before).toStdString();
}

TEST(SingleInstance, ARelaunchWaitsForTheOldProcessToGo)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barShown(run)) << run.log().toStdString();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), run.configHome());
    env.insert(QStringLiteral("XDG_DATA_HOME"), run.dataHome());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run.runtimeDir());
    env.insert(QStringLiteral("ORBITSHELF_RELAUNCH"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("orbitshelf.dock=true"));
    QProcess relaunched;
    relaunched.setProcessEnvironment(env);
    relaunched.setProcessChannelMode(QProcess::MergedChannels);
    relaunched.start(QStringLiteral(ORBITSHELF_BINARY), {});
    ASSERT_TRUE(relaunched.waitForStarted());
    // Still waiting while the old one runs; it takes over once it has gone.
    EXPECT_FALSE(relaunched.waitForFinished(500));
    run.stop();
    QString output;
    EXPECT_TRUE(waitUntil([&] {
        relaunched.waitForReadyRead(100);
        output += QString::fromUtf8(relaunched.readAll());
        return output.contains(QLatin1String("bar rows of"));
    })) << output.toStdString();
    EXPECT_EQ(relaunched.state(), QProcess::Running);
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf dock")).size() == 1; }));
    relaunched.terminate();
    relaunched.waitForFinished();
}

TEST(SingleInstance, ASecondStartNamingOnboardingWindowOpensItInTheFirst)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    DockRun run;
    run.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barShown(run)) << run.log().toStdString();
    ASSERT_TRUE(visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty());

    const SecondStart second = startAgain(run, { QStringLiteral("OnboardingWindow") }, bus.address());
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, QStringLiteral("orbitShelf is already running.\n"));
    EXPECT_TRUE(second.err.isEmpty()) << second.err.toStdString();
    EXPECT_FALSE(waitForWindow(QStringLiteral("Onboarding Window")).isEmpty()) << run.log().toStdString();
}

TEST(SingleInstance, ADefaultStartLogsNothingBelowWarningsAndNoLongLines)
{
    DockRun run;
    run.setEnvironment(QStringLiteral("QT_LOGGING_RULES"), QString());
    run.setEnvironment(
        QStringLiteral("QT_MESSAGE_PATTERN"), QStringLiteral("%{type} %{category}: %{message}"));
    ASSERT_GT(run.start(), 0);
    // The dock window is up: the launch routine has run.
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty()) << run.log().toStdString();
    run.stop();
    const QStringList lines = run.log().split(u'\n', Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        EXPECT_FALSE(line.startsWith(QLatin1String("debug ")) || line.startsWith(QLatin1String("info ")))
            << line.toStdString();
        EXPECT_LE(line.size(), 300) << line.left(80).toStdString();
    }
}

TEST(SingleInstance, AStartWithoutARuntimeFolderFindsTheRunningOneOnTheBus)
{
    SessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
    DockRun run;
    run.setEnvironment(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barShown(run)) << run.log().toStdString();
    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    const QString settingsBefore = readText(conf);

    // Its lock file lies elsewhere (in /tmp): only the bus name can tell.
    const SecondStart second = startAgain(run, {}, bus.address(), RuntimeFolder::unset);
    EXPECT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.out, QStringLiteral("orbitShelf is already running.\n"));
    EXPECT_EQ(readText(conf), settingsBefore) << "the second start wrote the settings";
    EXPECT_EQ(visibleWindowsNamed(QStringLiteral("orbitShelf dock")).size(), 1);
}

TEST(SingleInstance, VersionAndHelpAnswerWhetherOrNotOneRuns)
{
    const QString version = QStringLiteral("orbitShelf %1\n").arg(applicationVersionText());
    DockRun run;
    for (const bool running : { false, true }) {
        SCOPED_TRACE(running ? "running" : "not running");
        if (running) {
            ASSERT_GT(run.start(), 0);
            ASSERT_TRUE(barShown(run)) << run.log().toStdString();
        }
        for (const char* flag : { "--version", "-v" }) {
            const SecondStart asked = startAgain(run, { QString::fromLatin1(flag) });
            EXPECT_EQ(asked.exitCode, 0) << flag;
            EXPECT_EQ(asked.out, version) << flag;
        }
        const SecondStart help = startAgain(run, { QStringLiteral("--help") });
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.startsWith(QLatin1String("Usage: orbitShelf"))) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(QLatin1String("OnboardingWindow")));
        // Only the running bar, and no window of an answering start.
        EXPECT_EQ(visibleWindowsNamed(QStringLiteral("orbitShelf dock")).size(), running ? 1 : 0);
    }
}

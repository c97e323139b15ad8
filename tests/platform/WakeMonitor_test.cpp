#include "platform/WakeMonitor.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>

using orbitshelf::test::waitUntil;

namespace {

// A private message bus standing in for the system bus, with a second
// connection that takes logind's name and sends its signal.
class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        daemon.start(QStringLiteral("dbus-daemon"),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        ASSERT_TRUE(daemon.waitForStarted());
        ASSERT_TRUE(waitUntil([&] { return daemon.canReadLine(); }));
        address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("wake-listener"));
        QDBusConnection::disconnectFromBus(QStringLiteral("wake-logind"));
        daemon.kill();
        daemon.waitForFinished();
    }

    static void prepareForSleep(QDBusConnection& bus, bool sleeping)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << sleeping;
        bus.send(signal);
    }

    QProcess daemon;
    QString address;
};

} // namespace

TEST_F(PrivateBus, WakeIsReportedWhenLogindSaysSleepIsOver)
{
    QDBusConnection listener = QDBusConnection::connectToBus(address, QStringLiteral("wake-listener"));
    QDBusConnection logind = QDBusConnection::connectToBus(address, QStringLiteral("wake-logind"));
    ASSERT_TRUE(listener.isConnected());
    ASSERT_TRUE(logind.registerService(QStringLiteral("org.freedesktop.login1")));

    platform::WakeMonitor monitor(listener, nullptr);
    int wakes = 0;
    QObject::connect(&monitor, &platform::WakeMonitor::woke, [&] { ++wakes; });
    ASSERT_TRUE(monitor.start());

    prepareForSleep(logind, true);
    prepareForSleep(logind, false);
    EXPECT_TRUE(waitUntil([&] { return wakes == 1; }));

    // Only logind's name counts: another client sending the same signal is
    // not a wake.
    QDBusConnection::disconnectFromBus(QStringLiteral("wake-logind"));
    QDBusConnection other = QDBusConnection::connectToBus(address, QStringLiteral("wake-logind"));
    prepareForSleep(other, false);
    EXPECT_FALSE(waitUntil([&] { return wakes > 1; }, std::chrono::milliseconds(300)));
}

TEST(WakeMonitorWithoutBus, SaysSoAndCarriesOn)
{
    QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("no-bus"));
    platform::WakeMonitor monitor(none, nullptr);
    EXPECT_FALSE(monitor.start());
    QDBusConnection::disconnectFromBus(QStringLiteral("no-bus"));
}

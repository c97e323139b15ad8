// Badges travel over a private session bus of this program's own: real
// one-shot gdbus processes and a second connection of ours act as applications.
#include "apps/DockBadgeReader.h"

#include "tests/support/X11TestTools.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QVariantMap>
#include <gtest/gtest.h>

using orbitshelf::test::PrivateSessionBus;
using orbitshelf::test::waitUntil;

namespace {

// Our one tick of the dock bar: a badge must be readable within it.
constexpr std::chrono::milliseconds oneTick { 1000 };

PrivateSessionBus* bus = nullptr;

std::optional<QString> testResolver(const QString& id)
{
    if (id == "unknown.desktop")
        return std::nullopt;
    return "/usr/share/applications/" + id;
}

// A one-shot sender: it exits after sending, so its connection leaves the
// bus at once. (dbus-send cannot marshal the a{sv} of this signal: its dict
// values take basic types only; gdbus emit can.)
int emitOnce(const QString& appUri, qint64 count, bool visible)
{
    return QProcess::execute("gdbus",
        { "emit", "--session", "--object-path", "/com/example/badge", "--signal",
            "com.canonical.Unity.LauncherEntry.Update", QString("'%1'").arg(appUri),
            QString("{'count': <int64 %1>, 'count-visible': <%2>}")
                .arg(count)
                .arg(visible ? "true" : "false") });
}

// An application that stays on the bus: its own connection, unique name and all.
class LongLivedSender final {
public:
    explicit LongLivedSender(const QString& name)
        : m_name(name)
    {
        m_connection = QDBusConnection::connectToBus(bus->address(), m_name);
    }
    ~LongLivedSender() { leave(); }
    bool send(const QString& appUri, const QVariantMap& properties)
    {
        auto signal
            = QDBusMessage::createSignal("/com/example/mail", "com.canonical.Unity.LauncherEntry", "Update");
        signal << appUri << properties;
        return m_connection.send(signal);
    }
    void leave()
    {
        // The connection closes only once no handle refers to it.
        m_connection = QDBusConnection(QString());
        QDBusConnection::disconnectFromBus(m_name);
    }
    bool connected() const { return m_connection.isConnected(); }

private:
    QString m_name;
    QDBusConnection m_connection { QString() };
};

class DockBadges : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bus = new PrivateSessionBus;
        ASSERT_FALSE(bus->address().isEmpty()) << "dbus-daemon gave no address";
        // Before anything connects to the session bus, and for dbus-send.
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus->address().toUtf8());
    }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }
};

TEST_F(DockBadges, OneShotSenderSetsAndHidesABadge)
{
    DockBadgeReader reader(QDBusConnection::sessionBus(), testResolver);
    ASSERT_TRUE(reader.isListening());
    // Make sure the match rule is in place before the first signal.
    QDBusConnection::sessionBus().interface()->serviceOwner("org.freedesktop.DBus");

    const QString path = "/usr/share/applications/org.example.Chat.desktop";
    ASSERT_EQ(emitOnce("application://org.example.Chat.desktop", 3, true), 0);
    ASSERT_TRUE(waitUntil([&] { return reader.badges().value(path) == "3"; }, oneTick));

    ASSERT_EQ(emitOnce("application://org.example.Chat.desktop", 4, true), 0);
    ASSERT_TRUE(waitUntil([&] { return reader.badges().value(path) == "4"; }, oneTick));

    ASSERT_EQ(emitOnce("application://org.example.Chat.desktop", 4, false), 0);
    EXPECT_TRUE(waitUntil([&] { return !reader.badges().contains(path); }, oneTick));
}

TEST_F(DockBadges, BadgeGoesAwayWhenItsSenderLeavesTheBus)
{
    DockBadgeReader reader(QDBusConnection::sessionBus(), testResolver);
    int changed = 0;
    QObject::connect(&reader, &DockBadgeReader::badgesChanged, [&] { ++changed; });
    LongLivedSender mail("mail-app");
    LongLivedSender files("files-app");
    ASSERT_TRUE(mail.connected());

    const QString mailPath = "/usr/share/applications/org.example.Mail.desktop";
    const QString filesPath = "/usr/share/applications/org.example.Files.desktop";
    ASSERT_TRUE(mail.send(
        "application://org.example.Mail.desktop", { { "count", qint64(12) }, { "count-visible", true } }));
    ASSERT_TRUE(
        files.send("application://org.example.Files", { { "count", qint64(1) }, { "count-visible", true } }));
    ASSERT_TRUE(waitUntil([&] { return reader.badges().size() == 2; }, oneTick));
    EXPECT_EQ(reader.badges().value(mailPath), "12");
    EXPECT_EQ(reader.badges().value(filesPath), "1");

    // Updates are partial: a count alone keeps the visibility it had.
    ASSERT_TRUE(mail.send("application://org.example.Mail.desktop", { { "count", qint64(13) } }));
    ASSERT_TRUE(waitUntil([&] { return reader.badges().value(mailPath) == "13"; }, oneTick));

    mail.leave();
    ASSERT_TRUE(waitUntil([&] { return !reader.badges().contains(mailPath); }, oneTick));
    EXPECT_EQ(reader.badges().value(filesPath), "1") << "another sender's badge stays";
    EXPECT_EQ(changed, 4) << "two badges set, one count changed, one badge gone";
}

TEST_F(DockBadges, UpdatesThatCannotBeShownAreIgnored)
{
    DockBadgeReader reader(QDBusConnection::sessionBus(), testResolver);
    LongLivedSender app("odd-app");
    // No desktop entry, a uri of another kind, a path escape, no count, a
    // hidden count, a wrong signature: none yields a badge.
    app.send("application://unknown.desktop", { { "count", qint64(1) }, { "count-visible", true } });
    app.send("file:///usr/bin/thing", { { "count", qint64(1) }, { "count-visible", true } });
    app.send("application://../../etc/passwd", { { "count", qint64(1) }, { "count-visible", true } });
    app.send("application://progress.desktop", { { "progress", 0.5 }, { "count-visible", true } });
    app.send("application://hidden.desktop", { { "count", qint64(7) } });
    auto wrong = QDBusMessage::createSignal("/x", "com.canonical.Unity.LauncherEntry", "Update");
    wrong << 42;
    QDBusConnection::connectToBus(bus->address(), "odd-app").send(wrong);
    // A well-formed update sent last tells us the earlier ones were handled.
    app.send("application://last.desktop", { { "count", qint64(2) }, { "count-visible", true } });
    ASSERT_TRUE(
        waitUntil([&] { return reader.badges().contains("/usr/share/applications/last.desktop"); }, oneTick));
    EXPECT_EQ(reader.badges().size(), 1) << reader.badges().keys().join(", ").toStdString();
}

TEST_F(DockBadges, NoBusGivesAnEmptyMap)
{
    auto none = QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "no-bus");
    DockBadgeReader reader(none, testResolver);
    EXPECT_FALSE(reader.isListening());
    EXPECT_TRUE(reader.badges().isEmpty());
    QDBusConnection::disconnectFromBus("no-bus");
}

TEST_F(DockBadges, SharedReaderFeedsTheTick)
{
    LongLivedSender app("shared-app");
    // The shared reader resolves ids through the XDG applications folders.
    qputenv("XDG_DATA_DIRS", ORBITSHELF_TEST_DATA "/e2e_badges");
    const QString path = ORBITSHELF_TEST_DATA "/e2e_badges/applications/org.example.Notes.desktop";
    ASSERT_TRUE(DockBadgeReader::shared().isListening());
    QDBusConnection::sessionBus().interface()->serviceOwner("org.freedesktop.DBus");
    app.send(
        "application://org.example.Notes.desktop", { { "count", qint64(150) }, { "count-visible", true } });
    EXPECT_TRUE(waitUntil([&] { return readSystemDockItems().value(path) == "150"; }, oneTick));
}

} // namespace

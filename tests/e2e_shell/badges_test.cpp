// Badges over a session bus of this program's own: one-shot gdbus processes
// and connections of ours act as the applications that send them.
#include "apps/DockBadgeReader.h"
#include "tests/platform/ScopedEnv.h"

#include "tests/e2e_dock_input/BarInput.h"
#include "tests/support/CountBadges.h"
#include "tests/support/X11TestTools.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QVariantMap>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// The bar reads badges once a tick: an update must be readable within it.
constexpr std::chrono::milliseconds kOneTick { 1000 };
const QString kApps = QStringLiteral("/usr/share/applications/");

PrivateSessionBus* bus = nullptr;

std::optional<QString> resolve(const QString& id)
{
    return id == QLatin1String("unknown.desktop") ? std::nullopt : std::optional<QString>(kApps + id);
}

// An application that sends and exits, its connection leaving the bus at
// once. (dbus-send cannot marshal this signal's a{sv}; gdbus can.)
int sendOnce(const QString& appUri, qint64 count, bool visible)
{
    return QProcess::execute(QStringLiteral("gdbus"),
        { "emit", "--session", "--object-path", "/org/example/badge", "--signal",
            "com.canonical.Unity.LauncherEntry.Update", QStringLiteral("'%1'").arg(appUri),
            QStringLiteral("{'count': <int64 %1>, 'count-visible': <%2>}")
                .arg(count)
                .arg(visible ? "true" : "false") });
}

const QVariantMap kSeven { { "count", qint64(7) }, { "count-visible", true } };

class Badges : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bus = new PrivateSessionBus;
        ASSERT_FALSE(bus->address().isEmpty()) << "dbus-daemon gave no address";
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus->address().toUtf8());
    }
    static void TearDownTestSuite()
    {
        delete bus;
        bus = nullptr;
    }
    // Returns once the reader's match rule is on the bus.
    static void armed()
    {
        QDBusConnection::sessionBus().interface()->serviceOwner(QStringLiteral("org.freedesktop.DBus"));
    }
};

} // namespace

TEST_F(Badges, ACountShowsWhileVisibleAndGoesWithItsSender)
{
    DockBadgeReader reader(QDBusConnection::sessionBus(), resolve);
    ASSERT_TRUE(reader.isListening());
    armed();
    const QString chat = kApps + QStringLiteral("org.example.Chat.desktop");
    ASSERT_EQ(sendOnce(QStringLiteral("application://org.example.Chat.desktop"), 3, true), 0);
    EXPECT_TRUE(waitUntil([&] { return reader.badges().value(chat) == QLatin1String("3"); }, kOneTick));
    ASSERT_EQ(sendOnce(QStringLiteral("application://org.example.Chat.desktop"), 3, false), 0);
    EXPECT_TRUE(waitUntil([&] { return !reader.badges().contains(chat); }, kOneTick));

    BadgeSender mail(bus->address(), QStringLiteral("mail-app")),
        files(bus->address(), QStringLiteral("files-app"));
    const QString mailPath = kApps + QStringLiteral("org.example.Mail.desktop");
    ASSERT_TRUE(mail.send(QStringLiteral("application://org.example.Mail.desktop"), kSeven));
    // An id without ".desktop" names the same entry.
    ASSERT_TRUE(files.send(QStringLiteral("application://org.example.Files"), kSeven));
    ASSERT_TRUE(waitUntil([&] { return reader.badges().size() == 2; }, kOneTick));
    EXPECT_EQ(
        reader.badges().value(kApps + QStringLiteral("org.example.Files.desktop")), QStringLiteral("7"));
    // Updates are partial: a count alone keeps the visibility it had.
    ASSERT_TRUE(
        mail.send(QStringLiteral("application://org.example.Mail.desktop"), { { "count", qint64(13) } }));
    EXPECT_TRUE(waitUntil([&] { return reader.badges().value(mailPath) == QLatin1String("13"); }, kOneTick));

    mail.leave();
    EXPECT_TRUE(waitUntil([&] { return !reader.badges().contains(mailPath); }, kOneTick));
    EXPECT_EQ(reader.badges().size(), 1) << "another sender's badge stays";
}

TEST_F(Badges, UpdatesThatCannotBeShownAreIgnored)
{
    DockBadgeReader reader(QDBusConnection::sessionBus(), resolve);
    armed();
    BadgeSender app(bus->address(), QStringLiteral("odd-app"));
    // No desktop entry, a uri of another kind, a path escape, no count, a
    // hidden count, a wrong signature: none yields a badge.
    app.send(QStringLiteral("application://unknown.desktop"), kSeven);
    app.send(QStringLiteral("file:///usr/bin/thing"), kSeven);
    app.send(QStringLiteral("application://../../etc/passwd"), kSeven);
    app.send(
        QStringLiteral("application://progress.desktop"), { { "progress", 0.5 }, { "count-visible", true } });
    app.send(QStringLiteral("application://hidden.desktop"), { { "count", qint64(7) } });
    auto wrong = QDBusMessage::createSignal("/x", "com.canonical.Unity.LauncherEntry", "Update");
    wrong << 42;
    app.sendRaw(wrong);
    // Sent last, so the ones before it have been handled once it shows.
    app.send(QStringLiteral("application://last.desktop"), kSeven);
    ASSERT_TRUE(waitUntil(
        [&] { return reader.badges().contains(kApps + QStringLiteral("last.desktop")); }, kOneTick));
    EXPECT_EQ(reader.badges().size(), 1) << reader.badges().keys().join(", ").toStdString();
}

TEST_F(Badges, TheSharedReaderFindsEntriesInTheDataFoldersAndFeedsTheBar)
{
    const orbitshelf::test::ScopedEnv dirs("XDG_DATA_DIRS", QByteArray(ORBITSHELF_TEST_DATA "/e2e_shell"));
    ASSERT_TRUE(DockBadgeReader::shared().isListening());
    armed();
    BadgeSender notes(bus->address(), QStringLiteral("notes-app"));
    notes.send(QStringLiteral("application://org.example.Notes.desktop"),
        { { "count", qint64(150) }, { "count-visible", true } });
    EXPECT_TRUE(waitUntil(
        [&] {
            return readSystemDockItems().value(
                       ORBITSHELF_TEST_DATA "/e2e_shell/applications/org.example.Notes.desktop")
                == "150";
        },
        kOneTick));
}

// The badge rises past the bar's panel, and there it is its button's too:
// the window's title on hover, a click activates the window, the right
// button opens the window's menu.
TEST_F(Badges, ACountSentToTheBarIsDrawnWhenItsSignalArrivesAndActsAsItsButton)
{
    Clients clients;
    const auto terminal = clients.xterm(QStringLiteral("badged terminal"));
    const auto other = clients.xterm(QStringLiteral("other terminal"), QStringLiteral("40x5+600+50"));
    ASSERT_FALSE(terminal.id.isEmpty() || other.id.isEmpty());
    DockRun run;
    ASSERT_GT(run.start(), 0);
    std::optional<LoggedBarItem> button;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (const LoggedBarItem& item : loggedBar(run.log()))
                if (item.window == terminal.id)
                    button = item;
            return button.has_value();
        },
        std::chrono::seconds(10)))
        << run.log().toStdString();

    // The terminal's desktop entry, as the program that sends counts names it.
    BadgeSender terminalApp(bus->address(), QStringLiteral("terminal-app"));
    // How soon after the signal: bench_bar_reactions.
    const qsizetype mark = run.log().size();
    ASSERT_TRUE(terminalApp.send(QStringLiteral("application://debian-xterm.desktop"),
        { { "count", qint64(5) }, { "count-visible", true } }));
    const QString drawn = QStringLiteral("window %1 at [^\\n]* badge \"5\"").arg(terminal.id);
    ASSERT_TRUE(
        waitUntil([&] { return loggedAt(run.log().mid(mark), drawn).has_value(); }, std::chrono::seconds(15)))
        << run.log().mid(mark).toStdString();

    std::optional<QPoint> onBadge;
    ASSERT_TRUE(waitUntil([&] { return (onBadge = badgePastThePanel(button->rect, 12)).has_value(); }))
        << "no red over the button at " << button->rect.x() << "," << button->rect.y();
    const qsizetype hovered = run.log().size();
    const BadgeAnswers answers = hoverAndClickBadge(run, *onBadge, terminal.id, other.id);
    EXPECT_TRUE(answers.titled) << run.log().mid(hovered).toStdString();
    EXPECT_TRUE(answers.activated) << "a click on the badge at " << onBadge->x() << "," << onBadge->y()
                                   << " left " << activeWindowName().toStdString() << " active";
    const qsizetype menus = run.log().count(kWindowMenuLine);
    click(*onBadge, 3);
    EXPECT_TRUE(waitUntil([&] { return run.log().count(kWindowMenuLine) > menus; }))
        << run.log().mid(hovered).toStdString();
    EXPECT_TRUE(closeMenus(run));
}

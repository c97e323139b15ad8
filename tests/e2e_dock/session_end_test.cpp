// The session's ends as the desktop brings them, not through the bar's menu:
// SIGTERM (a session manager, `systemctl --user stop`), SIGINT (Ctrl+C in the
// terminal that started it) and the X server going away under the bar (a
// logout). Each ends the program with an exit status, never a signal, after
// what Quit saves: a running Pomodoro counts on at the next start from the
// second it had reached, and the store is whole.
#include "tests/e2e_dock/PomodoroPanel.h"
#include "tests/support/X11TestTools.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <csignal>

using namespace orbitshelf::test;

namespace {

constexpr int kWorkSeconds = 30 * 60;

// The answer of SQLite's own check of the file, read over a connection of
// the test's; "ok" when the store is whole.
QString integrityOf(const QString& path)
{
    QString answer;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("integrity"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next())
                answer = q.value(0).toString();
            else
                answer = QStringLiteral("no answer");
        } else {
            answer = QStringLiteral("cannot open");
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("integrity"));
    return answer;
}

// Installs the Pomodoro on the "Plugins" page, starts it from its tile's
// panel and sees it count; its tile then.
std::optional<QRect> countingPomodoro(const DockRun& run)
{
    if (!installTools(run, { "Pomodoro" }, true))
        return std::nullopt;
    std::vector<QRect> tiles;
    if (!waitUntil([&] { return (tiles = toolTiles(run)).size() == 1; }) || !startPomodoro(run, tiles[0]))
        return std::nullopt;
    const std::optional<int> started = readPomodoroClock(run, tiles[0]);
    if (!started || !clockMovesOn(run, tiles[0], *started))
        return std::nullopt;
    return tiles[0];
}

} // namespace

// A request to end as a signal brings it, and how often it comes.
struct EndSignal {
    const char* name;
    int signal;
    // Sent again and again until the program has ended, as a user presses
    // Ctrl+C while it quits: into the quit's saving and past it.
    bool repeated;
};

void PrintTo(const EndSignal& end, std::ostream* out)
{
    *out << end.name << (end.repeated ? " again and again" : " once");
}

class SessionEndBySignal : public ::testing::TestWithParam<EndSignal> { };

TEST_P(SessionEndBySignal, SavesAsQuitAndTheNextStartResumesTheRunningPomodoroAtItsSecond)
{
    const EndSignal end = GetParam();
    DockRun run;
    const qint64 pid = run.start();
    ASSERT_GT(pid, 0);
    const std::optional<QRect> tile = countingPomodoro(run);
    ASSERT_TRUE(tile) << run.log().toStdString();
    const std::optional<int> before = readPomodoroClock(run, *tile);
    ASSERT_TRUE(before) << run.log().toStdString();
    QElapsedTimer sinceReading;
    sinceReading.start();

    ::kill(pid_t(pid), end.signal);
    const qint64 signalledAfter = sinceReading.elapsed();
    int status = -1;
    if (end.repeated) {
        QElapsedTimer quitting;
        quitting.start();
        // The program is not reaped before waitForExit sees it end, so its
        // process number stays its own while it is signalled.
        while ((status = run.waitForExit(2)) == -1 && run.running() && quitting.elapsed() < 10000)
            ::kill(pid_t(pid), end.signal);
    } else {
        status = run.waitForExit(10000);
    }
    EXPECT_EQ(status, 0) << "an exit status, as Quit gives\n" << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QStringLiteral("%1 received").arg(QLatin1String(end.name))))
        << run.log().toStdString();
    EXPECT_EQ(storedSetting(run, QStringLiteral("needRestorePomodoro")).toStdString(), "true");
    const qint64 atSignal = storedSetting(run, QStringLiteral("pomodoro_seconds")).toLongLong();
    const qint64 counted = kWorkSeconds - *before + (sinceReading.elapsed() + 999) / 1000;
    EXPECT_GE(atSignal, kWorkSeconds - *before) << "the seconds counted up to the signal are written";
    EXPECT_LE(atSignal, kWorkSeconds - *before + (signalledAfter + 999) / 1000 + 2)
        << "within 2 s of the second the signal came at";
    EXPECT_LE(atSignal, counted);

    const qsizetype restarted = run.log().size();
    ASSERT_GT(run.start(), 0);
    const QRegularExpression resumedLine(QStringLiteral("Pomodoro resumed at second (\\d+)"));
    QRegularExpressionMatch resumed;
    ASSERT_TRUE(waitUntil([&] { return (resumed = resumedLine.match(run.log().mid(restarted))).hasMatch(); }))
        << run.log().toStdString();
    EXPECT_EQ(resumed.captured(1).toLongLong(), atSignal) << "it goes on from the second the signal found";
    std::optional<QRect> newTile;
    ASSERT_TRUE(waitUntil([&] {
        newTile = loggedRectIn(
            run.log().mid(restarted), QStringLiteral("bar item \\d+ kind 2 pid -?\\d+ window -?\\d+ at "));
        return newTile.has_value();
    })) << run.log().toStdString();
    const std::optional<int> after = readPomodoroClock(run, *newTile);
    ASSERT_TRUE(after) << run.log().toStdString();
    EXPECT_LE(*after, kWorkSeconds - atSignal);
    EXPECT_TRUE(clockMovesOn(run, *newTile, *after)) << "and it counts";
    EXPECT_EQ(storedSetting(run, QStringLiteral("needRestorePomodoro")).toStdString(), "false");
}

INSTANTIATE_TEST_SUITE_P(Signals, SessionEndBySignal,
    ::testing::Values(EndSignal { "SIGTERM", SIGTERM, false }, EndSignal { "SIGINT", SIGINT, false },
        EndSignal { "SIGINT", SIGINT, true }),
    [](const ::testing::TestParamInfo<EndSignal>& info) {
        return std::string(info.param.name) + (info.param.repeated ? "PressedAgainWhileItQuits" : "");
    });

// `trap '' INT; exec orbitShelf`: a script's way of saying the program must
// outlive Ctrl+C. Ctrl+C then does nothing; a session manager's SIGTERM still
// ends it as Quit does.
TEST(SessionEnd, StartedWithCtrlCIgnoredItOutlivesCtrlCAndEndsAtSigterm)
{
    DockRun run;
    run.ignoreAtStart(SIGINT);
    const qint64 pid = run.start();
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitUntil([&] { return !loggedBar(run.log()).empty(); })) << run.log().toStdString();
    ::kill(pid_t(pid), SIGINT);
    EXPECT_EQ(run.waitForExit(1500), -1) << "still running after Ctrl+C\n" << run.log().toStdString();
    EXPECT_TRUE(run.running());
    EXPECT_FALSE(run.log().contains(QLatin1String("SIGINT received")));
    ::kill(pid_t(pid), SIGTERM);
    EXPECT_EQ(run.waitForExit(10000), 0) << run.log().toStdString();
}

TEST(SessionEnd, TheXServersEndEndsTheBarWithAStatusAfterWhatQuitSavesAndLeavesTheStoreWhole)
{
    // A desktop of the test's own, ended under the bar; the program's comes
    // back afterwards.
    const QByteArray display = qgetenv("DISPLAY");
    const auto programsDesktop = qScopeGuard([&display] { qputenv("DISPLAY", display); });
    std::unique_ptr<XvfbSession> session = XvfbSession::start();
    ASSERT_TRUE(session) << XvfbSession::lastError().toStdString();

    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(countingPomodoro(run)) << run.log().toStdString();

    // As at a logout: the window manager goes, then the X server.
    session.reset();
    EXPECT_EQ(run.waitForExit(15000), 0) << "an exit status, never a crash\n" << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QLatin1String("orbitShelf ended with the display")))
        << run.log().toStdString();
    EXPECT_EQ(storedSetting(run, QStringLiteral("needRestorePomodoro")).toStdString(), "true")
        << "what Quit saves is saved";
    EXPECT_GE(storedSetting(run, QStringLiteral("pomodoro_seconds")).toLongLong(), 1);
    EXPECT_EQ(integrityOf(run.storePath()).toStdString(), "ok");
}

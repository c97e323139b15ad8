#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tools/PomodoroRun.h"
#include "tools/PomodoroTick.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PomodoroRun : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        pomodoroRunning = false;
        pomodoroTickCount = 0;
        pomodoroWorkEndSecond = 0;
        pomodoroPausedRest = -1;
        pomodoroViewVisible = false;
        Record plugin;
        plugin.entity = Entity::Plugins;
        plugin.values = { { "name", "Pomodoro" }, { "installed", true } };
        state.installedPlugins << plugin;
    }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            pomodoroTick(state);
    }

    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST_F(PomodoroRun, DefaultsAreTheStoredLengthsAndText)
{
    EXPECT_EQ(state.pomodoro.tomatoMinute(), 30);
    EXPECT_EQ(state.pomodoro.loopRounds(), 8);
    EXPECT_EQ(state.pomodoro.restMinute(), 5);
    EXPECT_EQ(
        state.pomodoro.hintText(), QStringLiteral("Take a break, stretch your legs, and have some water."));
    state.pomodoro.setSecondsElapsed(qint64(1) << 40);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), qint64(1) << 40) << "the counters are 64-bit";
}

TEST_F(PomodoroRun, StartClearsTheRestoreMarkAndAStopResumesWhereItStopped)
{
    state.setNeedRestorePomodoro(true);
    recordPomodoroRun(state);
    EXPECT_TRUE(pomodoroRunning);
    EXPECT_FALSE(state.needRestorePomodoro());
    EXPECT_FALSE(state.pomodoro.lastRunTime().isEmpty());
    tick(100);
    stopPomodoroRun(state);
    tick(5);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 100);
    recordPomodoroRun(state);
    EXPECT_EQ(pomodoroTickCount, 0);
    tick();
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 101);
}

TEST_F(PomodoroRun, AFullWorkPhaseRestsAndTheNextStartBeginsAtZero)
{
    state.pomodoro.setTomatoMinute(2);
    recordPomodoroRun(state);
    tick(120);
    EXPECT_FALSE(pomodoroRunning);
    EXPECT_TRUE(state.pomodoro.startPomodoroTask);
    EXPECT_EQ(pomodoroWorkEndSecond, 120);

    // Started again without a reset: the phase must be able to end.
    recordPomodoroRun(state);
    EXPECT_FALSE(state.pomodoro.startPomodoroTask);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 0);
    tick(120);
    EXPECT_TRUE(state.pomodoro.startPomodoroTask);

    // Lowered below the time spent while stopped: also begins at 0.
    recordPomodoroRun(state);
    tick(90);
    stopPomodoroRun(state);
    state.pomodoro.setTomatoMinute(1);
    recordPomodoroRun(state);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 0);
}

TEST_F(PomodoroRun, ResetKeepsLengthsTextAndLastStart)
{
    state.pomodoro.setTomatoMinute(25);
    state.pomodoro.setHintText(QStringLiteral("walk"));
    recordPomodoroRun(state);
    const QString started = state.pomodoro.lastRunTime();
    tick(30);
    state.pomodoro.setCurrentRound(3);
    resetPomodoroRun(state);
    EXPECT_FALSE(pomodoroRunning);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 0);
    EXPECT_EQ(state.pomodoro.currentRound(), 0);
    EXPECT_EQ(pomodoroTickCount, 0);
    EXPECT_EQ(state.pomodoro.tomatoMinute(), 25);
    EXPECT_EQ(state.pomodoro.hintText(), QStringLiteral("walk"));
    EXPECT_EQ(state.pomodoro.lastRunTime(), started);
}

// The bar's tile reads the rest this way: the rest is over once it reached
// its length.
bool restOver(const AppState& state)
{
    return state.pomodoro.startPomodoroTask && pomodoroRestElapsed() >= state.pomodoro.restMinute() * 60;
}

TEST_F(PomodoroRun, TheRestLastsItsLengthWhateverStopsCameBefore)
{
    state.pomodoro.setTomatoMinute(25);
    state.pomodoro.setRestMinute(5);
    recordPomodoroRun(state);
    tick(10 * 60);
    stopPomodoroRun(state);
    tick(7); // stopped: the tick count goes on, the phase does not
    recordPomodoroRun(state);
    tick(15 * 60);
    ASSERT_TRUE(state.pomodoro.startPomodoroTask) << "the work phase ended after 25 counted minutes";
    EXPECT_EQ(pomodoroRestElapsed(), 0);

    // Stop two minutes into the rest ends the break on the bar; Start
    // finishes the rest: three minutes later it is over, not before.
    tick(2 * 60);
    stopPomodoroRun(state);
    EXPECT_FALSE(state.pomodoro.startPomodoroTask);
    tick(30);
    recordPomodoroRun(state);
    EXPECT_TRUE(state.pomodoro.startPomodoroTask);
    EXPECT_FALSE(pomodoroRunning);
    tick(3 * 60 - 1);
    EXPECT_FALSE(restOver(state));
    tick();
    EXPECT_TRUE(restOver(state));

    // A stop once the rest is over keeps nothing: the next start works.
    stopPomodoroRun(state);
    recordPomodoroRun(state);
    EXPECT_TRUE(pomodoroRunning);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 0);
}

TEST_F(PomodoroRun, RoundsCountEveryPhaseOfEveryLoop)
{
    state.pomodoro.setTomatoMinute(1);
    state.pomodoro.setRestMinute(1);
    for (const qint64 rounds : { 4, 2, 1 }) {
        resetPomodoroRun(state);
        state.pomodoro.setLoopRounds(rounds);
        for (int loop = 1; loop <= 3; ++loop) {
            for (qint64 round = 1; round <= rounds; ++round) {
                recordPomodoroRun(state);
                EXPECT_EQ(state.pomodoro.currentRound(), round)
                    << "working, loop " << loop << " of " << rounds;
                tick(20);
                if (round == 2) { // a stop within the phase changes no round
                    stopPomodoroRun(state);
                    recordPomodoroRun(state);
                }
                tick(40);
                ASSERT_TRUE(state.pomodoro.startPomodoroTask);
                EXPECT_EQ(state.pomodoro.currentRound(), round)
                    << "resting, loop " << loop << " of " << rounds;
                tick(60);
                ASSERT_TRUE(restOver(state));
                EXPECT_EQ(state.pomodoro.currentRound(), round);
            }
        }
    }
}

TEST_F(PomodoroRun, ARestartMarkGoesOnlyWithARunningPhase)
{
    EXPECT_FALSE(markPomodoroForRestart(state));
    EXPECT_FALSE(state.needRestorePomodoro()) << "nothing counts: a quit or restart leaves it stopped";
    recordPomodoroRun(state);
    tick(42);
    markPomodoroForRestart(state);
    EXPECT_TRUE(state.needRestorePomodoro());

    // The next launch: run values start empty, the stored seconds are kept,
    // the launch routine starts the run again and it counts on.
    pomodoroRunning = false;
    pomodoroTickCount = 0;
    recordPomodoroRun(state);
    EXPECT_FALSE(state.needRestorePomodoro());
    tick();
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 43);
    EXPECT_EQ(state.pomodoro.currentRound(), 1);
}

// A quit keeps a running phase for the next start as a restart does, with
// the seconds counted up to the quit; a stopped one stays stopped.
TEST_F(PomodoroRun, AQuitKeepsARunningPhaseForTheNextStart)
{
    keepPomodoroAtQuit(state);
    EXPECT_FALSE(state.needRestorePomodoro());
    recordPomodoroRun(state);
    tick(7);
    keepPomodoroAtQuit(state);
    EXPECT_TRUE(state.needRestorePomodoro());
    EXPECT_FALSE(state.pomodoro.secondsElapsedUnsaved());
    EXPECT_EQ(UserDefaults::readInt64(QStringLiteral("pomodoro_seconds"), 0), 7);

    stopPomodoroRun(state);
    state.setNeedRestorePomodoro(false);
    keepPomodoroAtQuit(state);
    EXPECT_FALSE(state.needRestorePomodoro()) << "a stopped phase starts stopped";
}

TEST(PomodoroLength, FieldsTakeOnlyMinutesUpToADayAndRoundsUpToNinetyNine)
{
    struct Row {
        const char* text;
        qint64 max;
        std::optional<qint64> expected;
    };
    for (const Row& row : {
             Row { "25", kPomodoroMaxMinutes, 25 },
             Row { " 1440 ", kPomodoroMaxMinutes, 1440 },
             Row { "1441", kPomodoroMaxMinutes, std::nullopt },
             Row { "0", kPomodoroMaxMinutes, std::nullopt },
             Row { "-5", kPomodoroMaxMinutes, std::nullopt },
             Row { "99999999999999999999", kPomodoroMaxMinutes, std::nullopt },
             Row { "abc", kPomodoroMaxRounds, std::nullopt },
             Row { "99", kPomodoroMaxRounds, 99 },
             Row { "100", kPomodoroMaxRounds, std::nullopt },
         })
        EXPECT_EQ(parsePomodoroLength(QString::fromLatin1(row.text), row.max), row.expected) << row.text;
}

#include "state/AppState.h"
#include "tools/PomodoroTick.h"
#include "state/UserDefaults.h"
#include "tools/PomodoroRun.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PomodoroTick : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        QObject::connect(&state, &AppState::changed, [this] { ++notices; });
        pomodoroRunning = false;
        pomodoroTickCount = 0;
        pomodoroWorkEndSecond = 0;
        pomodoroPausedRest = -1;
        pomodoroViewVisible = false;
    }
    void TearDown() override { UserDefaults::useFile(QString()); }

    void install(const QString& name = "Pomodoro")
    {
        Record plugin;
        plugin.entity = Entity::Plugins;
        plugin.values = { { "name", name }, { "installed", true } };
        state.installedPlugins << plugin;
    }
    void startRun()
    {
        pomodoroRunning = true;
        pomodoroTickCount = 0;
        state.pomodoro.startPomodoroTask = false;
    }
    void tick(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            pomodoroTick(state);
    }

    QTemporaryDir dir;
    AppState state;
    int notices = 0;
};

TEST_F(PomodoroTick, DoesNothingWithoutTheToolAndWrapsRoundsBackToOneWithIt)
{
    install("pomodoro"); // letter case differs: not the tool
    state.pomodoro.setCurrentRound(8);
    startRun();
    tick();
    EXPECT_EQ(pomodoroTickCount, 0);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 0);
    EXPECT_EQ(state.pomodoro.currentRound(), 8);
    EXPECT_EQ(notices, 0);

    // With the tool, rounds past the count (lowered meanwhile) wrap back to
    // one, also between runs; the last round itself stays.
    install();
    pomodoroRunning = false;
    struct Row {
        int current, rounds, expected;
    };
    for (const Row& row : { Row { 8, 8, 8 }, Row { 9, 8, 1 }, Row { 0, 8, 0 }, Row { 7, 8, 7 },
             Row { 3, 2, 1 }, Row { 2, 0, 1 } }) {
        state.pomodoro.setLoopRounds(row.rounds);
        state.pomodoro.setCurrentRound(row.current);
        tick();
        EXPECT_EQ(state.pomodoro.currentRound(), row.expected) << row.current << " of " << row.rounds;
    }
    EXPECT_EQ(pomodoroTickCount, 6) << "idle ticks still count the run's seconds";
}

TEST_F(PomodoroTick, WorkPhaseEndsAtItsLengthOrWhenShortenedBelowTheTimeSpent)
{
    install();
    state.pomodoro.setTomatoMinute(1);
    startRun();
    tick(59);
    EXPECT_TRUE(pomodoroRunning);
    EXPECT_FALSE(state.pomodoro.startPomodoroTask);
    tick();
    EXPECT_FALSE(pomodoroRunning);
    EXPECT_EQ(pomodoroWorkEndSecond, 60);
    EXPECT_TRUE(state.pomodoro.startPomodoroTask);
    EXPECT_EQ(notices, 1) << "the end of a phase is announced even with the view hidden";
    tick();
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 60) << "a phase that ended counts no further";
    EXPECT_EQ(pomodoroTickCount, 61);

    // Shortened below the time already spent, a phase ends at the next tick.
    state.pomodoro.setTomatoMinute(30);
    startRun();
    state.pomodoro.setSecondsElapsed(150);
    state.pomodoro.setTomatoMinute(2);
    tick();
    EXPECT_FALSE(pomodoroRunning);
    EXPECT_EQ(pomodoroWorkEndSecond, 1) << "the work end is the tick count's, not the phase's seconds";
}

TEST_F(PomodoroTick, PublishesOnlyWhileTheViewIsVisible)
{
    install();
    state.pomodoro.setTomatoMinute(1);
    startRun();
    tick(10);
    EXPECT_EQ(notices, 0);

    pomodoroViewVisible = true;
    tick(10);
    EXPECT_EQ(notices, 10) << "one publication per second of a running phase";

    // Phase over: a visible view still redraws each second (the break).
    tick(40);
    ASSERT_FALSE(pomodoroRunning);
    notices = 0;
    tick(3);
    EXPECT_EQ(notices, 3);
    pomodoroViewVisible = false;
    tick(3);
    EXPECT_EQ(notices, 3);
}

// A running phase must not rewrite the settings file every second: its
// seconds reach the file once a minute and when the phase ends, and what the
// panel reads is always the count.
TEST_F(PomodoroTick, WritesTheSecondsOncePerMinuteAndAtThePhasesEnd)
{
    install();
    state.pomodoro.setTomatoMinute(2);
    state.pomodoro.setCurrentRound(1);
    startRun();
    const auto onDisk = [this] {
        return QSettings(dir.filePath("defaults.conf"), QSettings::NativeFormat)
            .value("pomodoro_seconds", 0)
            .toLongLong();
    };
    const quint64 before = UserDefaults::generation();
    tick(59);
    EXPECT_EQ(UserDefaults::generation(), before) << "59 seconds counted, nothing written";
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 59);
    EXPECT_EQ(onDisk(), 0);
    tick();
    EXPECT_EQ(onDisk(), 60);
    tick(30);
    EXPECT_EQ(onDisk(), 60);
    EXPECT_EQ(state.pomodoro.secondsElapsed(), 90);

    stopPomodoroRun(state);
    EXPECT_EQ(onDisk(), 90) << "a stop writes what was counted";
    pomodoroRunning = true;
    tick(30);
    EXPECT_FALSE(pomodoroRunning);
    EXPECT_EQ(onDisk(), 120) << "the end of the phase is written at once";
}

} // namespace

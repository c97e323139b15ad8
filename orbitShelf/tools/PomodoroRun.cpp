#include "tools/PomodoroRun.h"

#include "state/AppState.h"
#include "state/TextFormats.h"

#include <QDateTime>

#include <algorithm>

qint64 nextPomodoroRound(qint64 current, qint64 rounds)
{
    return current < 1 || current >= rounds ? 1 : current + 1;
}

void recordPomodoroRun(AppState& state)
{
    CustomPomodoro& pomodoro = state.pomodoro;
    state.setNeedRestorePomodoro(false);
    pomodoroTickCount = 0;
    pomodoro.setLastRunTime(formatDate(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    if (pomodoroPausedRest >= 0) {
        // The rest is measured against the tick count, which starts again
        // at 0 now: the work end moves back by what the rest had run.
        pomodoroRunning = false;
        pomodoroWorkEndSecond = -pomodoroPausedRest;
        pomodoroPausedRest = -1;
        pomodoro.startPomodoroTask = true;
        state.publish();
        return;
    }
    pomodoroRunning = true;
    pomodoro.startPomodoroTask = false;
    // A phase that already reached its length would never end again: the
    // next one begins at 0, and with it the next round.
    const bool phaseDone = pomodoro.secondsElapsed() >= pomodoro.tomatoMinute() * 60;
    if (phaseDone)
        pomodoro.setSecondsElapsed(0);
    if (phaseDone || pomodoro.currentRound() < 1)
        pomodoro.setCurrentRound(nextPomodoroRound(pomodoro.currentRound(), pomodoro.loopRounds()));
    state.publish();
}

void recordPomodoroRun()
{
    recordPomodoroRun(AppState::shared());
}

void stopPomodoroRun(AppState& state)
{
    pomodoroRunning = false;
    state.pomodoro.saveSecondsElapsed();
    if (!state.pomodoro.startPomodoroTask)
        return;
    // Stop during a rest gives the bar back; a rest not over yet is kept, so
    // that the next start finishes it instead of skipping it.
    const qint64 rested = pomodoroRestElapsed();
    pomodoroPausedRest = rested < state.pomodoro.restMinute() * 60 ? std::max<qint64>(rested, 0) : -1;
    state.pomodoro.startPomodoroTask = false;
    state.publish();
}

bool markPomodoroForRestart(AppState& state)
{
    const bool before = state.needRestorePomodoro();
    state.pomodoro.saveSecondsElapsed();
    if (pomodoroRunning)
        state.setNeedRestorePomodoro(true);
    return before;
}

void keepPomodoroAtQuit(AppState& state)
{
    markPomodoroForRestart(state);
}

qint64 pomodoroRestElapsed()
{
    return pomodoroTickCount - pomodoroWorkEndSecond;
}

void resetPomodoroRun(AppState& state)
{
    pomodoroRunning = false;
    state.pomodoro.setSecondsElapsed(0);
    state.pomodoro.setCurrentRound(0);
    state.pomodoro.startPomodoroTask = false;
    pomodoroTickCount = 0;
    pomodoroPausedRest = -1;
    state.publish();
}

std::optional<qint64> parsePomodoroLength(const QString& text, qint64 max)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < 1 || value > max)
        return std::nullopt;
    return value;
}

bool pomodoroRunning = false;
qint64 pomodoroTickCount = 0;
qint64 pomodoroWorkEndSecond = 0;
qint64 pomodoroPausedRest = -1;
bool pomodoroViewVisible = false;

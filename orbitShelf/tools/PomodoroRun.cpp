#include "tools/PomodoroRun.h"

#include "app/AppState.h"
#include "app/Utilities.h"

#include <QDateTime>

void recordPomodoroRun(AppState& state)
{
    pomodoroRunning = true;
    state.setNeedRestorePomodoro(false);
    state.pomodoro.startPomodoroTask = false;
    // A phase that already reached its length would never end again.
    if (state.pomodoro.secondsElapsed() >= state.pomodoro.tomatoMinute() * 60)
        state.pomodoro.setSecondsElapsed(0);
    pomodoroTickCount = 0;
    state.pomodoro.setLastRunTime(
        formatDate(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    state.publish();
}

void recordPomodoroRun()
{
    recordPomodoroRun(AppState::shared());
}

void stopPomodoroRun()
{
    pomodoroRunning = false;
}

void resetPomodoroRun(AppState& state)
{
    pomodoroRunning = false;
    state.pomodoro.setSecondsElapsed(0);
    state.pomodoro.setCurrentRound(0);
    state.pomodoro.startPomodoroTask = false;
    pomodoroTickCount = 0;
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
bool pomodoroViewVisible = false;

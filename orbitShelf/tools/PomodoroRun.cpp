#include "tools/PomodoroRun.h"

#include "app/AppState.h"
#include "app/Utilities.h"

#include <QDateTime>

void recordPomodoroRun()
{
    AppState& state = AppState::shared();
    state.setNeedRestorePomodoro(true);
    state.pomodoro.setLastRunTime(formatDate(QDateTime::currentDateTime(), QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    // After a break the next work phase starts from zero; a run resumed at
    // launch keeps the seconds it had.
    if (state.pomodoro.startPomodoroTask) {
        state.pomodoro.setSecondsElapsed(0);
        state.pomodoro.startPomodoroTask = false;
    }
    pomodoroTicks = 0;
    pomodoroRunning = true;
    state.publish();
}

bool pomodoroRunning = false;
qint64 pomodoroTicks = 0;
qint64 pomodoroLastElapsed = 0;
bool pomodoroViewVisible = false;

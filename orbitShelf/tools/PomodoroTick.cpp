#include "tools/PomodoroTick.h"

#include "app/AppState.h"
#include "tools/PomodoroRun.h"

void pomodoroTick(AppState& state)
{
    if (!state.isPluginInstalled(QStringLiteral("Pomodoro")))
        return;

    CustomPomodoro& pomodoro = state.pomodoro;
    if (pomodoro.currentRound() >= pomodoro.loopRounds())
        pomodoro.setCurrentRound(1);

    ++pomodoroTickCount;
    if (pomodoro.startPomodoroTask && pomodoroViewVisible)
        state.publish();

    if (!pomodoroRunning)
        return;
    const qint64 elapsed = pomodoro.secondsElapsed() + 1;
    pomodoro.setSecondsElapsed(elapsed);
    if (pomodoroViewVisible)
        state.publish();
    // Reaching or passing the length ends the phase: the user may shorten
    // the phase below the time already spent, and it must still end.
    if (elapsed >= pomodoro.tomatoMinute() * 60) {
        pomodoroRunning = false;
        pomodoroWorkEndSecond = elapsed;
        pomodoro.setCurrentRound(pomodoro.currentRound() + 1);
        pomodoro.startPomodoroTask = true;
        emit state.changed();
    }
}

#include "tools/PomodoroTick.h"

#include "state/AppState.h"
#include "tools/PomodoroRun.h"

#include <algorithm>

void pomodoroTick(AppState& state)
{
    if (!state.isPluginInstalled(QStringLiteral("Pomodoro")))
        return;

    CustomPomodoro& pomodoro = state.pomodoro;
    // A round past the count (the count was lowered) starts over at 1; the
    // last round itself stays on until the next work phase begins.
    if (pomodoro.currentRound() > std::max<qint64>(pomodoro.loopRounds(), 1))
        pomodoro.setCurrentRound(1);

    ++pomodoroTickCount;
    if (pomodoro.startPomodoroTask && pomodoroViewVisible)
        state.publish();

    if (!pomodoroRunning)
        return;
    const qint64 elapsed = pomodoro.secondsElapsed() + 1;
    // Counted in memory; the settings file hears of it once a minute (what
    // a crash may lose) and when the phase ends. A stop, a quit or a restart
    // write it too.
    pomodoro.countSecondsElapsed(elapsed);
    if (elapsed % kPomodoroSaveEverySeconds == 0)
        pomodoro.saveSecondsElapsed();
    if (pomodoroViewVisible)
        state.publish();
    // Reaching or passing the length ends the phase: the user may shorten
    // the phase below the time already spent, and it must still end.
    if (elapsed >= pomodoro.tomatoMinute() * 60) {
        pomodoro.saveSecondsElapsed();
        pomodoroRunning = false;
        pomodoroWorkEndSecond = pomodoroTickCount;
        pomodoro.startPomodoroTask = true;
        emit state.changed();
    }
}

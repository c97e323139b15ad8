#pragma once

#include "state/CustomSettings.h"

#include <QString>
#include <QtGlobal>

// The Pomodoro counters and choices. All but startPomodoroTask are stored
// values of the settings table (ORBITSHELF_POMODORO_SETTINGS in CustomSettings.h); the tick's
// count of seconds is written at the moments that matter (see
// countSecondsElapsed). Writes send no notice: the tick writes while no view
// needs to redraw, and the operations publish when one does.
class CustomPomodoro final {
public:
    // The seconds of the work phase: the value counted last, also when it is
    // not yet written (countSecondsElapsed).
    qint64 secondsElapsed() const;
    // Stores at once (a start, a stop, a reset).
    void setSecondsElapsed(qint64 value) const;
    // The tick's count: kept in memory, shared by every copy, and written
    // only by saveSecondsElapsed or the next setSecondsElapsed. A running
    // phase would otherwise rewrite the whole settings file every second.
    void countSecondsElapsed(qint64 value) const;
    // Writes a count not yet written; nothing when there is none.
    void saveSecondsElapsed() const;
    // Whether a count waits to be written.
    bool secondsElapsedUnsaved() const;
    // tomatoMinute, loopRounds, restMinute (held to what the panel takes),
    // lastRunTime ("yyyy-MM-dd HH:mm:ss" of the last start, or empty),
    // currentRound and hintText, each with its setter.
    ORBITSHELF_POMODORO_CHOICES(ORBITSHELF_SETTING_ACCESSORS)

    // Plain flag, not stored.
    bool startPomodoroTask = false;

private:
    // The seconds as last written; secondsElapsed reads the count over them.
    ORBITSHELF_POMODORO_SECONDS(ORBITSHELF_SETTING_ACCESSORS)
};

#pragma once

#include <QString>
#include <QtGlobal>

// The Pomodoro counters and choices. All but startPomodoroTask live in the
// user defaults and are read and written there on every access; the tick's
// count of seconds is written at the moments that matter (see
// countSecondsElapsed).
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
    qint64 tomatoMinute() const;
    void setTomatoMinute(qint64 value) const;
    qint64 loopRounds() const;
    void setLoopRounds(qint64 value) const;
    qint64 restMinute() const;
    void setRestMinute(qint64 value) const;
    // "yyyy-MM-dd HH:mm:ss" of the last start, or empty.
    QString lastRunTime() const;
    void setLastRunTime(const QString& value) const;
    qint64 currentRound() const;
    void setCurrentRound(qint64 value) const;
    QString hintText() const;
    void setHintText(const QString& value) const;

    // Plain flag, not stored.
    bool startPomodoroTask = false;
};

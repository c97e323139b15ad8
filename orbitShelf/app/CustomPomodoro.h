#pragma once

#include <QString>
#include <QtGlobal>

// The Pomodoro counters and choices. All but startPomodoroTask live in the
// user defaults and are read and written there on every access.
class CustomPomodoro final {
public:
    qint64 secondsElapsed() const;
    void setSecondsElapsed(qint64 value) const;
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

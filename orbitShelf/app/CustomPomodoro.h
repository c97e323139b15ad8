#pragma once

#include <QString>

// The Pomodoro counters and choices. All but startPomodoroTask live in the
// user defaults and are read and written there on every access.
class CustomPomodoro final {
public:
    int secondsElapsed() const;
    void setSecondsElapsed(int value) const;
    int tomatoMinute() const;
    void setTomatoMinute(int value) const;
    int loopRounds() const;
    void setLoopRounds(int value) const;
    int restMinute() const;
    void setRestMinute(int value) const;
    // "yyyy-MM-dd HH:mm:ss" of the last start, or empty.
    QString lastRunTime() const;
    void setLastRunTime(const QString& value) const;
    int currentRound() const;
    void setCurrentRound(int value) const;
    QString hintText() const;
    void setHintText(const QString& value) const;

    // Plain flag, not stored.
    bool startPomodoroTask = false;
};

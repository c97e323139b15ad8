#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class AppState;

// Starts a Pomodoro run or resumes a stopped one (the panel's "Start", the
// bar's tile after a rest, the launch routine after the restart on wake):
// clears the restore mark, ends a rest, zeroes the tick count, stamps the
// start and publishes. A work phase already at or past its length begins
// again at 0, so it can end.
void recordPomodoroRun(AppState& state);
void recordPomodoroRun();

// The panel's "Stop": the work phase stops counting; nothing else changes.
void stopPomodoroRun();

// The panel's "Reset": ends the run and clears the seconds, the round and
// the tick count; lengths, reminder text and last start stay.
void resetPomodoroRun(AppState& state);

// The lengths the panel accepts: minutes 1-1440, rounds 1-99.
inline constexpr qint64 kPomodoroMaxMinutes = 1440;
inline constexpr qint64 kPomodoroMaxRounds = 99;
// `text` as a length within 1..`max`, or nothing (the field then shows the
// stored value again).
std::optional<qint64> parsePomodoroLength(const QString& text, qint64 max);

// The Pomodoro's process-wide run values, false or 0 at every launch. Main
// thread only. pomodoroTickCount counts the ticks since the last start or
// reset; pomodoroWorkEndSecond is the seconds value at which the last work
// phase ended; the Pomodoro view sets pomodoroViewVisible while on screen.
extern bool pomodoroRunning;
extern qint64 pomodoroTickCount;
extern qint64 pomodoroWorkEndSecond;
extern bool pomodoroViewVisible;

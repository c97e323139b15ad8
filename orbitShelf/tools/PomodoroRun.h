#pragma once

#include "state/CustomSettings.h"

#include <QString>
#include <QtGlobal>

#include <optional>

class AppState;

// Starts a Pomodoro run or resumes a stopped one (the panel's "Start", the
// bar's tile after a rest, the launch routine after a restart): clears the
// restore mark, ends a rest, zeroes the tick count, stamps the start and
// publishes. A work phase already at or past its length begins again at 0,
// so it can end, and is the next round (the first from round 0). A rest that
// "Stop" interrupted is resumed instead, with the time it had left.
void recordPomodoroRun(AppState& state);
void recordPomodoroRun();

// The round after `current` of `rounds`: 1 after the last one (and from 0).
qint64 nextPomodoroRound(qint64 current, qint64 rounds);

// The panel's "Stop": the work phase stops counting. During a rest it ends
// the rest's display on the bar and keeps the rest's remaining time for the
// next start.
void stopPomodoroRun(AppState& state);

// Before the process restarts itself: the seconds counted are written and a
// run that counts is marked to go on at the next launch. Returns the mark as
// it was, to put back when the restart does not happen.
bool markPomodoroForRestart(AppState& state);
// As the process quits: the same, so that a run the user left counting goes
// on at the next start, as after a restart (it does not count the time in
// between).
void keepPomodoroAtQuit(AppState& state);

// Seconds the rest has run: the tick count since the work phase ended.
qint64 pomodoroRestElapsed();

// The panel's "Reset": ends the run and clears the seconds, the round and
// the tick count; lengths, reminder text and last start stay.
void resetPomodoroRun(AppState& state);

// `text` as a length within 1..`max` (kPomodoroMaxMinutes or
// kPomodoroMaxRounds, the ranges the stored lengths are read in), or nothing
// (the field then shows the stored value again).
std::optional<qint64> parsePomodoroLength(const QString& text, qint64 max);

// The Pomodoro's process-wide run values, false or 0 at every launch. Main
// thread only. pomodoroTickCount counts the ticks since the last start or
// reset; pomodoroWorkEndSecond is the tick count at which the last work phase
// ended (a stop and a start within the phase restart the tick count, so the
// phase's seconds would misplace the rest); pomodoroPausedRest is the rest
// already run when "Stop" interrupted it, -1 when none waits; the Pomodoro
// view sets pomodoroViewVisible while on screen.
extern bool pomodoroRunning;
extern qint64 pomodoroTickCount;
extern qint64 pomodoroWorkEndSecond;
extern qint64 pomodoroPausedRest;
extern bool pomodoroViewVisible;

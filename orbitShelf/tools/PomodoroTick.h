#pragma once

#include <QtGlobal>

class AppState;

// How often a running work phase writes its seconds to the settings file.
inline constexpr qint64 kPomodoroSaveEverySeconds = 60;

// The Pomodoro's one-second step, run by the dock bar's tick on the main
// thread: wraps a round counter past the round count, counts the seconds of
// the run and of a running work phase, ends the phase once its length is
// reached (the rest begins; the next start goes on to the next round), and
// publishes only while the Pomodoro view is on screen (and once when a phase
// ends, so the bar's tile learns of it). Does nothing while the "Pomodoro"
// tool is not installed. The seconds are written once a minute and at the
// phase's end, not at every step.
void pomodoroTick(AppState& state);

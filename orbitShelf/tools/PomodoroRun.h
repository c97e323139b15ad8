#pragma once

#include <QtGlobal>

// Starts a Pomodoro run's bookkeeping (the launch routine resumes one with
// it, the bar's Pomodoro tile starts the next one): marks the run for
// restoring, stamps its start, zeroes the tick count, ends a break (the next
// phase's seconds start from zero) and publishes.
void recordPomodoroRun();

// The Pomodoro's process-wide run values. Main thread only. A run's start
// sets pomodoroRunning and zeroes pomodoroTicks; the tick counts and ends the
// work phase; the Pomodoro view sets pomodoroViewVisible while it is on
// screen.
extern bool pomodoroRunning;
extern qint64 pomodoroTicks;
extern qint64 pomodoroLastElapsed;
extern bool pomodoroViewVisible;

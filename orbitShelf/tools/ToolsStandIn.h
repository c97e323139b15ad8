#pragma once

// Stand-in for the built-in tools until their code lands: the launch
// routine's call to resume a Pomodoro. Starts nothing and leaves the stored
// restore flag as it is, so the real tool still resumes the run later.
void recordPomodoroRun();

#include <optional>

class QWidget;

// Whether a Pomodoro work phase is running; no run ever starts yet.
extern bool pomodoroRunning;

// Stores the clipboard's content as a new history entry; the history is not
// built yet, so it only logs.
void captureClipboard();

// The clipboard-history view; a placeholder page until the history lands.
QWidget* makePasteBoardView(std::optional<int> column, int limit);

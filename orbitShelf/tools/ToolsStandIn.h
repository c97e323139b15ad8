#pragma once

// Stand-in for the built-in tools until their code lands. Starts a Pomodoro
// run's bookkeeping (the launch routine resumes one with it, the bar's
// Pomodoro tile starts the next one): marks the run for restoring, stamps
// its start, zeroes the tick count, ends a break (the next phase's seconds
// start from zero) and publishes. There is no Pomodoro view yet to show the run.
void recordPomodoroRun();

#include <QtGlobal>

// The Pomodoro tool's process-wide run values, until the tool lands. Main
// thread only. The tool sets pomodoroRunning and zeroes pomodoroTicks when a
// run starts; the tick counts and ends the work phase; the Pomodoro view
// sets pomodoroViewVisible while it is on screen.
extern bool pomodoroRunning;
extern qint64 pomodoroTicks;
extern qint64 pomodoroLastElapsed;
extern bool pomodoroViewVisible;

#include <optional>

class QWidget;

// Stores the clipboard's content as a new history entry; the history is not
// built yet, so it only logs.
void captureClipboard();

// The clipboard-history view; a placeholder page until the history lands.
QWidget* makePasteBoardView(std::optional<int> column, int limit);

// The Pomodoro panel and the column file browser shown in the bar's tool
// sheets; placeholder pages that say the tool is not in this build.
QWidget* makePomodoroView();
QWidget* makeFastFinderView();

#include <memory>

// Stand-in for the tool hub (the sidebar of installed tools) that the main
// button's popover shows: says that the tools are not part of this build.
std::unique_ptr<QWidget> makeToolHubView();

#pragma once

// Stand-ins for the built-in tools' windows until they land.

#include <optional>

class QWidget;

// The clipboard-history view; a placeholder page until the history lands.
QWidget* makePasteBoardView(std::optional<int> column, int limit);

// The Pomodoro panel shown in the bar's tool sheet; a placeholder page that
// says the tool is not in this build.
QWidget* makePomodoroView();

#include <memory>

// Stand-in for the tool hub (the sidebar of installed tools) that the main
// button's popover shows: says that the tools are not part of this build.
std::unique_ptr<QWidget> makeToolHubView();

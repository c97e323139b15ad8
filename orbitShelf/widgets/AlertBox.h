#pragma once

// Makes showAlert() present a modal message box with one "ok" button. An
// alert raised off the main thread is shown on it. Called once at start.
void installMessageBoxAlerts();

class QFontMetrics;
class QString;

// How wide an alert must be for the window manager to show its whole title
// in the frame (the frame's buttons and borders take about 120 pixels), and
// for its message to stand on one line up to a readable width.
int alertMinimumWidth(const QString& title, const QString& message, const QFontMetrics& metrics);

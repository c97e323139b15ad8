#pragma once

// Makes showAlert() present a message box with one "ok" button that blocks
// nothing: the call returns at once, and the bar and every other window
// keep answering while the box is open. An alert raised off the main thread
// is shown on it. Called once at start.
void installMessageBoxAlerts();

class QFontMetrics;
class QMessageBox;
class QString;
class QWidget;

// Opens an alert box with one "ok" button and returns it at once. With an
// `owner`, the box belongs to the owner's window: modal to that window
// alone, and kept in front of it by the window manager. Without one it
// stands above other programs' windows, so that a click elsewhere never
// buries it. While a box with the same texts and owner is open, that one
// comes forward and is returned instead of a second. The box deletes itself
// once closed.
QMessageBox* openAlertBox(const QString& message, const QString& informative, QWidget* owner = nullptr);

// Runs the event loop until no alert box is open; at once when none is. For
// a start that fails before there is a bar: the process ends only once the
// user has read why.
void waitUntilAlertsClosed();

// How wide an alert must be for the window manager to show its whole title
// in the frame (the frame's buttons and borders take about 120 pixels), and
// for its message to stand on one line up to a readable width.
int alertMinimumWidth(const QString& title, const QString& message, const QFontMetrics& metrics);

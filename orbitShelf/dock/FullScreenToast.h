#pragma once

#include <QString>

class QWidget;

// The full-screen toast's card: "Fullscreen! Hide OrbitShelf?" with the
// shortcut that hides the bar.
QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height);

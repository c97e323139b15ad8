#pragma once

// Stand-in for the reload of pinned applications until the model gains it:
// clears AppState::openFromPinbar when set, and otherwise leaves
// AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

#include <QString>

// Turns the auto-hide of a screen's dock on (true) or off, on the main
// queue: stores "true"/"false" for the screen in autoHideSpaceDock, shows or
// hides the dock through showSpaceDock, and publishes.
void setSpaceDockShown(const QString& screenID, bool autoHide);

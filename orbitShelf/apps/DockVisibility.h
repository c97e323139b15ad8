#pragma once

#include <QString>

// Sets whether one screen's bar hides itself ("autoHideDock", stored) and
// whether it is shown now (AppState::showSpaceDock), together and opposite,
// then publishes. Main thread only.
void applySpaceDockAutoHide(bool autoHide, const QString& screenID);

// The same from any thread: queued to the main thread, returns at once.
void setSpaceDockAutoHide(const QString& screenID, bool autoHide);

#pragma once

// Stand-in for the reload of pinned applications until the model gains it:
// clears AppState::openFromPinbar when set, and otherwise leaves
// AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

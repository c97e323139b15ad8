#pragma once

// Stand-in for the reload of pinned applications: clears openFromPinbar when
// set, and otherwise leaves AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

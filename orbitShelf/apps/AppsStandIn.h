#pragma once

// The event thread and the badge reader have landed; this header stays for
// their callers' includes until the integrator drops it.
#include "apps/AXEventThread.h"
#include "apps/DockBadgeReader.h"

// Stand-in for the reload of pinned applications: clears openFromPinbar when
// set, and otherwise leaves AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

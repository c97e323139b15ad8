#pragma once

#include "platform/Platform.h"

#include <QString>

#include <memory>

namespace platform::x11 {

class XConnection;

// Connects to the X display named by DISPLAY. Returns nullptr and a message
// for the user in `error` when there is no X11 display to talk to.
std::unique_ptr<Platform> createX11Platform(QString* error);

// Whether the X11 display named by DISPLAY answers; `error` says why not.
// Cheap enough to ask before the toolkit starts (which aborts without one).
bool displayReachable(QString* error);

// A bar started to replace one that is ending waits, until `timeoutMs` has
// passed, for the window manager to let go of the windows of processes that
// have ended (listed in _NET_CLIENT_LIST though gone, or of a process that is
// no more). A new process often gets the old one's place at the X server and
// so the same window numbers, and a manager that still holds the old windows
// can take the new one's for them and never show it. The connection it
// returns holds the lowest free place (most often the old process's): kept
// open until the toolkit has connected, it gives the toolkit another one,
// and so other window numbers, even where the manager never lets go. Null
// without a display.
std::unique_ptr<XConnection> waitForWindowManagerToLetGoOfEndedProcesses(int timeoutMs);

// Round trips to the X server the calling thread has made through the X11
// platform (every wait for a batch of replies counts one), for the benchmark
// and the tests.
quint64 x11RoundTrips();

} // namespace platform::x11

#pragma once

#include "platform/Platform.h"

#include <QString>

#include <memory>

namespace platform::x11 {

// Connects to the X display named by DISPLAY. Returns nullptr and a message
// for the user in `error` when there is no X11 display to talk to.
std::unique_ptr<Platform> createX11Platform(QString* error);

// Whether the X11 display named by DISPLAY answers; `error` says why not.
// Cheap enough to ask before the toolkit starts (which aborts without one).
bool displayReachable(QString* error);

// Round trips to the X server the calling thread has made through the X11
// platform (every wait for a batch of replies counts one), for the benchmark
// and the tests.
quint64 x11RoundTrips();

} // namespace platform::x11

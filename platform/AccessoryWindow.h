#pragma once

#include <functional>

class QWindow;

namespace platform {

// The process is an accessory: it has no menu bar and its windows keep out
// of taskbars and pagers. How a window is marked depends on the display
// server; the X11 layer installs its marker at start, and with none
// installed (tests on the offscreen platform) marking does nothing.
using AccessoryMarker = std::function<void(QWindow*)>;

void setAccessoryMarker(AccessoryMarker marker);
void markAccessoryWindow(QWindow* window);

} // namespace platform

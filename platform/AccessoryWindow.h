#pragma once

#include <functional>

class QWindow;

namespace platform {

// The process is an accessory: it has no menu bar and its windows keep out
// of taskbars and pagers. How a window is marked depends on the display
// server; the X11 layer gives its marker with the platform's services
// (platform/Services.h), and with none installed (tests on the offscreen
// platform) marking does nothing.
using AccessoryMarker = std::function<void(QWindow*)>;

void markAccessoryWindow(QWindow* window);

} // namespace platform

#pragma once

#include "platform/ClickMonitor.h"

#include <memory>

namespace platform::x11 {

// Button releases and key presses from XInput 2 raw events selected on the
// root window, so input to every other client is seen without grabbing.
std::unique_ptr<ClickMonitor> createX11ClickMonitor();

} // namespace platform::x11

#pragma once

#include "platform/ClickMonitor.h"

#include <memory>

namespace platform::x11 {

// Primary-button releases from XInput 2 raw events selected on the root
// window, so clicks in every other client are seen without grabbing.
std::unique_ptr<ClickMonitor> createX11ClickMonitor();

} // namespace platform::x11

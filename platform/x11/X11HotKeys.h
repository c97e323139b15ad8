#pragma once

#include "platform/HotKeys.h"

#include <memory>

namespace platform::x11 {

// Hot keys as passive key grabs on the root window, the switcher's keyboard
// as an active grab, and modifier keys from XInput 2 raw events, all on a
// connection of its own. Nullptr (with a logged reason) without a display.
std::unique_ptr<HotKeys> createX11HotKeys();

} // namespace platform::x11

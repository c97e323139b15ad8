#pragma once

#include "platform/ScreenIdentity.h"

#include <memory>

namespace platform::x11 {

// Reads RandR outputs and their "EDID" property over its own connection to
// the X server named by DISPLAY. Without a display (or without RandR) every
// output is unknown, and callers fall back to the output name.
std::shared_ptr<ScreenIdentity> createX11ScreenIdentity();

} // namespace platform::x11

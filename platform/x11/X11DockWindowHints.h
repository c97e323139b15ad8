#pragma once

#include "platform/DockWindowHints.h"

namespace platform::x11 {

// Dock window hints over EWMH and the SHAPE extension.
DockWindowHints dockWindowHints();

} // namespace platform::x11

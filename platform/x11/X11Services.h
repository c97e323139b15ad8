#pragma once

#include "platform/Services.h"

#include <QString>

#include <optional>

namespace platform::x11 {

// Every piece of the X11 back-end, ready for platform::install(): the
// desktop over the display named by DISPLAY, and the hot keys, clipboard
// reader, click monitors and screen identities, each over a connection of
// its own. Nothing, with a message for the user in `error`, when there is
// no X11 display to talk to.
std::optional<Services> createX11Services(QString* error);

} // namespace platform::x11

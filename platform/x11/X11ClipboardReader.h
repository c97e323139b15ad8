#pragma once

#include "platform/Clipboard.h"

#include <memory>

namespace platform::x11 {

// Reads CLIPBOARD on a thread of its own over a connection of its own, so an
// owner that answers slowly or never holds up nothing but the next read.
// Each answer (the conversion, and every chunk of an INCR transfer) may take
// kClipboardAnswerTimeoutMs; an owner that takes longer is given up and
// logged. The connection is opened on the first read.
std::unique_ptr<ClipboardReader> createX11ClipboardReader();

} // namespace platform::x11

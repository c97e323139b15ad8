#pragma once

#include "platform/HoverArea.h"

namespace platform::x11 {

// A hover area on the application's connection: an input-only,
// override-redirect window whose input shape is the area's input region,
// with Enter and Leave selected and button and motion events kept from its
// ancestors. Its crossings are taken out of the application's own events,
// so they come on the main thread, in order with the toolkit's. None
// without SHAPE.
std::unique_ptr<HoverArea> createX11HoverArea(const HoverAreaSpec& spec);

} // namespace platform::x11

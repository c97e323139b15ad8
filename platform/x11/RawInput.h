#pragma once

#include <QString>

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>

namespace platform::x11 {

class XConnection;

// Asks for XInput 2 raw events of `mask` on the root window for every
// master device. Raw events reach the root window even while another client
// holds a grab only from XInput 2.1 on, so it asks for 2.2 and requires 2.1.
// Gives the extension's major opcode (to recognise its events), or nothing
// with the reason in `why`.
std::optional<uint8_t> selectRawInput(XConnection& x, uint32_t mask, QString* why);

} // namespace platform::x11

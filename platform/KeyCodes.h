#pragma once

#include <QtGlobal>

namespace platform {

// The app's key vocabulary: virtual key codes of an ANSI keyboard layout and
// the AppKit / Carbon modifier bits. Stored shortcuts and
// the switcher's key handling use these numbers; the X11 layer translates
// them (platform/x11/KeySymbols.h).
namespace keycode {
inline constexpr quint16 a = 0x00, s = 0x01, d = 0x02, f = 0x03, h = 0x04, g = 0x05, z = 0x06, x = 0x07,
                         c = 0x08, v = 0x09, b = 0x0B, q = 0x0C, w = 0x0D, e = 0x0E, r = 0x0F, y = 0x10,
                         t = 0x11, one = 0x12, two = 0x13, three = 0x14, four = 0x15, six = 0x16,
                         five = 0x17, equal = 0x18, nine = 0x19, seven = 0x1A, minus = 0x1B, eight = 0x1C,
                         zero = 0x1D, rightBracket = 0x1E, o = 0x1F, u = 0x20, leftBracket = 0x21, i = 0x22,
                         p = 0x23, l = 0x25, j = 0x26, quote = 0x27, k = 0x28, semicolon = 0x29,
                         backslash = 0x2A, comma = 0x2B, slash = 0x2C, n = 0x2D, m = 0x2E, period = 0x2F,
                         grave = 0x32;
inline constexpr quint16 returnKey = 0x24, tab = 0x30, space = 0x31, deleteKey = 0x33, escape = 0x35,
                         command = 0x37, shift = 0x38, capsLock = 0x39, option = 0x3A, control = 0x3B,
                         rightCommand = 0x36, rightShift = 0x3C, rightOption = 0x3D, rightControl = 0x3E,
                         function = 0x3F, help = 0x72 /* Insert on PC keyboards */, forwardDelete = 0x75,
                         home = 0x73, end = 0x77, pageUp = 0x74, pageDown = 0x79, leftArrow = 0x7B,
                         rightArrow = 0x7C, downArrow = 0x7D, upArrow = 0x7E;
inline constexpr quint16 f1 = 0x7A, f2 = 0x78, f3 = 0x63, f4 = 0x76, f5 = 0x60, f6 = 0x61, f7 = 0x62,
                         f8 = 0x64, f9 = 0x65, f10 = 0x6D, f11 = 0x67, f12 = 0x6F;
} // namespace keycode

// AppKit modifier flags (event modifier flags).
namespace appkit {
inline constexpr quint64 capsLock = 1ull << 16, shift = 1ull << 17, control = 1ull << 18,
                         option = 1ull << 19, command = 1ull << 20, function = 1ull << 23;
}

// Carbon modifier bits (hot-key registration).
namespace carbon {
inline constexpr quint32 command = 1u << 8, shift = 1u << 9, capsLock = 1u << 10, option = 1u << 11,
                         control = 1u << 12;
}

} // namespace platform

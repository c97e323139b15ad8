#pragma once

// Key codes are the macOS virtual key codes of the key positions; modifier
// flags are the AppKit bits. The kit maps positions to X keycodes itself.
#include <QList>
#include <QtGlobal>

#include <optional>

inline constexpr quint16 KCKeyCodeNone = 0xFFFF;

namespace kc {
inline constexpr quint64 shift = 0x20000;
inline constexpr quint64 control = 0x40000;
inline constexpr quint64 option = 0x80000;
inline constexpr quint64 command = 0x100000;
inline constexpr quint64 mask = 0x1E0000;
} // namespace kc

// The X keycode (evdev code + 8) of a key position; none for a key code
// without a row (such a key has no text).
std::optional<quint32> KCXKeycodeForKeyCode(quint16 keyCode);
// The key position of an X keycode, KCKeyCodeNone when the kit has no row.
quint16 KCKeyCodeForXKeycode(quint32 xKeycode);

// The 103 keys the reverse map covers, in the order that decides which key
// wins when two give the same text.
const QList<quint16>& KCKnownKeyCodes();

// F1 to F20, in order.
const QList<quint16>& KCFunctionKeyCodes();
// The numeric keypad's keys.
bool KCIsKeypadKeyCode(quint16 keyCode);

#pragma once

#include <QtGlobal>

#include <optional>

namespace platform::x11 {

// X core modifier masks (the state field of key events, the modifiers of a
// key grab).
namespace xmod {
inline constexpr quint16 shift = 1 << 0, lock = 1 << 1, control = 1 << 2, alt = 1 << 3 /* Mod1 */,
                         super = 1 << 6 /* Mod4 */;
}

// The app's virtual key codes ↔ X keysyms. The keysym of a letter is its
// lower-case form; both cases map back to the same key code.
std::optional<quint32> keysymForKeyCode(quint16 keyCode);
std::optional<quint16> keyCodeForKeysym(quint32 keysym);

// Command ↔ Control, Option ↔ Alt, Control ↔ Super, Shift ↔ Shift,
// Caps Lock ↔ Lock. Bits without a counterpart (function) are dropped.
quint16 xModifiersFromAppKit(quint64 flags);
quint64 appKitFromXModifiers(quint16 mask);
quint16 xModifiersFromCarbon(quint32 modifiers);
quint32 carbonFromXModifiers(quint16 mask);

} // namespace platform::x11

#pragma once

#include <QString>

namespace platform::x11 {

// The text a keysym types: Latin-1 keysyms stand for their character, the
// 0x01000000 range for a Unicode code point. Empty for function keys,
// modifiers, dead keys and everything else without text.
QString textForKeysym(quint32 keysym);

} // namespace platform::x11

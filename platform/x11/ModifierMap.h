#pragma once

#include "platform/x11/XConnection.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdint>
#include <vector>

namespace platform::x11 {

// The keyboard as one connection sees it: the keysyms of each key, and
// which keys set which of X's eight modifier bits (Shift, Lock, Control,
// Mod1 to Mod5). Raw key events name only the key; this says whether it is
// a modifier and which. Every client hears of a new map (xmodmap,
// setxkbmap) by MappingNotify, unasked: `update` reads it again.
class ModifierMap final {
public:
    ModifierMap() = default;
    ~ModifierMap();
    ModifierMap(const ModifierMap&) = delete;
    ModifierMap& operator=(const ModifierMap&) = delete;

    // Reads both maps of `x`, which must outlive this; one round trip for the
    // modifiers. An unanswered read leaves no key a modifier.
    void read(XConnection& x);
    // After a MappingNotify: the keysyms and the modifiers again. False (and
    // nothing read) for a change of the pointer's buttons.
    bool update(const xcb_mapping_notify_event_t* event);

    // The modifier map as the server gives it: eight rows of `perModifier`
    // keys, 0 for an empty place. `numLockKeys` are the keys that type
    // Num Lock.
    void assign(
        const xcb_keycode_t* keycodes, int perModifier, const std::vector<xcb_keycode_t>& numLockKeys);

    // The modifier bits a key sets; 0 for any other key.
    uint16_t bitsOf(uint32_t keycode) const { return keycode < m_bits.size() ? m_bits[keycode] : 0; }
    bool isModifierKey(uint32_t keycode) const { return bitsOf(keycode) != 0; }
    // The keys of modifier `bit` (0 Shift … 7 Mod5), in the server's order:
    // the first is the left one.
    const std::vector<xcb_keycode_t>& keycodesOf(int bit) const { return m_keycodes[size_t(bit)]; }
    // The bit Num Lock sits on; 0 when no modifier holds it.
    uint16_t numLockMask() const { return m_numLock; }

    // The keysyms of each key; null before `read` or when the server would
    // not say.
    xcb_key_symbols_t* symbols() const { return m_symbols; }

private:
    void readModifiers();

    XConnection* m_x = nullptr;
    xcb_key_symbols_t* m_symbols = nullptr;
    std::array<uint16_t, 256> m_bits {};
    std::array<std::vector<xcb_keycode_t>, 8> m_keycodes;
    uint16_t m_numLock = 0;
};

} // namespace platform::x11

#pragma once

// Which keys set which of X's eight modifier bits (Shift, Lock, Control,
// Mod1 to Mod5), as the server's modifier map says: the one reading of that
// map the kit's X11 parts share.
#include <QList>
#include <QSet>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>

class KCX11ModifierMap {
public:
    // Reads the map: one round trip. False when the server does not answer;
    // the map read before then stays.
    bool read(xcb_connection_t* connection);

    // The keys of modifier `bit` (0 Shift … 7 Mod5) in the server's order, the
    // left one first; no empty places.
    const QList<xcb_keycode_t>& keycodesOf(int bit) const { return m_keycodes[size_t(bit)]; }
    // The bit of the last modifier holding one of `keys`; 0 when none does.
    uint16_t bitHolding(const QSet<xcb_keycode_t>& keys) const;

private:
    std::array<QList<xcb_keycode_t>, 8> m_keycodes;
};

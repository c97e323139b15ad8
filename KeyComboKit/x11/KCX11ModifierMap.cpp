#include "KeyComboKit/x11/KCX11ModifierMap.h"

#include <cstdlib>
#include <memory>

bool KCX11ModifierMap::read(xcb_connection_t* connection)
{
    std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&free)> map(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr), &free);
    if (!map)
        return false;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int per = map->keycodes_per_modifier;
    for (int m = 0; m < 8; ++m) {
        m_keycodes[size_t(m)].clear();
        for (int k = 0; k < per; ++k)
            if (const xcb_keycode_t code = codes[m * per + k])
                m_keycodes[size_t(m)].append(code);
    }
    return true;
}

uint16_t KCX11ModifierMap::bitHolding(const QSet<xcb_keycode_t>& keys) const
{
    uint16_t bit = 0;
    for (int m = 0; m < 8; ++m)
        for (xcb_keycode_t code : m_keycodes[size_t(m)])
            if (keys.contains(code))
                bit = uint16_t(1 << m);
    return bit;
}

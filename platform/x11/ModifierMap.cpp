#include "platform/x11/ModifierMap.h"

#define XK_MISCELLANY
#include <X11/keysymdef.h>

namespace platform::x11 {

ModifierMap::~ModifierMap()
{
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
}

void ModifierMap::read(XConnection& x)
{
    m_x = &x;
    if (m_symbols)
        xcb_key_symbols_free(m_symbols);
    m_symbols = xcb_key_symbols_alloc(x.raw());
    readModifiers();
}

bool ModifierMap::update(const xcb_mapping_notify_event_t* event)
{
    if (!m_x || event->request == XCB_MAPPING_POINTER)
        return false;
    if (m_symbols)
        xcb_refresh_keyboard_mapping(m_symbols, const_cast<xcb_mapping_notify_event_t*>(event));
    readModifiers();
    return true;
}

void ModifierMap::readModifiers()
{
    assign(nullptr, 0, {});
    auto mapping = m_x->reply<xcb_get_modifier_mapping_reply_t>(xcb_get_modifier_mapping(m_x->raw()));
    if (!mapping)
        return;
    std::vector<xcb_keycode_t> numLockKeys;
    if (xcb_keycode_t* codes = m_symbols ? xcb_key_symbols_get_keycode(m_symbols, XK_Num_Lock) : nullptr) {
        for (xcb_keycode_t* c = codes; *c != XCB_NO_SYMBOL; ++c)
            numLockKeys.push_back(*c);
        free(codes);
    }
    assign(xcb_get_modifier_mapping_keycodes(mapping.get()), mapping->keycodes_per_modifier, numLockKeys);
}

void ModifierMap::assign(
    const xcb_keycode_t* keycodes, int perModifier, const std::vector<xcb_keycode_t>& numLockKeys)
{
    m_bits.fill(0);
    for (auto& codes : m_keycodes)
        codes.clear();
    m_numLock = 0;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t code = keycodes[modifier * perModifier + i];
            if (!code)
                continue;
            const auto bit = uint16_t(1u << modifier);
            m_bits[code] |= bit;
            m_keycodes[size_t(modifier)].push_back(code);
            for (xcb_keycode_t n : numLockKeys)
                if (n == code)
                    m_numLock = bit;
        }
}

} // namespace platform::x11

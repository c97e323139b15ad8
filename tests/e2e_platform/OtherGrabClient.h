#pragma once

// Another X client that holds key grabs of its own: Ctrl+Alt+<keycode> on
// the root window, as a program holding a hot key would.
#include "KeyComboKit/KCKeyCodes.h"

#include <xcb/xcb.h>

#include <cstdlib>

class OtherGrabClient final {
public:
    OtherGrabClient()
        : m_connection(xcb_connect(nullptr, nullptr))
        , m_root(xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root)
    {
    }
    ~OtherGrabClient() { xcb_disconnect(m_connection); }
    OtherGrabClient(const OtherGrabClient&) = delete;
    OtherGrabClient& operator=(const OtherGrabClient&) = delete;

    // Whether the server granted it.
    bool grab(xcb_keycode_t keycode)
    {
        xcb_generic_error_t* error = xcb_request_check(m_connection,
            xcb_grab_key_checked(m_connection, 1, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, keycode,
                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return !error;
    }
    void ungrab(xcb_keycode_t keycode)
    {
        std::free(xcb_request_check(m_connection,
            xcb_ungrab_key_checked(m_connection, keycode, m_root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1)));
    }

private:
    xcb_connection_t* m_connection;
    xcb_window_t m_root;
};

// Key positions the kit's tests type, and the shortcuts' modifiers.
inline constexpr quint16 kKeyT = 17, kKeyY = 16, kKeyK = 40, kKeyJ = 38;
inline constexpr quint64 commandOption = kc::command | kc::option;

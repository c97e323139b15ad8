#include "platform/x11/SkipTaskbar.h"

#include "platform/x11/XConnection.h"

#include <QWindow>

#include <algorithm>
#include <vector>

namespace platform::x11 {

void markSkipTaskbar(QWindow* window)
{
    XConnection* x = XConnection::ofApplication();
    if (!x || !window)
        return;
    // A window the window manager leaves alone (override-redirect) is in no
    // taskbar or pager; marking it would only cost round trips to the server.
    if (window->flags().testFlag(Qt::BypassWindowManagerHint))
        return;
    xcb_connection_t* c = x->raw();
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t state = x->atoms().netWmState;
    const xcb_atom_t skipTaskbar = x->atoms().netWmStateSkipTaskbar;
    const xcb_atom_t skipPager = x->atom("_NET_WM_STATE_SKIP_PAGER");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE || skipPager == XCB_ATOM_NONE)
        return;

    // Before mapping, the window manager reads the property itself; Qt keeps
    // atoms it does not manage when it writes the property on show.
    std::vector<xcb_atom_t> atoms;
    auto current
        = x->reply<xcb_get_property_reply_t>(xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 64));
    if (current && current->format == 32 && current->type == XCB_ATOM_ATOM) {
        const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(current.get()));
        atoms.assign(data, data + xcb_get_property_value_length(current.get()) / 4);
    }
    for (xcb_atom_t a : { skipTaskbar, skipPager })
        if (std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    xcb_change_property(
        c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32, uint32_t(atoms.size()), atoms.data());

    // Once mapped, only a request to the window manager changes the state.
    if (window->isVisible()) {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = id;
        event.type = state;
        event.data.data32[0] = 1; // _NET_WM_STATE_ADD
        event.data.data32[1] = skipTaskbar;
        event.data.data32[2] = skipPager;
        event.data.data32[3] = 1; // from a normal application
        xcb_send_event(c, 0, x->root(),
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&event));
    }
    xcb_flush(c);
}

} // namespace platform::x11

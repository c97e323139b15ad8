#include "platform/x11/X11ClickMonitor.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcClickMonitor, "orbitshelf.platform.clicks")

namespace platform::x11 {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&free)>;

template <typename T>
Reply<T> own(T* reply)
{
    return Reply<T>(reply, &free);
}

class X11ClickMonitor final : public ClickMonitor {
public:
    ~X11ClickMonitor() override { stop(); }

    bool start() override
    {
        if (m_connection)
            return true;
        int screenNumber = 0;
        xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection)) {
            qCWarning(lcClickMonitor) << "window clicks are not tracked: no X display";
            xcb_disconnect(connection);
            return false;
        }
        m_connection = connection;

        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        m_root = screens.data->root;

        if (!selectRawReleases()) {
            stop();
            return false;
        }
        m_wmState = internAtom("WM_STATE");
        m_netWmPid = internAtom("_NET_WM_PID");

        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                       QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { drainEvents(); });
        // Replies read while selecting may already have queued events.
        drainEvents();
        return true;
    }

    void stop() override
    {
        m_notifier.reset();
        if (m_connection) {
            xcb_disconnect(m_connection);
            m_connection = nullptr;
        }
    }

    bool isRunning() const override { return m_connection != nullptr; }

private:
    bool selectRawReleases()
    {
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_connection, &xcb_input_id);
        if (!extension || !extension->present) {
            qCWarning(lcClickMonitor) << "window clicks are not tracked: the X server has no XInput extension";
            return false;
        }
        m_xinputOpcode = extension->major_opcode;

        // Raw events reach the root window even while another client holds a
        // grab only from XInput 2.1 on, so ask for 2.2 and require 2.1.
        auto version = own(xcb_input_xi_query_version_reply(
            m_connection, xcb_input_xi_query_version(m_connection, 2, 2), nullptr));
        if (!version || version->major_version < 2
            || (version->major_version == 2 && version->minor_version < 1)) {
            qCWarning(lcClickMonitor) << "window clicks are not tracked: XInput 2.1 is not available";
            return false;
        }

        struct {
            xcb_input_event_mask_t head;
            uint32_t mask;
        } selection{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE};
        auto error = own(xcb_request_check(
            m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &selection.head)));
        if (error) {
            qCWarning(lcClickMonitor) << "window clicks are not tracked: selecting raw button events failed, X error"
                                      << error->error_code;
            return false;
        }
        return true;
    }

    xcb_atom_t internAtom(const char* name)
    {
        auto reply = own(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    void drainEvents()
    {
        if (!m_connection)
            return;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
            auto event = own(raw);
            if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
                continue;
            auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event.get());
            if (generic->extension != m_xinputOpcode || generic->event_type != XCB_INPUT_RAW_BUTTON_RELEASE)
                continue;
            auto* release = reinterpret_cast<xcb_input_raw_button_release_event_t*>(event.get());
            if (logicalButton(release->detail) == 1)
                reportClick();
        }
        if (xcb_connection_has_error(m_connection)) {
            qCWarning(lcClickMonitor) << "window click tracking stopped: the X connection was lost";
            stop();
        }
    }

    // Raw events carry the physical button; a left-handed mapping swaps them.
    uint32_t logicalButton(uint32_t physical)
    {
        auto mapping = own(xcb_get_pointer_mapping_reply(
            m_connection, xcb_get_pointer_mapping(m_connection), nullptr));
        if (!mapping || physical == 0
            || physical > static_cast<uint32_t>(xcb_get_pointer_mapping_map_length(mapping.get())))
            return physical;
        return xcb_get_pointer_mapping_map(mapping.get())[physical - 1];
    }

    void reportClick()
    {
        auto pointer = own(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
        if (!pointer || !pointer->same_screen)
            return;
        PointerClick click;
        click.rootPosition = QPoint(pointer->root_x, pointer->root_y);
        if (pointer->child != XCB_WINDOW_NONE) {
            click.window = clientOf(pointer->child);
            if (ownerPid(click.window) == static_cast<int64_t>(getpid()))
                return;
        }
        emit primaryButtonReleased(click);
    }

    bool hasWmState(xcb_window_t window)
    {
        auto reply = own(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_wmState, XCB_ATOM_ANY, 0, 0), nullptr));
        return reply && reply->type != XCB_ATOM_NONE;
    }

    // The top-level window under the pointer is usually the window manager's
    // frame; the application's window is the one below it that carries
    // WM_STATE. Windows without a client (override-redirect menus, the
    // desktop) stand for themselves.
    xcb_window_t clientOf(xcb_window_t topLevel)
    {
        if (hasWmState(topLevel))
            return topLevel;
        std::deque<xcb_window_t> pending{topLevel};
        int visited = 0;
        while (!pending.empty() && visited < 256) {
            xcb_window_t window = pending.front();
            pending.pop_front();
            ++visited;
            auto tree = own(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
            if (!tree)
                continue; // vanished while we looked
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            const int count = xcb_query_tree_children_length(tree.get());
            for (int i = 0; i < count; ++i) {
                if (hasWmState(children[i]))
                    return children[i];
                pending.push_back(children[i]);
            }
        }
        return topLevel;
    }

    int64_t ownerPid(xcb_window_t window)
    {
        auto reply = own(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
            return -1;
        return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    uint8_t m_xinputOpcode = 0;
    xcb_atom_t m_wmState = XCB_ATOM_NONE;
    xcb_atom_t m_netWmPid = XCB_ATOM_NONE;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace

std::unique_ptr<ClickMonitor> createX11ClickMonitor()
{
    return std::make_unique<X11ClickMonitor>();
}

} // namespace platform::x11

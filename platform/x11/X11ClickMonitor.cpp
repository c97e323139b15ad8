#include "platform/x11/X11ClickMonitor.h"

#include "platform/x11/KeySymbols.h"
#include "platform/x11/KeyText.h"
#include "platform/x11/ModifierMap.h"
#include "platform/x11/RawInput.h"
#include "platform/x11/X11EndRequests.h"
#include "platform/x11/XConnection.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <deque>
#include <unistd.h>
#include <utility>

Q_LOGGING_CATEGORY(lcClickMonitor, "orbitshelf.platform.clicks")

namespace platform::x11 {

namespace {

class X11ClickMonitor final : public ClickMonitor {
public:
    ~X11ClickMonitor() override { stop(); }

    bool start() override
    {
        if (m_x)
            return true;
        m_x = XConnection::open(QByteArray(), nullptr);
        if (!m_x) {
            qCWarning(lcClickMonitor) << "window clicks are not tracked: no X display";
            return false;
        }
        m_connection = m_x->raw();
        m_root = m_x->root();

        if (!selectRawReleases()) {
            stop();
            return false;
        }
        m_modifiers = std::make_unique<ModifierMap>();
        m_modifiers->read(*m_x);
        readHeldModifiers();

        m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                       QSocketNotifier::Read);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { drainEvents(); });
        if (QCoreApplication* app = QCoreApplication::instance())
            app->installEventFilter(this);
        // Replies read while selecting may already have queued events.
        drainEvents();
        return true;
    }

    void stop() override
    {
        if (QCoreApplication* app = QCoreApplication::instance())
            app->removeEventFilter(this);
        m_notifier.reset();
        m_modifiers.reset();
        m_x.reset();
        m_connection = nullptr;
    }

    bool isRunning() const override { return m_x != nullptr; }

protected:
    // Presses our own windows received, by their server time: the raw press
    // may be read after the menu it landed on has closed, when the pointer
    // already lies over the window beneath.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress && watched->isWindowType()) {
            m_ownPressTimes[m_nextOwnPress] = static_cast<uint32_t>(static_cast<QMouseEvent*>(event)->timestamp());
            m_nextOwnPress = (m_nextOwnPress + 1) % m_ownPressTimes.size();
        }
        return false;
    }

private:
    bool ownWindowWasPressedAt(uint32_t time) const
    {
        return time != 0
            && std::find(m_ownPressTimes.begin(), m_ownPressTimes.end(), time) != m_ownPressTimes.end();
    }

    bool selectRawReleases()
    {
        QString why;
        const auto opcode = selectRawInput(*m_x,
            XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE
                | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE,
            &why);
        if (!opcode) {
            qCWarning(lcClickMonitor).noquote() << "window clicks are not tracked:" << why;
            return false;
        }
        m_xinputOpcode = *opcode;
        return true;
    }

    void drainEvents()
    {
        if (!m_connection)
            return;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
            auto event = owned(raw);
            if ((event->response_type & 0x7f) == XCB_MAPPING_NOTIFY) {
                // The keyboard layout changed: its keysyms and modifiers are read again.
                m_modifiers->update(reinterpret_cast<xcb_mapping_notify_event_t*>(event.get()));
                continue;
            }
            if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
                continue;
            auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event.get());
            if (generic->extension != m_xinputOpcode)
                continue;
            if (generic->event_type == XCB_INPUT_RAW_KEY_PRESS) {
                const uint32_t keycode = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event.get())->detail;
                if (!trackModifier(keycode, true))
                    reportKey(keycode);
                continue;
            }
            if (generic->event_type == XCB_INPUT_RAW_KEY_RELEASE) {
                trackModifier(reinterpret_cast<xcb_input_raw_key_release_event_t*>(event.get())->detail, false);
                continue;
            }
            if (generic->event_type == XCB_INPUT_RAW_BUTTON_PRESS) {
                auto* press = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event.get());
                const uint32_t button = logicalButton(press->detail);
                if (button == 1 || button == 3) {
                    m_pressTime[button == 3] = press->time;
                    m_pressOnOwnWindow[button == 3] = ownWindowWasPressedAt(press->time) || pointerOverOwnWindow();
                }
                continue;
            }
            if (generic->event_type != XCB_INPUT_RAW_BUTTON_RELEASE)
                continue;
            auto* release = reinterpret_cast<xcb_input_raw_button_release_event_t*>(event.get());
            const uint32_t button = logicalButton(release->detail);
            if (button == 1 || button == 3) {
                // A menu or panel of ours closes as its button goes up, so by
                // the release the window under the pointer is the one beneath
                // it: where the press landed decides whose click it was.
                const bool secondary = button == 3;
                const bool ours = std::exchange(m_pressOnOwnWindow[secondary], false)
                    || ownWindowWasPressedAt(std::exchange(m_pressTime[secondary], 0));
                if (!ours)
                    reportClick(secondary, release->time);
            }
        }
        if (xcb_connection_has_error(m_connection)) {
            qCWarning(lcClickMonitor) << "window click tracking stopped: the X connection was lost";
            stop();
            connectionBroke("the click monitor");
        }
    }

    // Raw events carry the physical button; a left-handed mapping swaps them.
    uint32_t logicalButton(uint32_t physical)
    {
        auto mapping = m_x->reply<xcb_get_pointer_mapping_reply_t>(xcb_get_pointer_mapping(m_connection));
        if (!mapping || physical == 0
            || physical > static_cast<uint32_t>(xcb_get_pointer_mapping_map_length(mapping.get())))
            return physical;
        return xcb_get_pointer_mapping_map(mapping.get())[physical - 1];
    }

    // Raw events carry no modifier state and no focus: both are asked for
    // here, once per key, which a local X server answers in microseconds.
    void reportKey(uint32_t keycode)
    {
        xcb_key_symbols_t* symbols = m_modifiers->symbols();
        if (!symbols)
            return;
        auto pointer = m_x->reply<xcb_query_pointer_reply_t>(xcb_query_pointer(m_connection, m_root));
        if (!pointer)
            return;
        // A pointer query alone races with fast key sequences (a synthesised
        // Ctrl+C has released Ctrl before the query is answered), so the
        // modifiers seen in the raw event stream count as well.
        const uint16_t mask = pointer->mask | heldModifierMask();
        if (focusIsOurs())
            return;
        // Shift picks the second column, like typing the key with Shift alone.
        const int column = (mask & XCB_MOD_MASK_SHIFT) ? 1 : 0;
        xcb_keysym_t keysym
            = xcb_key_symbols_get_keysym(symbols, static_cast<xcb_keycode_t>(keycode), column);
        if (keysym == XCB_NO_SYMBOL && column == 1)
            keysym = xcb_key_symbols_get_keysym(symbols, static_cast<xcb_keycode_t>(keycode), 0);
        KeyPress key;
        key.charactersIgnoringModifiers = textForKeysym(keysym);
        key.modifierFlags = appKitFromXModifiers(mask);
        key.keyCode = keyCodeForKeysym(keysym).value_or(0xFFFF);
        emit keyPressed(key);
    }

    bool focusIsOurs()
    {
        auto focus = m_x->reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(m_connection));
        if (!focus || focus->focus == XCB_WINDOW_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT)
            return false;
        // The focus may sit on a child of the client window; its pid is on the client.
        xcb_window_t window = focus->focus;
        for (int depth = 0; depth < 8 && window != XCB_WINDOW_NONE && window != m_root; ++depth) {
            const int64_t pid = ownerPid(window);
            if (pid >= 0)
                return pid == static_cast<int64_t>(getpid());
            auto tree = m_x->reply<xcb_query_tree_reply_t>(xcb_query_tree(m_connection, window));
            if (!tree)
                return false;
            window = tree->parent;
        }
        return false;
    }

    // The modifier bits a key sets while held (Lock excluded: it toggles).
    uint16_t heldBitsOf(uint32_t keycode) const
    {
        return m_modifiers->bitsOf(keycode) & ~uint16_t(XCB_MOD_MASK_LOCK);
    }

    // Modifier keys already held when the monitor starts.
    void readHeldModifiers()
    {
        m_heldKeys.fill(false);
        auto keymap = m_x->reply<xcb_query_keymap_reply_t>(xcb_query_keymap(m_connection));
        if (!keymap)
            return;
        for (int code = 0; code < 256; ++code)
            if (heldBitsOf(uint32_t(code)) && (keymap->keys[code / 8] & (1u << (code % 8))))
                m_heldKeys[code] = true;
    }

    // Records a modifier key going down or up; false for other keys.
    bool trackModifier(uint32_t keycode, bool pressed)
    {
        if (keycode >= 256 || !heldBitsOf(keycode))
            return false;
        m_heldKeys[keycode] = pressed;
        return true;
    }

    uint16_t heldModifierMask() const
    {
        uint16_t mask = 0;
        for (int code = 0; code < 256; ++code)
            if (m_heldKeys[code])
                mask |= heldBitsOf(uint32_t(code));
        return mask;
    }

    bool pointerOverOwnWindow()
    {
        auto pointer = m_x->reply<xcb_query_pointer_reply_t>(xcb_query_pointer(m_connection, m_root));
        if (!pointer || pointer->child == XCB_WINDOW_NONE)
            return false;
        return ownerPid(clientOf(pointer->child)) == static_cast<int64_t>(getpid());
    }

    void reportClick(bool secondary, xcb_timestamp_t time)
    {
        auto pointer = m_x->reply<xcb_query_pointer_reply_t>(xcb_query_pointer(m_connection, m_root));
        if (!pointer || !pointer->same_screen)
            return;
        PointerClick click;
        click.rootPosition = QPoint(pointer->root_x, pointer->root_y);
        click.serverTime = time;
        if (pointer->child != XCB_WINDOW_NONE) {
            click.window = clientOf(pointer->child);
            if (ownerPid(click.window) == static_cast<int64_t>(getpid()))
                return;
        }
        if (secondary)
            emit secondaryButtonReleased(click);
        else
            emit primaryButtonReleased(click);
    }

    bool hasWmState(xcb_window_t window)
    {
        auto reply = m_x->reply<xcb_get_property_reply_t>(
            xcb_get_property(m_connection, 0, window, m_x->atoms().wmState, XCB_ATOM_ANY, 0, 0));
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
            auto tree = m_x->reply<xcb_query_tree_reply_t>(xcb_query_tree(m_connection, window));
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
        auto reply = m_x->reply<xcb_get_property_reply_t>(
            xcb_get_property(m_connection, 0, window, m_x->atoms().netWmPid, XCB_ATOM_CARDINAL, 0, 1));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
            return -1;
        return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    }

    std::unique_ptr<XConnection> m_x;
    xcb_connection_t* m_connection = nullptr; // m_x's
    xcb_window_t m_root = XCB_WINDOW_NONE;
    uint8_t m_xinputOpcode = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<ModifierMap> m_modifiers;
    std::array<bool, 256> m_heldKeys{};
    // Per button (primary, secondary): its press landed on one of our windows.
    std::array<bool, 2> m_pressOnOwnWindow {};
    std::array<uint32_t, 2> m_pressTime {};
    // The server times of the last presses our own windows received.
    std::array<uint32_t, 8> m_ownPressTimes {};
    size_t m_nextOwnPress = 0;
};

} // namespace

std::unique_ptr<ClickMonitor> createX11ClickMonitor()
{
    return std::make_unique<X11ClickMonitor>();
}

} // namespace platform::x11

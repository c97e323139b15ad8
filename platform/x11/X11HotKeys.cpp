#include "platform/x11/X11HotKeys.h"

#include "platform/x11/KeySymbols.h"
#include "platform/x11/ModifierMap.h"
#include "platform/x11/RawInput.h"
#include "platform/x11/X11EndRequests.h"
#include "platform/x11/XConnection.h"

#include <QLoggingCategory>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

Q_LOGGING_CATEGORY(lcHotKeys, "orbitshelf.platform.hotkeys")

namespace platform::x11 {

namespace {

    struct Registration {
        quint32 reference = 0;
        quint16 keyCode = 0;
        quint16 mask = 0;
        std::vector<xcb_keycode_t> keycodes;
    };

    // Server times wrap after 49 days; compare them as the distance between.
    bool notBefore(xcb_timestamp_t time, xcb_timestamp_t reference)
    {
        return static_cast<int32_t>(time - reference) >= 0;
    }

    class X11HotKeys final : public HotKeys {
    public:
        ~X11HotKeys() override
        {
            m_notifier.reset();
            m_modifiers.reset();
        }

        bool open()
        {
            m_x = XConnection::open(QByteArray(), nullptr);
            if (!m_x) {
                qCWarning(lcHotKeys) << "global hot keys are off: no X display";
                return false;
            }
            m_connection = m_x->raw();
            m_root = m_x->root();
            m_modifiers = std::make_unique<ModifierMap>();
            m_modifiers->read(*m_x);
            m_notifier = std::make_unique<QSocketNotifier>(
                xcb_get_file_descriptor(m_connection), QSocketNotifier::Read);
            connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { drainEvents(); });
            return true;
        }

        std::optional<quint32> registerHotKey(quint16 keyCode, quint32 carbonModifiers) override
        {
            if (!m_connection)
                return std::nullopt;
            const quint16 mask = xModifiersFromCarbon(carbonModifiers);
            for (const Registration& r : m_registrations)
                if (r.keyCode == keyCode && r.mask == mask)
                    return r.reference;
            Registration registration { m_nextReference, keyCode, mask, keycodesFor(keyCode) };
            // Every way out below has waited on the server (the keyboard map,
            // the grab's answer), and key events read off the socket meanwhile
            // would sit unseen: a refused key asked for again while the
            // switcher holds the keyboard swallowed the release that ends it.
            if (registration.keycodes.empty()) {
                qCInfo(lcHotKeys) << "no key on this keyboard for key code" << keyCode;
                scheduleDrain();
                return std::nullopt;
            }
            if (!grab(registration, true)) {
                ungrab(registration);
                scheduleDrain();
                return std::nullopt;
            }
            // The grab alone does not make the key work: a window manager that
            // takes a modifier key by itself (the Win key for its menu) has
            // the keyboard from the modifier's press on, and the combination
            // never reaches us. Such a key is refused as a taken one is.
            if (modifierKeyHeldElsewhere(mask)) {
                ungrab(registration);
                scheduleDrain();
                return std::nullopt;
            }
            ++m_nextReference;
            m_registrations.push_back(registration);
            scheduleDrain();
            return registration.reference;
        }

        void unregisterHotKey(quint32 reference) override
        {
            for (auto it = m_registrations.begin(); it != m_registrations.end(); ++it) {
                if (it->reference == reference) {
                    ungrab(*it);
                    m_registrations.erase(it);
                    xcb_flush(m_connection);
                    return;
                }
            }
        }

        bool grabKeyboard() override
        {
            if (!m_connection)
                return false;
            if (m_grabbed) {
                qCDebug(lcHotKeys) << "keyboard grab asked for while held";
                return true;
            }
            auto reply = m_x->reply<xcb_grab_keyboard_reply_t>(xcb_grab_keyboard(
                m_connection, 0, m_root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            if (!reply || reply->status != XCB_GRAB_STATUS_SUCCESS) {
                qCWarning(lcHotKeys) << "the keyboard is held by another program (grab status"
                                     << (reply ? int(reply->status) : -1) << ")";
                scheduleDrain();
                return false;
            }
            m_grabbed = true;
            m_hadGrab = true;
            // The grab took over from the hot key's own passive grab: keys from
            // that press on went to us, not to the rest of the desktop.
            m_grabStart = m_lastHotKeyTime;
            m_grabEnd = m_lastHotKeyTime;
            reportKeysReleasedBeforeGrab();
            scheduleDrain();
            return true;
        }

        void ungrabKeyboard() override
        {
            if (!m_grabbed)
                return;
            qCDebug(lcHotKeys) << "keyboard let go";
            m_grabbed = false;
            m_hotKeyHeld = false;
            m_releasedBeforeGrab.clear();
            xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
            xcb_flush(m_connection);
        }

        bool keyboardGrabbed() const override { return m_grabbed; }

        std::optional<bool> anyKeyDown(const std::vector<quint16>& keyCodes) override
        {
            if (!m_connection)
                return std::nullopt;
            auto keymap = m_x->reply<xcb_query_keymap_reply_t>(xcb_query_keymap(m_connection));
            // Events read off the socket while waiting must not sit unseen.
            scheduleDrain();
            if (!keymap)
                return std::nullopt;
            for (int code = 8; code < 256; ++code) {
                if (!(keymap->keys[code / 8] & (1u << (code % 8))))
                    continue;
                const std::optional<quint16> keyCode = appKeyCode(xcb_keycode_t(code));
                if (keyCode && std::find(keyCodes.begin(), keyCodes.end(), *keyCode) != keyCodes.end())
                    return true;
            }
            return false;
        }

        bool startModifierMonitor() override
        {
            if (!m_connection)
                return false;
            if (m_monitoring)
                return true;
            QString why;
            const auto opcode = selectRawInput(
                *m_x, XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE, &why);
            if (!opcode) {
                qCWarning(lcHotKeys).noquote() << "modifier keys are not watched:" << why;
                return false;
            }
            m_xinputOpcode = *opcode;
            m_monitoring = true;
            drainEvents();
            return true;
        }

    private:
        // A reply read off the socket may have queued events behind it, and the
        // socket notifier will not fire for those.
        void scheduleDrain()
        {
            QMetaObject::invokeMethod(
                this, [this] { drainEvents(); }, Qt::QueuedConnection);
        }

        // Keys let go between the hot key's press and the grab went to another
        // window or to the hot key's passive grab, and the grab itself never
        // reports them: a quick tap of the hot key, or a modifier let go a
        // moment later on a loaded machine, would leave the grabber waiting
        // for a release that already happened. The keyboard's state now says
        // which of the keys held at the press are up; each is reported as if
        // it had been typed into the grab, the hot key's own key first.
        void reportKeysReleasedBeforeGrab()
        {
            m_reportedUp.fill(false);
            auto keymap = m_x->reply<xcb_query_keymap_reply_t>(xcb_query_keymap(m_connection));
            if (!keymap)
                return;
            const auto down
                = [&keymap](int code) { return (keymap->keys[code / 8] & (1u << (code % 8))) != 0; };
            std::vector<std::pair<quint16, bool>> released; // app key code, modifier
            const auto report = [&](xcb_keycode_t code, bool modifier) {
                m_reportedUp[code] = true;
                if (const auto keyCode = appKeyCode(code))
                    released.emplace_back(*keyCode, modifier);
            };
            std::vector<xcb_keycode_t> modifiersUp;
            bool hotKeyModifierUp = false;
            for (int bit = 0; bit < 8; ++bit) {
                const quint16 mask = quint16(1u << bit);
                if (mask == XCB_MOD_MASK_LOCK || mask == m_modifiers->numLockMask())
                    continue;
                const std::vector<xcb_keycode_t>& codes = m_modifiers->keycodesOf(bit);
                const bool stillDown = std::any_of(codes.begin(), codes.end(), down);
                const bool wasHeld = (m_hotKeyState & mask)
                    || std::any_of(
                        codes.begin(), codes.end(), [this](xcb_keycode_t c) { return m_heldModifiers[c]; });
                if (!wasHeld || stillDown || codes.empty())
                    continue;
                // The key that was seen going down, else the modifier's first.
                xcb_keycode_t code = codes.front();
                for (xcb_keycode_t c : codes)
                    if (m_heldModifiers[c])
                        code = c;
                for (xcb_keycode_t c : codes)
                    m_heldModifiers[c] = false;
                modifiersUp.push_back(code);
                hotKeyModifierUp = hotKeyModifierUp || (m_hotKeyState & mask);
            }
            // A modifier of the hot key let go while its key is still down
            // (machine-speed input releases in the order pressed): the key's
            // tap counts first, as if it had been let go before.
            m_hotKeyHeld = m_hotKeyKeycode && down(m_hotKeyKeycode);
            if (m_hotKeyKeycode && (!m_hotKeyHeld || hotKeyModifierUp)) {
                report(m_hotKeyKeycode, false);
                m_hotKeyHeld = false;
            }
            for (xcb_keycode_t code : modifiersUp)
                report(code, true);
            if (released.empty()) {
                qCDebug(lcHotKeys) << "keyboard grabbed, the hot key and its modifiers still down";
                return;
            }
            qCDebug(lcHotKeys) << "released before the grab:" << released.size() << "key(s)";
            // Queued: the grabber installs its handlers after the grab
            // returns. They come before any key read after the grab, also
            // when the socket is read before the queued call runs.
            m_releasedBeforeGrab = std::move(released);
            QMetaObject::invokeMethod(
                this, [this] { deliverKeysReleasedBeforeGrab(); }, Qt::QueuedConnection);
        }

        void deliverKeysReleasedBeforeGrab()
        {
            const auto released = std::exchange(m_releasedBeforeGrab, {});
            for (const auto& [keyCode, modifier] : released) {
                if (!m_grabbed)
                    return;
                if (modifier)
                    emit grabbedModifierChanged(keyCode);
                else
                    emit grabbedKeyUp(keyCode);
            }
        }

        std::vector<xcb_keycode_t> keycodesFor(quint16 keyCode)
        {
            std::vector<xcb_keycode_t> result;
            const std::optional<quint32> keysym = keysymForKeyCode(keyCode);
            if (!keysym || !m_modifiers->symbols())
                return result;
            xcb_keycode_t* codes = xcb_key_symbols_get_keycode(m_modifiers->symbols(), *keysym);
            if (!codes)
                return result;
            std::set<xcb_keycode_t> unique;
            for (xcb_keycode_t* c = codes; *c != XCB_NO_SYMBOL; ++c)
                unique.insert(*c);
            free(codes);
            return { unique.begin(), unique.end() };
        }

        // The combination with and without Caps Lock and Num Lock, so the hot
        // key works whatever the lock keys are set to.
        std::vector<quint16> lockVariants(quint16 mask) const
        {
            std::set<quint16> masks;
            const quint16 numLock = m_modifiers->numLockMask();
            for (quint16 extra :
                { quint16(0), quint16(XCB_MOD_MASK_LOCK), numLock, quint16(XCB_MOD_MASK_LOCK | numLock) })
                masks.insert(mask | extra);
            return { masks.begin(), masks.end() };
        }

        bool grab(const Registration& r, bool checked)
        {
            std::vector<xcb_void_cookie_t> cookies;
            for (xcb_keycode_t code : r.keycodes)
                for (quint16 mask : lockVariants(r.mask)) {
                    if (checked)
                        cookies.push_back(xcb_grab_key_checked(
                            m_connection, 0, m_root, mask, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
                    else
                        xcb_grab_key(
                            m_connection, 0, m_root, mask, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
                }
            bool refused = false;
            for (xcb_void_cookie_t cookie : cookies)
                if (auto error = owned(xcb_request_check(m_connection, cookie)))
                    refused = true;
            xcb_flush(m_connection);
            return !refused;
        }

        // The X key code of a modifier key in `mask` that another program
        // grabs by itself (pressed with no other modifier), found by asking
        // for that grab: the server refuses it when another client holds it.
        // What was granted is given back at once.
        // Asked once per modifier set and keyboard map: the probe holds the
        // modifier key for a moment, and a press typed then would be ours.
        std::optional<xcb_keycode_t> modifierKeyHeldElsewhere(quint16 mask)
        {
            const auto known = m_modifierProbes.find(mask);
            if (known != m_modifierProbes.end())
                return known->second;
            const std::optional<xcb_keycode_t> held = probeModifierKeys(mask);
            m_modifierProbes.emplace(mask, held);
            if (held)
                qCInfo(lcHotKeys).noquote()
                    << QStringLiteral("hot keys with the modifiers 0x%1 cannot work: another program takes "
                                      "their modifier key (X key code %2) by itself")
                           .arg(mask, 0, 16)
                           .arg(*held);
            return held;
        }

        std::optional<xcb_keycode_t> probeModifierKeys(quint16 mask)
        {
            for (int bit = 0; bit < 8; ++bit) {
                if (!(mask & (1u << bit)))
                    continue;
                for (xcb_keycode_t code : m_modifiers->keycodesOf(bit)) {
                    const xcb_void_cookie_t cookie = xcb_grab_key_checked(
                        m_connection, 0, m_root, 0, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
                    if (auto error = owned(xcb_request_check(m_connection, cookie)))
                        return code;
                    xcb_ungrab_key(m_connection, code, m_root, 0);
                }
            }
            xcb_flush(m_connection);
            return std::nullopt;
        }

        // Ungrabbing a combination another program holds does not touch its grab.
        void ungrab(const Registration& r)
        {
            for (xcb_keycode_t code : r.keycodes)
                for (quint16 mask : lockVariants(r.mask))
                    xcb_ungrab_key(m_connection, code, m_root, mask);
        }

        std::optional<quint16> appKeyCode(xcb_keycode_t code)
        {
            if (!m_modifiers->symbols())
                return std::nullopt;
            return keyCodeForKeysym(xcb_key_symbols_get_keysym(m_modifiers->symbols(), code, 0));
        }

        void regrabAll()
        {
            for (Registration& r : m_registrations) {
                ungrab(r);
                r.keycodes = keycodesFor(r.keyCode);
                if (!r.keycodes.empty() && !grab(r, true))
                    qCWarning(lcHotKeys) << "hot key with key code" << r.keyCode
                                         << "is held by another program after the keyboard changed";
            }
        }

        void drainEvents()
        {
            if (!m_connection)
                return;
            deliverKeysReleasedBeforeGrab();
            while (xcb_generic_event_t* raw = xcb_poll_for_event(m_connection)) {
                auto event = owned(raw);
                switch (event->response_type & 0x7f) {
                case XCB_KEY_PRESS:
                    keyPress(reinterpret_cast<xcb_key_press_event_t*>(event.get()));
                    break;
                case XCB_KEY_RELEASE:
                    keyRelease(reinterpret_cast<xcb_key_release_event_t*>(event.get()));
                    break;
                case XCB_MAPPING_NOTIFY: {
                    if (!m_modifiers->update(reinterpret_cast<xcb_mapping_notify_event_t*>(event.get())))
                        break;
                    // A probe answers for one modifier map.
                    m_modifierProbes.clear();
                    regrabAll();
                    break;
                }
                case XCB_GE_GENERIC:
                    rawKey(reinterpret_cast<xcb_ge_generic_event_t*>(event.get()));
                    break;
                default:
                    break;
                }
            }
            if (xcb_connection_has_error(m_connection)) {
                qCWarning(lcHotKeys) << "global hot keys stopped: the X connection was lost";
                m_notifier.reset();
                m_grabbed = false;
                connectionBroke("the hot keys");
            }
        }

        void keyPress(const xcb_key_press_event_t* press)
        {
            if (m_grabbed) {
                m_grabEnd = press->time;
                grabbedKey(press->detail, true);
                return;
            }
            if (passiveGrabModifier(press->detail, true, press->time))
                return;
            const quint16 state = press->state & ~(XCB_MOD_MASK_LOCK | m_modifiers->numLockMask()) & 0xff;
            for (const Registration& r : m_registrations) {
                if (r.mask != state)
                    continue;
                for (xcb_keycode_t code : r.keycodes)
                    if (code == press->detail) {
                        m_lastHotKeyTime = press->time;
                        m_hotKeyKeycode = press->detail;
                        m_hotKeyState = press->state;
                        emit hotKeyPressed(r.keyCode, r.reference);
                        return;
                    }
            }
        }

        void keyRelease(const xcb_key_release_event_t* release)
        {
            if (!m_grabbed) {
                qCDebug(lcHotKeys) << "key" << release->detail << "up outside a grab";
                passiveGrabModifier(release->detail, false, release->time);
                return;
            }
            m_grabEnd = release->time;
            grabbedKey(release->detail, false);
        }

        // While a hot key is held down its passive grab sends us the keyboard,
        // and the server then keeps the raw events of the grabbing client's own
        // keys from it: a modifier let go first reaches us only this way.
        bool passiveGrabModifier(xcb_keycode_t code, bool pressed, xcb_timestamp_t time)
        {
            if (!m_modifiers->isModifierKey(code))
                return false;
            if (m_heldModifiers[code] == pressed)
                return true;
            m_heldModifiers[code] = pressed;
            if (m_monitoring)
                if (const auto keyCode = appKeyCode(code))
                    emit modifierChanged(*keyCode, pressed, time);
            return true;
        }

        void grabbedKey(xcb_keycode_t code, bool pressed)
        {
            // The server sends the grabbing client no raw events: modifiers
            // are tracked here, so the monitor's next change counts.
            if (m_modifiers->isModifierKey(code))
                m_heldModifiers[code] = pressed;
            if (code == m_hotKeyKeycode)
                m_hotKeyHeld = pressed;
            else if (!pressed && m_hotKeyHeld && isHotKeyModifier(code))
                tapHeldHotKey();
            // Its release was reported when the grab began.
            const bool reported = std::exchange(m_reportedUp[code], false) && !pressed;
            qCDebug(lcHotKeys) << "grabbed key" << code << (pressed ? "down" : "up")
                               << (reported ? "(reported at the grab)" : "");
            if (reported)
                return;
            const std::optional<quint16> keyCode = appKeyCode(code);
            if (!keyCode)
                return;
            if (m_modifiers->isModifierKey(code))
                emit grabbedModifierChanged(*keyCode);
            else if (pressed)
                emit grabbedKeyDown(*keyCode);
            else
                emit grabbedKeyUp(*keyCode);
        }

        bool isHotKeyModifier(xcb_keycode_t code) const
        {
            for (int bit = 0; bit < 8; ++bit)
                if ((m_hotKeyState & (1u << bit)) && (m_modifiers->bitsOf(code) & (1u << bit)))
                    return true;
            return false;
        }

        // The hot key's modifier goes up while its key is still held: the
        // key's tap is reported before the modifier, and its own release
        // later is not reported again.
        void tapHeldHotKey()
        {
            m_hotKeyHeld = false;
            m_reportedUp[m_hotKeyKeycode] = true;
            qCDebug(lcHotKeys) << "grabbed key" << m_hotKeyKeycode
                               << "counted as let go: its modifier went up first";
            if (const std::optional<quint16> keyCode = appKeyCode(m_hotKeyKeycode))
                emit grabbedKeyUp(*keyCode);
        }

        void rawKey(const xcb_ge_generic_event_t* generic)
        {
            if (generic->extension != m_xinputOpcode || !m_monitoring)
                return;
            if (generic->event_type != XCB_INPUT_RAW_KEY_PRESS
                && generic->event_type != XCB_INPUT_RAW_KEY_RELEASE)
                return;
            // Press and release events share their layout.
            const auto* key = reinterpret_cast<const xcb_input_raw_key_press_event_t*>(generic);
            if (key->detail >= 256 || !m_modifiers->isModifierKey(key->detail))
                return;
            const bool pressed = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
            // The server repeats some raw events (a synthesised release comes
            // twice) and a held key may repeat: only changes count.
            if (m_heldModifiers[key->detail] == pressed)
                return;
            m_heldModifiers[key->detail] = pressed;
            // Keys typed into the switcher belong to it alone.
            if (m_hadGrab && notBefore(key->time, m_grabStart)
                && (m_grabbed || !notBefore(key->time, m_grabEnd + 1)))
                return;
            if (const std::optional<quint16> keyCode = appKeyCode(static_cast<xcb_keycode_t>(key->detail)))
                emit modifierChanged(*keyCode, pressed, key->time);
        }

        std::unique_ptr<XConnection> m_x;
        xcb_connection_t* m_connection = nullptr; // m_x's
        xcb_window_t m_root = XCB_WINDOW_NONE;
        std::unique_ptr<ModifierMap> m_modifiers;
        std::unique_ptr<QSocketNotifier> m_notifier;
        std::vector<Registration> m_registrations;
        quint32 m_nextReference = 1;
        std::array<bool, 256> m_heldModifiers {};
        std::map<quint16, std::optional<xcb_keycode_t>> m_modifierProbes;
        std::array<bool, 256> m_reportedUp {};
        std::vector<std::pair<quint16, bool>> m_releasedBeforeGrab; // app key code, modifier
        xcb_keycode_t m_hotKeyKeycode = 0;
        quint16 m_hotKeyState = 0;
        // The hot key's key is down, its tap not reported yet in this grab.
        bool m_hotKeyHeld = false;
        uint8_t m_xinputOpcode = 0;
        bool m_monitoring = false;
        bool m_grabbed = false;
        bool m_hadGrab = false;
        xcb_timestamp_t m_lastHotKeyTime = 0;
        xcb_timestamp_t m_grabStart = 0;
        xcb_timestamp_t m_grabEnd = 0;
    };

} // namespace

std::unique_ptr<HotKeys> createX11HotKeys()
{
    auto hotKeys = std::make_unique<X11HotKeys>();
    if (!hotKeys->open())
        return nullptr;
    return hotKeys;
}

} // namespace platform::x11

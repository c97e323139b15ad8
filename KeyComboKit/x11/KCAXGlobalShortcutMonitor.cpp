#include "KeyComboKit/x11/KCAXGlobalShortcutMonitor.h"

#include "KeyComboKit/x11/KCX11ModifierMap.h"

#include <QHash>
#include <QSet>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace {

struct ModifierKey {
    quint16 keyCode; // the kit's code of the key position, as a flags-changed event names it
    quint64 flag;
};

} // namespace

struct KCAXGlobalShortcutMonitor::Private {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    uint8_t xinputOpcode = 0;
    QSocketNotifier* notifier = nullptr;
    bool tapEnabled = false;
    KCX11ModifierMap modifierMap;
    QHash<xcb_keycode_t, ModifierKey> modifierKeys;
    QSet<xcb_keycode_t> down;

    // X's Control, Mod1 and Mod4 keys act as Command, Option and Control;
    // the first key of a modifier is its left one. Read again whenever the
    // server announces a new modifier or keyboard map (xmodmap, setxkbmap).
    void readModifierMap()
    {
        if (!modifierMap.read(connection))
            return;
        modifierKeys.clear();
        struct Role {
            int index;
            quint16 left, right;
            quint64 flag;
        };
        const Role roles[] = {
            { 0, 56, 60, kc::shift },
            { 2, 55, 54, kc::command },
            { 3, 58, 61, kc::option },
            { 6, 59, 62, kc::control },
        };
        for (const Role& role : roles) {
            bool first = true;
            for (const xcb_keycode_t code : modifierMap.keycodesOf(role.index)) {
                if (modifierKeys.contains(code))
                    continue;
                modifierKeys.insert(code, { first ? role.left : role.right, role.flag });
                first = false;
            }
        }
    }

    quint64 flags() const
    {
        quint64 f = 0;
        for (xcb_keycode_t code : down)
            if (const auto it = modifierKeys.constFind(code); it != modifierKeys.constEnd())
                f |= it->flag;
        return f;
    }
};

KCAXGlobalShortcutMonitor::KCAXGlobalShortcutMonitor()
    : d(std::make_unique<Private>())
{
}

std::unique_ptr<KCAXGlobalShortcutMonitor> KCAXGlobalShortcutMonitor::create(
    int tapOptions, const QString& display)
{
    if (!(tapOptions & tapListenOnly)) {
        qCCritical(lcKeyComboKit)
            << "#Critical Unable to create event tap: X11 cannot filter other clients' key events";
        return nullptr;
    }
    const QByteArray name = display.toLocal8Bit();
    xcb_connection_t* connection = xcb_connect(display.isEmpty() ? nullptr : name.constData(), nullptr);
    const xcb_query_extension_reply_t* xinput
        = xcb_connection_has_error(connection) ? nullptr : xcb_get_extension_data(connection, &xcb_input_id);
    std::unique_ptr<xcb_input_xi_query_version_reply_t, decltype(&free)> version(xinput && xinput->present
            ? xcb_input_xi_query_version_reply(
                connection, xcb_input_xi_query_version(connection, 2, 2), nullptr)
            : nullptr,
        &free);
    if (!version || version->major_version < 2) {
        qCCritical(lcKeyComboKit) << "#Critical Unable to create event tap: no XInput 2 on the display";
        xcb_disconnect(connection);
        return nullptr;
    }
    std::unique_ptr<KCAXGlobalShortcutMonitor> monitor(new KCAXGlobalShortcutMonitor);
    monitor->d->connection = connection;
    monitor->d->xinputOpcode = xinput->major_opcode;
    monitor->d->root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    monitor->d->readModifierMap();
    monitor->d->notifier
        = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, monitor.get());
    connect(monitor->d->notifier, &QSocketNotifier::activated, monitor.get(),
        &KCAXGlobalShortcutMonitor::readEvents);
    return monitor;
}

KCAXGlobalShortcutMonitor::~KCAXGlobalShortcutMonitor()
{
    // No event may reach a monitor that is going: stop the notifier and the
    // raw events before anything else.
    delete d->notifier;
    d->notifier = nullptr;
    if (d->connection) {
        setTapEnabled(false);
        xcb_disconnect(d->connection);
        d->connection = nullptr;
    }
}

bool KCAXGlobalShortcutMonitor::isTapEnabled() const
{
    QMutexLocker locker(&m_lock);
    return d->tapEnabled;
}

void KCAXGlobalShortcutMonitor::setTapEnabled(bool enabled)
{
    d->tapEnabled = enabled;
    if (!d->connection)
        return;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } mask;
    mask.head.deviceid = XCB_INPUT_DEVICE_ALL_MASTER;
    mask.head.mask_len = 1;
    mask.mask
        = enabled ? (XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE) : 0;
    xcb_input_xi_select_events(d->connection, d->root, 1, &mask.head);
    xcb_flush(d->connection);
    if (!enabled)
        d->down.clear();
}

void KCAXGlobalShortcutMonitor::didAddShortcut(const KCShortcutRef&)
{
    if (!d->tapEnabled)
        setTapEnabled(true);
}

void KCAXGlobalShortcutMonitor::didRemoveShortcut(const KCShortcutRef&)
{
    // After the removal, so that removing all actions at once, which
    // announces every shortcut before dropping any, also ends the tap.
    if (shortcuts().isEmpty())
        setTapEnabled(false);
}

void KCAXGlobalShortcutMonitor::readEvents()
{
    if (!d->connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(d->connection)) {
        // Every client hears of a new map, unasked; the keys after it in the
        // stream already follow it.
        if ((event->response_type & 0x7f) == XCB_MAPPING_NOTIFY) {
            const auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
            if (mapping->request != XCB_MAPPING_POINTER)
                d->readModifierMap();
            free(event);
            continue;
        }
        const auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
        if ((event->response_type & 0x7f) == XCB_GE_GENERIC && generic->extension == d->xinputOpcode
            && (generic->event_type == XCB_INPUT_RAW_KEY_PRESS
                || generic->event_type == XCB_INPUT_RAW_KEY_RELEASE)) {
            const auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event);
            const xcb_keycode_t code = xcb_keycode_t(raw->detail);
            const bool press = generic->event_type == XCB_INPUT_RAW_KEY_PRESS;
            // Auto-repeat presses a held key again; a release of a key that
            // is not down (XTest sends such) ends nothing.
            const bool repeat = press == d->down.contains(code);
            if (press)
                d->down.insert(code);
            else
                d->down.remove(code);
            if (!repeat && d->tapEnabled) {
                KCKeyEvent key;
                key.modifierFlags = d->flags();
                if (const auto it = d->modifierKeys.constFind(code); it != d->modifierKeys.constEnd()) {
                    key.type = KCKeyEvent::flagsChanged;
                    key.keyCode = it->keyCode;
                } else {
                    key.type = press ? KCKeyEvent::keyDown : KCKeyEvent::keyUp;
                    key.keyCode = KCKeyCodeForXKeycode(code);
                }
                handleEvent(key);
            }
        }
        free(event);
    }
}

bool KCAXGlobalShortcutMonitor::handleEvent(const KCKeyEvent& event)
{
    KCActivity activity("-[KCAXGlobalShortcutMonitor handleEvent:]");
    const quint64 flags = event.modifierFlags & kc::mask;
    const bool modifier = event.type == KCKeyEvent::flagsChanged;
    const KCKeyEventType kind = KCKeyEventTypeFor(event.type, event.keyCode, flags);
    // Releasing Command ends the shortcut Command, though the flags after the
    // change no longer hold it: the key-up actions of ⌘ are the ones to run.
    const quint64 shortcutFlags
        = modifier && kind == KCKeyEventTypeUp ? flags | KCModifierFlagForKeyCode(event.keyCode) : flags;
    const KCShortcutRef shortcut = KCShortcut::shortcutWithCode(
        modifier ? KCKeyCodeNone : event.keyCode, shortcutFlags, QString(), QString());
    const bool handled = performActions(shortcut, kind, nullptr);
    if (handled)
        qCCritical(lcKeyComboKit)
            << "#Developer #Error The monitor is not configured to actively filter events";
    return handled;
}

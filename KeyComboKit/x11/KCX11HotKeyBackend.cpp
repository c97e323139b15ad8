#include "KeyComboKit/x11/KCX11HotKeyBackend.h"

#include "KeyComboKit/x11/KCX11ModifierMap.h"

#include <QHash>
#include <QSet>
#include <QSocketNotifier>

#include <xcb/xcb.h>
// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {

// X's status when the connection is gone or the key has no X keycode.
constexpr qint32 kBadValue = 2;
constexpr xcb_keysym_t kNumLockKeysym = 0xff7f;

struct Grab {
    xcb_keycode_t keycode;
    uint16_t modifiers;
    quint32 signature;
    quint32 id;
};

uint16_t xModifiers(quint32 carbon)
{
    uint16_t mods = 0;
    if (carbon & 0x100) // Command
        mods |= XCB_MOD_MASK_CONTROL;
    if (carbon & 0x200)
        mods |= XCB_MOD_MASK_SHIFT;
    if (carbon & 0x800) // Option
        mods |= XCB_MOD_MASK_1;
    if (carbon & 0x1000) // Control
        mods |= XCB_MOD_MASK_4;
    return mods;
}

} // namespace

struct KCX11HotKeyBackend::Private {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    uint16_t numLock = XCB_MOD_MASK_2;
    QSocketNotifier* notifier = nullptr;
    QHash<quintptr, Grab> grabs;
    quintptr nextRef = 1;
    KCGlobalShortcutMonitor* handler = nullptr;
    QHash<xcb_keycode_t, quintptr> down;

    QList<uint16_t> lockVariants() const
    {
        return { 0, XCB_MOD_MASK_LOCK, numLock, uint16_t(XCB_MOD_MASK_LOCK | numLock) };
    }

    // The modifier bit Num Lock sits on in this server's modifier map.
    void findNumLock()
    {
        const xcb_setup_t* setup = xcb_get_setup(connection);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, decltype(&free)> mapping(
            xcb_get_keyboard_mapping_reply(connection,
                xcb_get_keyboard_mapping(connection, setup->min_keycode, uint8_t(count)), nullptr),
            &free);
        KCX11ModifierMap modifiers;
        if (!mapping || !modifiers.read(connection))
            return;
        const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        const int perCode = mapping->keysyms_per_keycode;
        QSet<xcb_keycode_t> numLockCodes;
        for (int i = 0; i < count; ++i)
            for (int j = 0; j < perCode; ++j)
                if (syms[i * perCode + j] == kNumLockKeysym)
                    numLockCodes.insert(xcb_keycode_t(setup->min_keycode + i));
        if (const uint16_t bit = modifiers.bitHolding(numLockCodes))
            numLock = bit;
    }
};

KCX11HotKeyBackend::KCX11HotKeyBackend(const QString& display, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    const QByteArray name = display.toLocal8Bit();
    d->connection = xcb_connect(display.isEmpty() ? nullptr : name.constData(), nullptr);
    if (xcb_connection_has_error(d->connection)) {
        qCCritical(lcKeyComboKit) << "#Critical Unable to connect to the X server for hot keys";
        xcb_disconnect(d->connection);
        d->connection = nullptr;
        return;
    }
    d->root = xcb_setup_roots_iterator(xcb_get_setup(d->connection)).data->root;
    d->findNumLock();
    // Without detectable auto-repeat a held key reads as release-press pairs.
    std::unique_ptr<xcb_xkb_use_extension_reply_t, decltype(&free)> xkb(
        xcb_xkb_use_extension_reply(d->connection, xcb_xkb_use_extension(d->connection, 1, 0), nullptr),
        &free);
    if (xkb && xkb->supported) {
        const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        free(xcb_xkb_per_client_flags_reply(d->connection,
            xcb_xkb_per_client_flags(d->connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    }
    d->notifier = new QSocketNotifier(xcb_get_file_descriptor(d->connection), QSocketNotifier::Read, this);
    connect(d->notifier, &QSocketNotifier::activated, this, &KCX11HotKeyBackend::readEvents);
}

KCX11HotKeyBackend::~KCX11HotKeyBackend()
{
    delete d->notifier;
    if (d->connection) {
        for (const Grab& g : std::as_const(d->grabs))
            for (uint16_t lock : d->lockVariants())
                xcb_ungrab_key(d->connection, g.keycode, d->root, uint16_t(g.modifiers | lock));
        xcb_flush(d->connection);
        xcb_disconnect(d->connection);
    }
}

bool KCX11HotKeyBackend::isValid() const
{
    return d->connection;
}

qint32 KCX11HotKeyBackend::registerHotKey(
    const KCShortcut& shortcut, quint32 signature, quint32 id, quintptr* ref)
{
    const auto keycode = KCXKeycodeForKeyCode(quint16(shortcut.carbonKeyCode()));
    if (!d->connection || !keycode)
        return kBadValue;
    const uint16_t modifiers = xModifiers(shortcut.carbonModifierFlags());
    QList<xcb_void_cookie_t> cookies;
    const QList<uint16_t> variants = d->lockVariants();
    for (uint16_t lock : variants)
        cookies.append(xcb_grab_key_checked(d->connection, 1, d->root, uint16_t(modifiers | lock),
            xcb_keycode_t(*keycode), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    qint32 status = 0;
    QList<uint16_t> granted;
    for (int i = 0; i < cookies.size(); ++i) {
        if (xcb_generic_error_t* error = xcb_request_check(d->connection, cookies[i])) {
            status = status ? status : error->error_code;
            free(error);
        } else {
            granted.append(variants[i]);
        }
    }
    if (status) {
        // Half a hot key would fire only with some locks on.
        for (uint16_t lock : std::as_const(granted))
            xcb_ungrab_key(d->connection, xcb_keycode_t(*keycode), d->root, uint16_t(modifiers | lock));
        xcb_flush(d->connection);
        scheduleRead();
        return status;
    }
    *ref = d->nextRef++;
    d->grabs.insert(*ref, { xcb_keycode_t(*keycode), modifiers, signature, id });
    scheduleRead();
    return 0;
}

qint32 KCX11HotKeyBackend::unregisterHotKey(quintptr ref)
{
    const auto it = d->grabs.constFind(ref);
    if (it == d->grabs.constEnd() || !d->connection)
        return kBadValue;
    qint32 status = 0;
    for (uint16_t lock : d->lockVariants()) {
        auto cookie
            = xcb_ungrab_key_checked(d->connection, it->keycode, d->root, uint16_t(it->modifiers | lock));
        if (xcb_generic_error_t* error = xcb_request_check(d->connection, cookie)) {
            status = status ? status : error->error_code;
            free(error);
        }
    }
    d->grabs.erase(it);
    scheduleRead();
    return status;
}

qint32 KCX11HotKeyBackend::installEventHandler(KCGlobalShortcutMonitor* monitor)
{
    d->handler = monitor;
    return 0;
}

qint32 KCX11HotKeyBackend::removeEventHandler(KCGlobalShortcutMonitor* monitor)
{
    if (d->handler == monitor)
        d->handler = nullptr;
    return 0;
}

qint32 KCX11HotKeyBackend::isShortcutTaken(const KCShortcut& shortcut, bool* taken)
{
    if (!d->connection)
        return kBadValue;
    const auto keycode = KCXKeycodeForKeyCode(shortcut.keyCode());
    if (!keycode) {
        // No key on this keyboard: nobody can hold it.
        *taken = false;
        return 0;
    }
    const uint16_t modifiers = xModifiers(shortcut.carbonModifierFlags());
    for (const Grab& g : std::as_const(d->grabs))
        if (g.keycode == *keycode && g.modifiers == modifiers) {
            // Ours; a trial grab would succeed and its release would drop it.
            *taken = false;
            return 0;
        }
    xcb_generic_error_t* error = xcb_request_check(d->connection,
        xcb_grab_key_checked(d->connection, 1, d->root, modifiers, xcb_keycode_t(*keycode),
            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    *taken = error && error->error_code == 10; // BadAccess
    const qint32 status = error && !*taken ? error->error_code : 0;
    free(error);
    if (!*taken && !status) {
        // Waited for: once the answer is out, another client asking for the
        // key must find it free, whichever request the server reads first.
        free(xcb_request_check(d->connection,
            xcb_ungrab_key_checked(d->connection, xcb_keycode_t(*keycode), d->root, modifiers)));
    }
    scheduleRead();
    return status;
}

void KCX11HotKeyBackend::scheduleRead()
{
    // Waiting for a reply reads everything the server sent before it off the
    // socket into xcb's queue, where the socket notifier no longer sees it: a
    // hot key pressed right after a grab would wait for the next event.
    QMetaObject::invokeMethod(this, &KCX11HotKeyBackend::readEvents, Qt::QueuedConnection);
}

void KCX11HotKeyBackend::readEvents()
{
    if (!d->connection)
        return;
    const uint16_t relevant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;
    while (xcb_generic_event_t* event = xcb_poll_for_event(d->connection)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
            const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
            quintptr fired = 0;
            if (type == XCB_KEY_PRESS) {
                // Auto-repeat sends presses only (detectable auto-repeat):
                // the first one counts.
                if (!d->down.contains(key->detail)) {
                    for (auto g = d->grabs.cbegin(); g != d->grabs.cend(); ++g)
                        if (g->keycode == key->detail && g->modifiers == (key->state & relevant))
                            fired = g.key();
                    d->down.insert(key->detail, fired);
                }
            } else {
                // The release belongs to the hot key that took the press,
                // whatever modifiers are still down.
                fired = d->down.take(key->detail);
            }
            const auto grab = d->grabs.constFind(fired);
            if (fired && grab != d->grabs.constEnd() && d->handler) {
                KCHotKeyEvent hotKey;
                hotKey.kind
                    = type == XCB_KEY_PRESS ? KCHotKeyEvent::pressedKind : KCHotKeyEvent::releasedKind;
                hotKey.signature = grab->signature;
                hotKey.id = grab->id;
                d->handler->dispatchHotKeyEvent(&hotKey);
            }
        }
        free(event);
    }
}

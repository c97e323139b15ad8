#include "KeyComboKit/x11/KCX11KeyLayoutSource.h"

#include "KeyComboKit/KCCommon.h"
#include "KeyComboKit/x11/KCXkbInputSource.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
// xkb.h names a field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

struct KCX11KeyLayoutSource::Private {
    xcb_connection_t* connection = nullptr;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    int32_t device = -1;
    uint8_t firstEvent = 0;
    quint32 group = 0;
    QStringList identifiers;

    ~Private()
    {
        if (keymap)
            xkb_keymap_unref(keymap);
        if (context)
            xkb_context_unref(context);
        if (connection)
            xcb_disconnect(connection);
    }
};

namespace {

QString symbolsName(xcb_connection_t* connection, int32_t device)
{
    std::unique_ptr<xcb_xkb_get_names_reply_t, decltype(&free)> names(
        xcb_xkb_get_names_reply(connection,
            xcb_xkb_get_names(connection, xcb_xkb_device_spec_t(device), XCB_XKB_NAME_DETAIL_SYMBOLS),
            nullptr),
        &free);
    if (!names)
        return {};
    xcb_xkb_get_names_value_list_t list {};
    xcb_xkb_get_names_value_list_unpack(xcb_xkb_get_names_value_list(names.get()), names->nTypes,
        names->indicators, names->virtualMods, names->groupNames, names->nKeys, names->nKeyAliases,
        names->nRadioGroups, names->which, &list);
    if (!list.symbolsName)
        return {};
    std::unique_ptr<xcb_get_atom_name_reply_t, decltype(&free)> atom(
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, list.symbolsName), nullptr), &free);
    if (!atom)
        return {};
    return QString::fromLatin1(xcb_get_atom_name_name(atom.get()), xcb_get_atom_name_name_length(atom.get()));
}

} // namespace

KCX11KeyLayoutSource::KCX11KeyLayoutSource(const QString& display, QObject* parent)
    : KCKeyLayoutSource(parent)
    , d(std::make_unique<Private>())
{
    const QByteArray name = display.toLocal8Bit();
    d->connection = xcb_connect(display.isEmpty() ? nullptr : name.constData(), nullptr);
    if (xcb_connection_has_error(d->connection)) {
        qCCritical(lcKeyComboKit) << "#Critical Unable to connect to the X server for keyboard layouts";
        return;
    }
    uint8_t firstError = 0;
    if (!xkb_x11_setup_xkb_extension(d->connection, XKB_X11_MIN_MAJOR_XKB_VERSION,
            XKB_X11_MIN_MINOR_XKB_VERSION, XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr,
            &d->firstEvent, &firstError)) {
        qCCritical(lcKeyComboKit) << "#Critical The X server has no XKB extension";
        return;
    }
    d->device = xkb_x11_get_core_keyboard_device_id(d->connection);
    d->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (d->device < 0 || !d->context) {
        qCCritical(lcKeyComboKit) << "#Critical Unable to read the core keyboard";
        d->device = -1;
        return;
    }

    const uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY
        | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
    const uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS
        | XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS | XCB_XKB_MAP_PART_KEY_ACTIONS
        | XCB_XKB_MAP_PART_VIRTUAL_MODS | XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
    xcb_xkb_select_events_details_t details {};
    details.affectNewKeyboard = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
    details.affectState = XCB_XKB_STATE_PART_GROUP_STATE;
    details.stateDetails = XCB_XKB_STATE_PART_GROUP_STATE;
    xcb_xkb_select_events_aux(
        d->connection, xcb_xkb_device_spec_t(d->device), events, 0, 0, mapParts, mapParts, &details);

    reloadKeymap();
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(d->connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &KCX11KeyLayoutSource::readEvents);
    xcb_flush(d->connection);
}

KCX11KeyLayoutSource::~KCX11KeyLayoutSource() = default;

bool KCX11KeyLayoutSource::isValid() const
{
    return d->device >= 0 && d->keymap;
}

KCInputSourceRef KCX11KeyLayoutSource::currentKeyboardLayout()
{
    QMutexLocker locker(&m_lock);
    return m_current;
}

KCInputSourceRef KCX11KeyLayoutSource::currentASCIICapableKeyboardLayout()
{
    QMutexLocker locker(&m_lock);
    return m_ascii;
}

void KCX11KeyLayoutSource::reloadKeymap()
{
    xkb_keymap* keymap
        = xkb_x11_keymap_new_from_device(d->context, d->connection, d->device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    xkb_state* state = keymap ? xkb_x11_state_new_from_device(keymap, d->connection, d->device) : nullptr;
    if (!keymap || !state) {
        qCCritical(lcKeyComboKit) << "#Error Unable to read the keyboard's keymap";
        if (keymap)
            xkb_keymap_unref(keymap);
        return;
    }
    const quint32 group = xkb_state_serialize_layout(state, XKB_STATE_LAYOUT_EFFECTIVE);
    xkb_state_unref(state);
    if (d->keymap)
        xkb_keymap_unref(d->keymap);
    d->keymap = keymap;
    d->identifiers = KCXkbInputSource::layoutsOfSymbols(
        symbolsName(d->connection, d->device), xkb_keymap_num_layouts(keymap));
    d->group = quint32(-1);
    selectGroup(group);
}

void KCX11KeyLayoutSource::selectGroup(quint32 group)
{
    if (group == d->group || !d->keymap)
        return;
    d->group = group;
    auto current = std::make_shared<KCXkbInputSource>(d->keymap, group, d->identifiers.value(group));
    KCInputSourceRef ascii = KCXkbInputSource::asciiCapable(d->context, d->keymap, d->identifiers, group);
    {
        QMutexLocker locker(&m_lock);
        m_current = std::move(current);
        m_ascii = std::move(ascii);
    }
    emit layoutChanged();
}

void KCX11KeyLayoutSource::readEvents()
{
    bool keymapChanged = false;
    std::optional<quint32> group;
    while (xcb_generic_event_t* event = xcb_poll_for_event(d->connection)) {
        if (event->response_type == d->firstEvent) {
            // The XKB event's own type follows the response type.
            switch (reinterpret_cast<const uint8_t*>(event)[1]) {
            case XCB_XKB_NEW_KEYBOARD_NOTIFY:
            case XCB_XKB_MAP_NOTIFY:
                keymapChanged = true;
                break;
            case XCB_XKB_STATE_NOTIFY:
                group = reinterpret_cast<const xcb_xkb_state_notify_event_t*>(event)->group;
                break;
            default:
                break;
            }
        }
        free(event);
    }
    if (xcb_connection_has_error(d->connection)) {
        qCCritical(lcKeyComboKit)
            << "#Critical The connection to the X server broke; keyboard layouts stay as they were";
        m_notifier->setEnabled(false);
        return;
    }
    if (keymapChanged) {
        reloadKeymap();
        // Reading the new keymap's replies queues what came behind them,
        // which the socket notifier does not see.
        QMetaObject::invokeMethod(this, &KCX11KeyLayoutSource::readEvents, Qt::QueuedConnection);
    } else if (group)
        selectGroup(*group);
}

#include "platform/x11/XConnection.h"

#include <QGuiApplication>
#include <QList>

#include <xcb/res.h>
#include <xcb/shape.h>
#include <xcb/xcbext.h>

#include <poll.h>

#include <algorithm>
#include <cstring>

namespace platform::x11 {

quint64& XConnection::roundTrips()
{
    thread_local quint64 count = 0;
    return count;
}

std::unique_ptr<XConnection> XConnection::open(const QByteArray& display, QString* error)
{
    std::unique_ptr<XConnection> x(new XConnection);
    int screenNumber = 0;
    x->m_c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(x->m_c)) {
        if (error) {
            const QByteArray shown = display.isEmpty() ? qgetenv("DISPLAY") : display;
            *error = shown.isEmpty()
                ? QStringLiteral("orbitShelf needs an X11 display, and DISPLAY is not set.")
                : QStringLiteral("orbitShelf cannot connect to the X11 display \"%1\".").arg(QString::fromLocal8Bit(shown));
        }
        return nullptr;
    }
    if (!x->setUp(screenNumber)) {
        if (error)
            *error = QStringLiteral("The X11 display does not answer.");
        return nullptr;
    }
    return x;
}

XConnection* XConnection::ofApplication()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 ? x11->connection() : nullptr;
    static std::mutex mutex;
    static std::unique_ptr<XConnection> borrowed;
    std::lock_guard lock(mutex);
    if (!c) {
        borrowed.reset();
        return nullptr;
    }
    if (borrowed && borrowed->m_c == c)
        return borrowed.get();
    borrowed.reset(new XConnection);
    borrowed->m_c = c;
    borrowed->m_owned = false;
    // The application's windows live on the first screen, as Qt opens it.
    if (!borrowed->setUp(0))
        borrowed.reset();
    return borrowed.get();
}

bool XConnection::setUp(int screenNumber)
{
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    m_screen = it.data;
    m_root = it.data->root;
    static const char* const names[] = {
        "_NET_CLIENT_LIST",
        "_NET_CLIENT_LIST_STACKING",
        "_NET_ACTIVE_WINDOW",
        "_NET_CURRENT_DESKTOP",
        "_NET_NUMBER_OF_DESKTOPS",
        "_NET_WM_PID",
        "_NET_WM_NAME",
        "UTF8_STRING",
        "_NET_WM_WINDOW_TYPE",
        "_NET_WM_STATE",
        "_NET_WM_DESKTOP",
        "_NET_FRAME_EXTENTS",
        "_NET_WM_WINDOW_OPACITY",
        "_NET_MOVERESIZE_WINDOW",
        "_NET_CLOSE_WINDOW",
        "_NET_WM_STATE_HIDDEN",
        "_NET_WM_STATE_FULLSCREEN",
        "_NET_WM_STATE_SKIP_TASKBAR",
        "_NET_WM_STATE_ABOVE",
        "_NET_WM_STATE_BELOW",
        "_NET_WM_STATE_MODAL",
        "WM_STATE",
        "WM_CHANGE_STATE",
        "WM_TRANSIENT_FOR",
        "_NET_WM_WINDOW_TYPE_NORMAL",
        "_NET_WM_WINDOW_TYPE_DIALOG",
        "_NET_WM_WINDOW_TYPE_UTILITY",
        "_NET_WM_WINDOW_TYPE_TOOLBAR",
        "_NET_WM_WINDOW_TYPE_MENU",
        "_NET_WM_WINDOW_TYPE_SPLASH",
        "_NET_WM_WINDOW_TYPE_DOCK",
        "_NET_WM_WINDOW_TYPE_DESKTOP",
        "_NET_WM_WINDOW_TYPE_NOTIFICATION",
        "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU",
        "_NET_WM_WINDOW_TYPE_POPUP_MENU",
        "_NET_WM_WINDOW_TYPE_TOOLTIP",
        "_NET_WM_WINDOW_TYPE_COMBO",
        "_NET_WM_WINDOW_TYPE_DND",
        "COMPOUND_TEXT",
        "_ORBITSHELF_TIMESTAMP",
        "_NET_WM_ICON",
        "_NET_WM_STRUT",
        "_NET_WM_STRUT_PARTIAL",
    };
    constexpr size_t count = sizeof(names) / sizeof(names[0]);
    static_assert(count == sizeof(Atoms) / sizeof(xcb_atom_t));
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (const char* n : names)
        cookies.push_back(xcb_intern_atom(m_c, 0, uint16_t(strlen(n)), n));
    xcb_atom_t* atomSlots = reinterpret_cast<xcb_atom_t*>(&m_atoms);
    ReplyBatch batch(*this);
    for (size_t i = 0; i < count; ++i) {
        auto r = batch.get<xcb_intern_atom_reply_t>(cookies[i]);
        atomSlots[i] = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    if (batch.failed())
        return false;
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_c, &xcb_res_id);
    m_hasResource = res && res->present;
    return true;
}

XConnection::~XConnection()
{
    if (m_c && m_owned)
        xcb_disconnect(m_c);
}

xcb_atom_t XConnection::atom(std::string_view name)
{
    return internAtoms({ name }).front();
}

std::vector<xcb_atom_t> XConnection::internAtoms(std::initializer_list<std::string_view> names)
{
    std::vector<xcb_atom_t> atoms(names.size(), XCB_ATOM_NONE);
    std::vector<size_t> unknown;
    {
        std::lock_guard lock(m_atomMutex);
        size_t i = 0;
        for (std::string_view name : names) {
            const auto known = m_atomCache.find(std::string(name));
            if (known != m_atomCache.end())
                atoms[i] = known->second;
            else
                unknown.push_back(i);
            ++i;
        }
    }
    if (unknown.empty())
        return atoms;
    const std::string_view* given = names.begin();
    std::vector<xcb_intern_atom_cookie_t> cookies;
    for (size_t i : unknown)
        cookies.push_back(xcb_intern_atom(m_c, 0, uint16_t(given[i].size()), given[i].data()));
    ReplyBatch batch(*this);
    std::lock_guard lock(m_atomMutex);
    for (size_t k = 0; k < unknown.size(); ++k) {
        auto r = batch.get<xcb_intern_atom_reply_t>(cookies[k]);
        if (!r || r->atom == XCB_ATOM_NONE)
            continue;
        atoms[unknown[k]] = r->atom;
        m_atomCache.emplace(std::string(given[unknown[k]]), r->atom);
    }
    return atoms;
}

void* XConnection::waitReply(unsigned int sequence, const QDeadlineTimer& deadline, bool& failed)
{
    failed = false;
    const int fd = xcb_get_file_descriptor(m_c);
    while (true) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(m_c, sequence, &reply, &error)) {
            if (error)
                free(error);
            return reply; // null for an X error: the window is gone
        }
        if (xcb_connection_has_error(m_c) || deadline.hasExpired()) {
            xcb_discard_reply(m_c, sequence);
            failed = true;
            return nullptr;
        }
        // Another thread may read our reply off the socket; never wait long on
        // the descriptor alone.
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, int(std::min<qint64>(deadline.remainingTime(), 1)));
    }
}

ReplyBatch::ReplyBatch(XConnection& connection, int timeoutMs)
    : m_x(connection), m_deadline(timeoutMs)
{
    XConnection::roundTrips()++;
    // The server answers in order: once the answer to a request sent after
    // the batch is in, every reply of the batch is in xcb's queue, and
    // reading them costs no further wait or system call.
    const xcb_get_input_focus_cookie_t sync = xcb_get_input_focus(m_x.raw());
    m_x.flush();
    bool failed = false;
    free(m_x.waitReply(sync.sequence, m_deadline, failed));
    m_failed = failed;
}

xcb_get_property_cookie_t requestProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                          xcb_atom_t type, quint32 longLength)
{
    return xcb_get_property(x.raw(), 0, window, property, type, 0, longLength);
}

namespace {
QByteArray bytesOf(const xcb_get_property_reply_t* reply)
{
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8)
        return {};
    const int n = xcb_get_property_value_length(reply);
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), std::max(0, n));
}
} // namespace

std::optional<QString> textProperty(const xcb_get_property_reply_t* reply, const Atoms& atoms)
{
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 8)
        return std::nullopt;
    QByteArray bytes = bytesOf(reply);
    // Some clients terminate their text; a title is the text up to the end mark.
    if (int nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    if (reply->type == atoms.utf8String)
        return QString::fromUtf8(bytes);
    if (reply->type == atoms.compoundText)
        return decodeCompoundText(bytes);
    return QString::fromLatin1(bytes);
}

std::optional<QString> titleProperty(
    const xcb_get_property_reply_t* netWmName, const xcb_get_property_reply_t* wmName, const Atoms& atoms)
{
    if (auto title = textProperty(netWmName, atoms))
        return title;
    return textProperty(wmName, atoms);
}

std::vector<quint32> cardinalsProperty(const xcb_get_property_reply_t* reply)
{
    if (!reply || reply->type == XCB_ATOM_NONE || reply->format != 32)
        return {};
    const int n = xcb_get_property_value_length(reply) / 4;
    const auto* v = static_cast<const quint32*>(xcb_get_property_value(reply));
    return std::vector<quint32>(v, v + std::max(0, n));
}

std::optional<quint32> cardinalProperty(const xcb_get_property_reply_t* reply)
{
    auto values = cardinalsProperty(reply);
    if (values.empty())
        return std::nullopt;
    return values.front();
}

std::pair<QString, QString> classProperty(const xcb_get_property_reply_t* reply)
{
    const QByteArray bytes = bytesOf(reply);
    const QList<QByteArray> parts = bytes.split('\0');
    QString instance = parts.size() > 0 ? QString::fromLocal8Bit(parts[0]) : QString();
    QString klass = parts.size() > 1 ? QString::fromLocal8Bit(parts[1]) : QString();
    return {instance, klass};
}

bool XConnection::hasShapeExtension() const
{
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(m_c, &xcb_shape_id);
    return extension && extension->present;
}

} // namespace platform::x11

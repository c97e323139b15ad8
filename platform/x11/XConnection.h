#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include "platform/x11/TextDecoding.h"

#include <xcb/xcb.h>

#include <atomic>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::x11 {

template <class R>
using Reply = std::unique_ptr<R, decltype(&free)>;

// Takes over what xcb hands out to be freed: a reply, an error, an event.
template <class R> Reply<R> owned(R* reply)
{
    return Reply<R>(reply, &free);
}

// The atoms the layer speaks, interned once per connection.
struct Atoms {
    xcb_atom_t netClientList, netClientListStacking, netActiveWindow, netCurrentDesktop, netNumberOfDesktops,
        netWmPid, netWmName, utf8String, netWmWindowType, netWmState, netWmDesktop, netFrameExtents,
        netWmWindowOpacity, netMoveresizeWindow, netCloseWindow, netWmStateHidden, netWmStateFullscreen,
        netWmStateSkipTaskbar, netWmStateAbove, netWmStateBelow, netWmStateModal, wmState, wmChangeState,
        wmTransientFor, typeNormal, typeDialog, typeUtility, typeToolbar, typeMenu, typeSplash, typeDock,
        typeDesktop, typeNotification, typeDropdownMenu, typePopupMenu, typeTooltip, typeCombo, typeDnd,
        compoundText, orbitTimestamp, netWmIcon, netWmStrut, netWmStrutPartial;
};

// How long one batch of replies may take before the display counts as not
// answering.
inline constexpr int kReplyTimeoutMs = 1000;

// One connection to the X server. xcb is thread-safe; replies are awaited
// with a deadline instead of xcb's blocking wait, so a hung server never
// blocks a caller forever.
class XConnection final {
public:
    static std::unique_ptr<XConnection> open(const QByteArray& display, QString* error);
    // The connection the application's windows live on (Qt's own), borrowed:
    // it stays open when the wrapper goes. Null without an X11 application or
    // when its server does not answer. Made on first use, again only when the
    // application's connection changes; the main thread's.
    static XConnection* ofApplication();
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    xcb_connection_t* raw() const { return m_c; }
    xcb_window_t root() const { return m_root; }
    xcb_screen_t* screen() const { return m_screen; }
    const Atoms& atoms() const { return m_atoms; }
    bool lost() const { return xcb_connection_has_error(m_c) != 0; }
    // The X-Resource extension names the process of a client that does not
    // set _NET_WM_PID.
    bool hasResourceExtension() const { return m_hasResource; }
    // The SHAPE extension: input regions, and windows cut to what they draw.
    bool hasShapeExtension() const;
    void flush() { xcb_flush(m_c); }

    // Waits for the reply of one request until `deadline`. Returns the reply,
    // or nullptr with `failed` false for an X error (a vanished window), or
    // nullptr with `failed` true when the connection is lost or the deadline
    // passed (the reply is then discarded).
    void* waitReply(unsigned int sequence, const QDeadlineTimer& deadline, bool& failed);

    // Sends what is queued and waits for the reply to `cookie` until the
    // deadline: one round trip. Null for an X error, a lost connection or a
    // server that does not answer in time.
    template <class R, class Cookie> Reply<R> reply(Cookie cookie, int timeoutMs = kReplyTimeoutMs)
    {
        roundTrips()++;
        flush();
        bool failed = false;
        return owned(static_cast<R*>(waitReply(cookie.sequence, QDeadlineTimer(timeoutMs), failed)));
    }

    // The atom of `name`, interned once per connection (a round trip the
    // first time, none after); XCB_ATOM_NONE when the server does not
    // answer, which is not kept, so a later call asks again. Any thread.
    xcb_atom_t atom(std::string_view name);
    // Several names' atoms in one round trip for those not yet known; in
    // the order given.
    std::vector<xcb_atom_t> internAtoms(std::initializer_list<std::string_view> names);

    // Round trips made by the calling thread.
    static quint64& roundTrips();

private:
    XConnection() = default;
    // Finds the screen, interns the layer's atoms and asks for the
    // extensions; false when the server does not answer.
    bool setUp(int screenNumber);
    xcb_connection_t* m_c = nullptr;
    bool m_owned = true;
    xcb_window_t m_root = 0;
    xcb_screen_t* m_screen = nullptr;
    Atoms m_atoms{};
    bool m_hasResource = false;
    std::mutex m_atomMutex;
    std::unordered_map<std::string, xcb_atom_t> m_atomCache;
};

// A batch of requests sent together and answered together: one round trip.
// Make it after sending the batch's requests. After a failure (lost connection, timeout) every further reply of the batch
// is discarded and failed() stays true.
class ReplyBatch final {
public:
    explicit ReplyBatch(XConnection& connection, int timeoutMs = kReplyTimeoutMs);

    template <class R, class Cookie>
    Reply<R> get(Cookie cookie)
    {
        if (m_failed) {
            xcb_discard_reply(m_x.raw(), cookie.sequence);
            return Reply<R>(nullptr, &free);
        }
        bool failed = false;
        void* r = m_x.waitReply(cookie.sequence, m_deadline, failed);
        if (failed)
            m_failed = true;
        return Reply<R>(static_cast<R*>(r), &free);
    }
    bool failed() const { return m_failed; }

private:
    XConnection& m_x;
    QDeadlineTimer m_deadline;
    bool m_failed = false;
};

// Property decoding; all accept a null reply (absent property).
std::optional<QString> textProperty(const xcb_get_property_reply_t* reply, const Atoms& atoms);
// A window's title: _NET_WM_NAME (UTF-8) when set, else WM_NAME.
std::optional<QString> titleProperty(
    const xcb_get_property_reply_t* netWmName, const xcb_get_property_reply_t* wmName, const Atoms& atoms);

std::vector<quint32> cardinalsProperty(const xcb_get_property_reply_t* reply);
std::optional<quint32> cardinalProperty(const xcb_get_property_reply_t* reply);
// WM_CLASS: instance and class.
std::pair<QString, QString> classProperty(const xcb_get_property_reply_t* reply);

xcb_get_property_cookie_t requestProperty(XConnection& x, xcb_window_t window, xcb_atom_t property,
                                          xcb_atom_t type, quint32 longLength);

} // namespace platform::x11

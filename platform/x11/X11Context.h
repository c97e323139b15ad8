#pragma once

#include "platform/x11/XConnection.h"

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <map>

#include <memory>
#include <mutex>

namespace platform::x11 {

// What the X11 implementations share: the request connection (used from any
// thread), our own pid, the primary screen, and the helpers that need a
// window of our own.
class X11Context final {
public:
    static std::shared_ptr<X11Context> create(const QByteArray& display, QString* error);
    ~X11Context();

    XConnection& x() { return *m_x; }
    QByteArray display() const { return m_display; }
    qint32 ownPid() const { return m_ownPid; }
    QRect primaryScreen() const { return m_primary; }

    // A real server timestamp (focus-stealing prevention ignores requests
    // with a stale or zero time); XCB_CURRENT_TIME when the server does not
    // answer in time.
    xcb_timestamp_t serverTime();

    // Sends an EWMH client message to the root window, as a pager would.
    void sendRootMessage(xcb_window_t window, xcb_atom_t type, quint32 d0, quint32 d1 = 0, quint32 d2 = 0,
                         quint32 d3 = 0, quint32 d4 = 0);

    // Drops queued events and errors of unchecked requests on the request
    // connection, which nobody else reads.
    void drainEvents();

    // Redirects the root's children for Composite once; false when the
    // server has no Composite.
    bool ensureComposite();

    // Windows' own pictures as last read (see WindowServer::windowIcons); the
    // window event reader (X11EventHub) forgets a window's when the window
    // changes them. Any thread.
    std::optional<std::vector<QImage>> cachedIcons(xcb_window_t window);
    void cacheIcons(xcb_window_t window, std::vector<QImage> icons);
    void forgetIcons(xcb_window_t window);

private:
    X11Context() = default;
    std::unique_ptr<XConnection> m_x;
    QByteArray m_display;
    qint32 m_ownPid = 0;
    QRect m_primary;
    xcb_window_t m_timeWindow = 0;
    std::mutex m_eventMutex;
    std::once_flag m_compositeOnce;
    bool m_composite = false;
    std::mutex m_iconMutex;
    std::map<xcb_window_t, std::vector<QImage>> m_icons;
};

} // namespace platform::x11

#pragma once

#include "platform/DockWindowHints.h"

#include <QObject>
#include <QTimer>

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

class QSocketNotifier;

namespace platform::x11 {

class XConnection;

// The edges that mapped windows of other processes reserve, read now, root
// coordinates. `beforeRead` gets every window whose strut is about to be
// read; the windows that reserve an edge go to `reserving`.
std::vector<ReservedEdge> readOtherReservedEdgesNow(XConnection& x,
    const std::function<void(const std::vector<xcb_window_t>&)>& beforeRead = {},
    std::vector<xcb_window_t>* reserving = nullptr);

// The edges other programs' windows reserve, read on a connection of its
// own and read again whenever they may have changed: a top-level window
// mapped, unmapped or gone, a strut written on a window read before, the
// window manager's client list or work area changed (a panel started or
// quit, a window manager replaced with its own taskbar). Override-redirect
// windows (menus, tooltips) never reserve anything and are not followed.
// Main thread.
class ReserveWatch final : public QObject {
    Q_OBJECT
public:
    // The process's watch, made on first use; null when the display cannot
    // be reached.
    static ReserveWatch* shared();
    ~ReserveWatch() override;

    const std::vector<ReservedEdge>& edges() const { return m_edges; }
    // Reads the edges now; emits changed() when they differ from before.
    void readNow();

signals:
    void changed();

private:
    explicit ReserveWatch(std::unique_ptr<XConnection> connection);
    void readEvents();
    void follow(const std::vector<xcb_window_t>& windows);

    std::unique_ptr<XConnection> m_x;
    QSocketNotifier* m_notifier = nullptr;
    // Events come in bursts (a panel maps, sets its strut, the window
    // manager updates its lists): one read after the burst.
    QTimer m_settle;
    std::set<xcb_window_t> m_followed;
    std::vector<xcb_window_t> m_reserving; // as last read
    std::vector<ReservedEdge> m_edges;
};

} // namespace platform::x11

#pragma once

#include "platform/DockWindowHints.h"

#include <QObject>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QSocketNotifier;

namespace platform::x11 {

class XConnection;

// The edge a window lying along the root's edge at `window` (root
// coordinates, border included) keeps, as a panel of the window manager's
// own: a bar at least three times as long as it is deep, no deeper than a
// quarter of the root, touching the root's edge. None for anything else.
std::optional<ReservedEdge> barAlongRootEdge(const QRect& window, const QSize& root);

// A window at the top of the tree (a child of the root), as read.
struct TopLevelWindow {
    QRect outer; // root coordinates, border included
    bool managers = false; // made by the window manager
    bool overrideRedirect = false;
    bool holdsClient = false; // a managed client lies somewhere inside it
};

// The edge `window` keeps as a panel of the window manager's own: one the
// manager made, standing on its own, holding no client, a bar along the
// edge of the screen it stands on (barAlongRootEdge, with that screen for
// the root). A frame round a client is none whatever its shape: fluxbox's
// frames stand on their own too, and the one round a bar of ours along the
// root's edge would give back our own reserve as another panel's.
// On several screens (`screens`, root coordinates) the panel is read as
// another program's would be (PanelReserve.h): fluxbox puts its toolbar
// along the primary screen's bottom, which beside a taller screen or above
// another is not the root's; it keeps the rows from the root's edge to its
// far side, on that screen only. One screen or none: the root's edges.
std::optional<ReservedEdge> managersPanelEdge(
    const TopLevelWindow& window, const QSize& root, const std::vector<QRect>& screens = {});

// The screens' places as the server has them (RandR monitors); none
// without RandR 1.5.
std::vector<QRect> monitorPlaces(XConnection& x);

// The edges that mapped windows of other processes reserve, read now, root
// coordinates. A window manager's own panel that reserves nothing a client
// can read (fluxbox's toolbar, which it counts in its work area all the
// same) counts as reserving the rows it covers, from the root's edge on
// the screen it stands on (managersPanelEdge). On several screens a panel
// whose reserve disagrees with where its window stands goes by its window
// (PanelReserve.h). `beforeRead` gets every window whose strut is about to be
// read; the windows that reserve an edge go to `reserving`.
std::vector<ReservedEdge> readOtherReservedEdgesNow(XConnection& x,
    const std::function<void(const std::vector<xcb_window_t>&)>& beforeRead = {},
    std::vector<xcb_window_t>* reserving = nullptr);

// The edges other programs' windows reserve, read on a connection of its
// own and read again whenever they may have changed: a top-level window
// mapped, unmapped or gone, a strut written on a window read before or that
// window moved, the window manager's client list or work area changed (a
// panel started or quit, a window manager replaced with its own taskbar).
// Override-redirect windows (menus, tooltips) never reserve anything and are
// not followed.
// A change of the screens (RandR) is reported too, whatever the edges.
// Main thread.
class ReserveWatch final : public QObject {
    Q_OBJECT
public:
    // The process's watch, made on first use; null when the display cannot
    // be reached.
    static ReserveWatch* shared();
    ~ReserveWatch() override;

    const std::vector<ReservedEdge>& edges() const { return m_edges; }
    // Reads the edges now; emits changed() when they differ from before, or
    // when the screens changed since the last read.
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
    uint8_t m_randrFirstEvent = 0; // none without RandR 1.2
    bool m_screensChanged = false; // since the last read
};

} // namespace platform::x11

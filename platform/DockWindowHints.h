#pragma once

#include <QMetaObject>
#include <QRect>
#include <QRegion>

#include <functional>
#include <optional>
#include <vector>

class QObject;
class QWindow;

namespace platform {

// What a dock window needs of the window system beyond what Qt offers:
// being treated as a dock (on every desktop, above normal windows, out of
// taskbars and pagers, never managed as an application window) and taking
// input only where it draws. The X11 layer gives its hints with the
// platform's services (platform/Services.h); with none installed (tests on
// the offscreen platform) the calls below do nothing.

// A strip along one edge of the root window that the window manager keeps
// other windows out of when it maximises or places them, in root coordinates
// and the server's pixels (platform/ScreenScale.h):
// `thickness` from the edge, over `start`..`end` along it (inclusive).
struct ReservedEdge {
    enum class Side { left, right, top, bottom };
    ReservedEdge() = default;
    ReservedEdge(Side side, int thickness, int start, int end, const QRect& within = {})
        : side(side)
        , thickness(thickness)
        , start(start)
        , end(end)
        , within(within)
    {
    }
    Side side = Side::bottom;
    int thickness = 0;
    int start = 0;
    int end = 0;
    // Another program's panel keeps its strip only on the screens its window
    // stands on (root coordinates, the server's pixels): a strip counted
    // from the root's edge can reach over a screen the panel is nowhere
    // near. Empty: every screen the strip reaches. Never sent to the server.
    QRect within;
    friend bool operator==(const ReservedEdge&, const ReservedEdge&) = default;
};

// Where a window of ours stands on the server.
struct WindowStanding {
    QRect place; // root coordinates, Qt's pixels
    bool onRoot = false; // no window manager's frame holds it
    friend bool operator==(const WindowStanding&, const WindowStanding&) = default;
};

struct DockWindowHints {
    // Call after the native window exists (winId()) and before it is shown.
    std::function<void(QWindow*)> markDockWindow;
    // The part of the window (window coordinates) that takes pointer input,
    // and the part that shows at all (its shape): nothing outside it is
    // drawn, and no window manager draws a shadow around a window with a
    // shape of its own. Input outside the shown part is lost. Empty regions
    // let every click through and show nothing.
    std::function<void(QWindow*, const QRegion& input, const QRegion& shown)> setShape;
    // The same with both parts in the server's pixels and root coordinates,
    // set where the server has the window: a line one pixel of the server's
    // deep along a screen's edge, which no region in Qt's pixels gives at a
    // fractional scale (setShape makes every pixel of Qt's all of the
    // server's it touches: two rows at 1.25).
    std::function<void(QWindow*, const QRegion& input, const QRegion& shown)> setShapeOnServer;
    // Whether something composites translucent windows over what lies
    // below; without it their transparent pixels show as black.
    std::function<bool()> translucencyAvailable;
    // Reserves an edge for the window (_NET_WM_STRUT_PARTIAL); none clears it.
    std::function<void(QWindow*, const std::optional<ReservedEdge>&)> reserveEdge;
    // The edges other programs' windows reserve (their panels and
    // taskbars, mapped ones only), root coordinates; ours are left out.
    std::function<std::vector<ReservedEdge>()> otherReservedEdges;
    // Calls `changed` on `context`'s thread whenever the edges other
    // programs reserve have changed: a panel started, quit, or changed its
    // reserve, a window manager's own taskbar came or went; and whenever the
    // screens changed, as the server tells (a toolkit can miss that). The
    // connection ends with `context` or when disconnected.
    std::function<QMetaObject::Connection(QObject* context, std::function<void()> changed)>
        watchOtherReservedEdges;
    // Calls `changed` on `context`'s thread as soon as the window in front
    // may have gone into or out of full screen: another window became the
    // active one, the active window's state changed, or it was moved or
    // resized while full screen. The connection ends with `context` or
    // when disconnected.
    std::function<QMetaObject::Connection(QObject* context, std::function<void()> changed)>
        watchWindowInFront;
    // Where the window stands on the server, in Qt's pixels, asked
    // there: what Qt believes follows every notice of a move, stale ones
    // included.
    std::function<std::optional<WindowStanding>(QWindow*)> windowStanding;
    // Asks the server for the window's place (Qt's pixels), whatever Qt
    // believes of it: Qt asks nothing for a place it thinks the window has,
    // and a notice can have told it so wrongly. `pastManager` makes the
    // window one the window manager no longer places (override-redirect),
    // for a manager that took it on without a frame and keeps it elsewhere.
    std::function<void(QWindow*, const QRect&, bool pastManager)> moveWindow;
};

// The installed hints, applied to one window; a null window is ignored.
void markDockWindow(QWindow* window);
void setDockShape(QWindow* window, const QRegion& input, const QRegion& shown);
void setDockShapeOnServer(QWindow* window, const QRegion& input, const QRegion& shown);
void setDockReservedEdge(QWindow* window, const std::optional<ReservedEdge>& edge);
// True when no hints are installed (offscreen tests draw nothing anyway).
bool dockTranslucencyAvailable();
// Empty when no hints are installed.
std::vector<ReservedEdge> otherReservedEdges();
// An invalid connection when no hints are installed.
QMetaObject::Connection watchOtherReservedEdges(QObject* context, std::function<void()> changed);
// An invalid connection when no hints are installed.
QMetaObject::Connection watchWindowInFront(QObject* context, std::function<void()> changed);
// None when no hints are installed or the server cannot tell.
std::optional<QRect> dockWindowPlace(QWindow* window);
std::optional<WindowStanding> dockWindowStanding(QWindow* window);
// Nothing when no hints are installed.
void moveDockWindow(QWindow* window, const QRect& place, bool pastManager);

} // namespace platform

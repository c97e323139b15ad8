#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace platform {

// What a window is for, from _NET_WM_WINDOW_TYPE (or WM_TRANSIENT_FOR when
// the window names no type).
enum class WindowKind { normal, dialog, utility, toolbar, menu, splash, notification, dock, desktop, other };

// The window subrole a window kind stands for, as the Accessibility reads give it.
QString subroleForKind(WindowKind kind);

// One managed top-level window as the window server sees it. Geometry is in
// root coordinates (see Coordinates.h); `frame` includes the window manager's
// decoration (_NET_FRAME_EXTENTS), `client` is the application's own area.
struct ServerWindow {
    quint32 id = 0;                     // the X window id: the window number
    qint32 pid = 0;                     // _NET_WM_PID, 0 when the window names none
    std::optional<QString> title;       // _NET_WM_NAME, else WM_NAME; absent when neither is set
    QString instanceName;               // WM_CLASS, first part
    QString className;                  // WM_CLASS, second part
    WindowKind kind = WindowKind::normal;
    quint32 transientFor = 0;
    bool minimized = false;             // _NET_WM_STATE_HIDDEN or WM_STATE Iconic
    bool fullScreen = false;            // _NET_WM_STATE_FULLSCREEN
    bool skipTaskbar = false;           // _NET_WM_STATE_SKIP_TASKBAR
    bool above = false;                 // _NET_WM_STATE_ABOVE
    bool below = false;                 // _NET_WM_STATE_BELOW
    bool reservesEdge = false;          // a panel's _NET_WM_STRUT(_PARTIAL) holds a screen edge
    bool mapped = false;                // viewable right now
    bool onScreen = false;              // mapped, not minimised, on the current desktop
    std::optional<quint32> desktop;     // _NET_WM_DESKTOP; 0xFFFFFFFF means every desktop
    double opacity = 1.0;               // _NET_WM_WINDOW_OPACITY
    QRect frame;
    QRect client;
};

// The window server: the list of managed windows and their pictures, and the
// requests that act on one window. Every call is safe from any thread; a
// window that vanished reads as absent and acting on it does nothing.
class WindowServer {
public:
    virtual ~WindowServer() = default;

    // Managed windows, front to back, without our own windows (our pid) and
    // without docks, desktops and skip-taskbar windows. Empty when the
    // server does not answer.
    virtual std::vector<ServerWindow> windowList() = 0;

    // One window, listed or not (our own and docks included); absent when
    // it does not exist (any more).
    virtual std::optional<ServerWindow> window(quint32 id) = 0;

    // The managed window whose frame holds the point (root coordinates),
    // front-most first; absent over the bare desktop.
    virtual std::optional<quint32> windowAt(QPoint rootPoint) = 0;

    virtual std::optional<qint32> processOfWindow(quint32 id) = 0;

    // The desktops ("Spaces") that show the window; a sticky window is on
    // every desktop. Empty when the window is gone.
    virtual std::vector<quint64> spacesOfWindow(quint32 id) = 0;

    virtual std::optional<quint32> activeWindow() = 0;

    // The window's current picture (client area, without decoration); absent
    // for a minimised, unmapped or vanished window.
    virtual std::optional<QImage> windowImage(quint32 id) = 0;
    // The window's own pictures (_NET_WM_ICON), every size it offers; empty
    // when it has none or is gone. Kept per window until the window changes
    // them.
    virtual std::vector<QImage> windowIcons(quint32 id) = 0;

    // The primary screen in root coordinates, for the conversions of
    // Coordinates.h.
    virtual QRect primaryScreen() = 0;

    // Requests to the window manager. They return whether the request was
    // sent (false for a vanished window); the manager may still refuse or
    // adjust it.
    virtual bool activate(quint32 id) = 0;            // raise and focus
    virtual bool minimize(quint32 id) = 0;
    virtual bool unminimize(quint32 id) = 0;
    virtual bool close(quint32 id) = 0;               // polite: _NET_CLOSE_WINDOW
    virtual bool setFullScreen(quint32 id, bool on) = 0;
    // Moves and/or resizes the frame (root coordinates, decoration included).
    virtual bool moveFrame(quint32 id, QPoint topLeft) = 0;
    virtual bool resizeFrame(quint32 id, QSize size) = 0;
};

} // namespace platform

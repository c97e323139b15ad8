#pragma once

#include "platform/DockWindowHints.h"

#include <QRect>
#include <QString>

#include <vector>

namespace platform {

// Another program's dock that stands where the bar does and can be told, in
// its own settings, to hide until the pointer reaches it: one of
// xfce4-panel's panels, or a plank dock.
//
// xfce4-panel draws every panel in a window of the same class, name and
// role ("Panel"); only where a window stands tells which of its settings'
// panels (xfconf's /panels/panel-N) it is. A panel that hides has a second
// window of the same class and name but no role: the strip along the edge
// that brings it back (3 by 3 far off the screen while the panel shows).
// plank runs one process per dock, named on its command line.

// A managed window of another program, as read from the server.
struct RunningWindow {
    quint32 id = 0;
    QString instanceName; // WM_CLASS, first part
    bool dockType = false; // _NET_WM_WINDOW_TYPE_DOCK
    bool reserves = false; // its strut keeps some rows or columns
    QRect frame; // root coordinates
    QString plankDock; // plank's dock name, from its process's command line
    QString role; // WM_WINDOW_ROLE
};

// One of xfce4-panel's panels as its settings have it.
struct XfcePanelSettings {
    int number = 0; // the N of /panels/panel-N
    int snap = 0; // "p=" of its position: 0 floats, 1..12 snap to an edge or corner
    int mode = 0; // 0 horizontal, 1 vertical, 2 a vertical "deskbar"
    int autohide = 0; // autohide-behavior: 0 never, 1 intelligently, 2 always
};

// plank's hide mode for one of its docks (`hideMode` empty when unread).
struct PlankSettings {
    QString dock;
    QString hideMode;
};

struct OtherDock {
    enum class Kind { xfcePanel, plank };
    Kind kind = Kind::xfcePanel;
    quint32 window = 0;
    int panel = 0; // xfce4-panel: N of panel-N; 0 when no panel of its settings matches the window
    QString plankDock; // plank: the dock's name
    bool hides = false; // its settings hide it already: nothing is left to set
    friend bool operator==(const OtherDock&, const OtherDock&) = default;
};

// The screen edge the snap position `snap` of a panel in `mode` keeps it
// along; false for a floating panel (or a position xfce4-panel does not know).
bool xfceSnapSide(int snap, int mode, ReservedEdge::Side* side);

// The docks among `windows` (in the order the server lists them) that the
// bar's edges `barSides` would lie over, in `screens` (root coordinates; the
// root's rectangle when there is one screen):
// - an xfce4-panel window of type DOCK and role "Panel" that reserves
//   nothing and lies along one of `barSides` of its screen (or just beyond
//   it, hidden). A panel that reserves its rows has the bar beside it, and
//   one along another edge is out of the bar's way.
// - a plank window.
// Each is marked `hides` where its settings hide it already: a panel that
// hides always, a plank dock whose hide mode is "auto". Hidden, such a dock
// is still there, and the user is told so rather than that none runs.
// Each xfce4-panel window is matched to the first panel of `panels` (in the
// order of its settings, which is the order the windows were made in, and so
// of their ids) whose snap position agrees with where the window stands.
std::vector<OtherDock> findOtherDocks(const std::vector<RunningWindow>& windows,
    const std::vector<XfcePanelSettings>& panels, const std::vector<PlankSettings>& planks,
    const std::vector<ReservedEdge::Side>& barSides, const std::vector<QRect>& screens);

// The dock as a user knows it: "Xfce panel 2", "plank (dock1)".
QString otherDockName(const OtherDock& dock);

} // namespace platform

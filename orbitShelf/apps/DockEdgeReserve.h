#pragma once

#include "platform/DockWindowHints.h"
#include "platform/ScreenScale.h"

#include <QMargins>
#include <QMetaObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

class QObject;

// The edge a bar keeps for itself while it stays shown: maximised windows end
// where the bar begins. An auto-hiding bar, or one hidden for a full-screen
// window, reserves nothing.

// The reserve of a bar drawn at `bar` (root coordinates) on `edge` ("left",
// "right", anything else is the bottom) of a root window `root` that holds
// `screens` (every screen's place, the bar's own among them); none when
// `keep` is false or nothing is drawn. A reserve runs from the root's edge,
// so a bar on an edge another screen lies beyond would keep that screen's
// windows out too (or, read per screen by the window manager, out of a whole
// screen): none then either, as panels between monitors do, and the bar
// stands above its screen's windows without one.
std::optional<platform::ReservedEdge> barEdgeReserve(
    const QRect& bar, const QString& edge, const QRect& root, const std::vector<QRect>& screens, bool keep);

// Where the program put a bar's window: its top-left corner on the root, in
// Qt's pixels, and the edge of its screen it was put there for.
struct PlacedDockWindow {
    QPoint origin;
    QString edge;
    bool operator==(const PlacedDockWindow&) const = default;
};

// The reserve of a bar drawn at `bar` (its window's coordinates, Qt's
// pixels) in a window put as `placed`, in the server's pixels (`screens`):
// reckoned from that place and for the edge the window was put there for,
// never from where the window still stands (a window manager may hold it
// at its old place, or at the root's corner, for a while). None for a
// window not put anywhere yet; otherwise as barEdgeReserve.
std::optional<platform::ReservedEdge> placedBarReserve(const QRectF& bar,
    const std::optional<PlacedDockWindow>& placed, const std::vector<platform::ScaledScreen>& screens,
    bool keep);

// Every edge the bars of a screen (by key) reserved in this run, the deepest
// per side. The window manager takes them out of the screens' available
// area, where the bars themselves are placed; they add them back (see
// withOwnReserve) so that a bar never moves away from the edge it reserved.
// Edges a bar gave up are kept: the window manager hears of that later than
// the bar is rebuilt, and giving back an edge nobody reserves changes nothing.
std::vector<platform::ReservedEdge>& ownEdgeReserves(const QString& screenKey);
void recordOwnReserve(const QString& screenKey, const platform::ReservedEdge& reserve);
// Calls `changed` on `context`'s thread after a record above took a new
// edge or a deeper one: windows kept clear of the bars place themselves
// again. The connection ends with `context`.
QMetaObject::Connection watchOwnReserves(QObject* context, std::function<void()> changed);
// The reserves of every screen's bars, the deepest per side. The window
// manager's work area is one rectangle for the whole root, so a bar's reserve
// on one screen also cuts every other screen that reaches that root edge (a
// taller screen beside a shorter one); each screen gives all of them back.
std::vector<platform::ReservedEdge> allOwnEdgeReserves();

// `available` (inside `screen`, root coordinates) with the parts of
// `reserves` that lie on this screen given back, never past the screen.
QRect withOwnReserve(const QRect& available, const QRect& screen, const QRect& root,
    const std::vector<platform::ReservedEdge>& reserves);

// `area` (root coordinates) less every part of `reserves` that lies on it,
// each only on the screens it counts on (its `within`).
QRect freeOfReserves(
    const QRect& area, const QRect& root, const std::vector<platform::ReservedEdge>& reserves);

// The window manager's own margins of a screen (its built-in panels, which
// reserve nothing a client can read), as the screen's available area showed
// them before any bar of ours reserved an edge. Recorded once per screen.
// A cut that `others` (the panels' reserves read then) reach as deep is a
// panel's, not the window manager's: it goes when the panel quits.
void recordMarginsBeforeOwnReserve(const QString& screenKey, const QRect& available, const QRect& screen,
    const QRect& root = {}, const std::vector<platform::ReservedEdge>& others = {});
std::optional<QMargins> marginsBeforeOwnReserve(const QString& screenKey);

// The part of a screen the bar and the windows it keeps clear may use:
// the available area with the bar's own reserve given back, less what other
// programs' panels reserve and what the window manager kept for itself
// before the bar reserved anything. Inside `screen`.
QRect visibleArea(const QString& screenKey, const QRect& available, const QRect& screen, const QRect& root,
    const std::vector<platform::ReservedEdge>& others);

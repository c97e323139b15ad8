#pragma once

#include "platform/ScreenScale.h"

#include <QMap>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>
#include <vector>

// Where the dock windows and their auto-show strips stand, as plain functions
// over explicit inputs. Frames are in dock space: origin at the bottom left of
// the primary screen, y growing upwards. Only the window layer converts them
// to the window system's top-left space (toWindowSystemRect).

// A window frame in dock space, in whole pixels.
struct DockFrame {
    qint64 x = 0;
    qint64 y = 0;
    qint64 width = 0;
    qint64 height = 0;
    bool operator==(const DockFrame&) const = default;
};

// One attached screen as the dock sees it; frames in dock space.
struct DockScreen {
    QString id; // the per-screen key (screenIdentifierKey)
    QRectF frame; // the whole screen
    QRectF visibleFrame; // the part windows may use
    bool operator==(const DockScreen&) const = default;
};

// The screen whose frame holds the point (frames are half-open), if any.
std::optional<DockScreen> dockScreenContaining(const std::vector<DockScreen>& screens, QPointF point);

// The primary screen is the one holding the dock-space origin.
std::optional<DockScreen> primaryDockScreen(const std::vector<DockScreen>& screens);

// The main dock's window, from the primary screen's visible size, placed
// from the global origin.
DockFrame mainDockWindowFrame(const QString& mainDockPosition, QSizeF primaryVisibleSize);
// The same placed from the visible frame's origin: where a panel of the
// desktop (a taskbar) takes an edge of the screen, the bar stands beside it
// instead of over it. An origin at (0, 0) gives the frame above.
DockFrame mainDockWindowFrame(const QString& mainDockPosition, QRectF primaryVisibleFrame);

// The primary screen's auto-show strip.
DockFrame mainDockTriggerFrame(const QString& mainDockPosition, QSizeF primaryVisibleSize);
// The same placed from the visible frame's origin: where a panel of the
// desktop takes the bar's edge, the strip lies along the free area's edge,
// where the bar stands, and not under the panel, where no pointer reaches
// it. An origin at (0, 0) gives the frame above.
DockFrame mainDockTriggerFrame(const QString& mainDockPosition, QRectF primaryVisibleFrame);

// Another screen's dock window and strip; an absent position means the
// screen has no stored edge.
DockFrame screenDockWindowFrame(QRectF visibleFrame, const std::optional<QString>& position);
DockFrame screenDockTriggerFrame(QRectF visibleFrame, const std::optional<QString>& position);

// A screen whose visible frame starts at the origin carries the main dock and
// gets no window of its own in the per-screen loops. The loops ask it of the
// screen's whole frame: a panel along the primary screen's bottom or left
// edge moves its visible frame off the origin, and it is still the primary.
bool isMainDockScreenOrigin(QRectF visibleFrame);

// Where a strip is put: inside the part of its screen windows may use. The
// panels along the edges keep their clicks, and the strip never reaches
// past its screen (some window managers, fluxbox, will not place a window
// partly off the screen and put it at the top instead). A strip wholly
// outside that part keeps its frame.
DockFrame stripPlacement(const DockFrame& strip, const QRectF& visibleFrame);

// Where the pointer counts as resting on a strip put at `placedStrip`: the
// strip and whatever lies between it and its screen's outer edge (`position`
// as for stripEdgeLine). A pointer pushed against that edge stops on a
// panel there, past the strip it crossed.
DockFrame stripReach(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position);

// Where the pointer brings back the bar of a strip put at `placedStrip`:
// the row (or column) on its screen's outer edge across the strip's span,
// on a panel there or not (`position` as for stripEdgeLine). The pointer
// stops there however fast it moves, and nothing above that row counts.
DockFrame stripEdgeTrigger(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position);

// Conversion between dock space and the window system's space (origin at the
// top left of the virtual desktop, y growing downwards). primaryGeometry is
// the primary screen's geometry in window-system space.
QRect toWindowSystemRect(const DockFrame& frame, const QRect& primaryGeometry);
QRectF toDockSpace(const QRectF& windowSystemRect, const QRect& primaryGeometry);

// The one row (bottom strips) or column (side strips) of an auto-show strip
// that lies on its screen's outer edge, in the strip window's own top-left
// coordinates. Where nothing composites translucent windows and the
// platform makes no strip that draws nothing, a strip window of ours is cut
// down to this line: the pointer stops at the screen edge, so it still
// enters the strip, and no dark band shows.
QRect stripEdgeLine(const DockFrame& strip, const QRectF& screenFrame, const QString& position);

// A line one pixel of Qt's deep along a screen's outer edge (`position` as
// for stripEdgeLine; root coordinates, Qt's pixels) as the one row (or
// column) of the server's on that edge. At a scale above 1 a pixel of Qt's
// covers more than one of the server's (two at 1.25 and 2.5, where it
// starts mid-row), and only the outermost lies on the edge: the rows above
// it belong to the windows there.
QRect edgeLineOnServer(
    const QRect& line, const QString& position, const std::vector<platform::ScaledScreen>& screens);

// Where an auto-show strip put at `placedStrip` stands on the server and
// where it takes the pointer there: its reach (stripReach; root
// coordinates, the server's pixels), and the one row (or column) of its
// screen's last on the server across it (stripEdgeTrigger as
// edgeLineOnServer gives it; in the area's own coordinates).
struct StripOnServer {
    QRect area;
    QRect edge;
    bool operator==(const StripOnServer&) const = default;
};
StripOnServer stripOnServer(const DockFrame& placedStrip, const QRectF& screenFrame, const QString& position,
    const QRect& primaryGeometry, const std::vector<platform::ScaledScreen>& screens);

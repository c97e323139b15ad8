#pragma once

#include <QList>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

// Where the shell's auxiliary windows go. Plain rectangle math over the
// screens' frames, in the desktop's global coordinates (y grows downwards).
struct ScreenFrames {
    QRect frame; // the whole screen
    QRect visibleFrame; // without panels and struts
};

// The first screen whose frame contains the point, in list order.
std::optional<ScreenFrames> screenContaining(const QList<ScreenFrames>& screens, QPoint point);

// The full-screen toast: 0.7 of the screen's frame in each dimension (rounded
// to whole pixels), centred on that screen. Empty without a screen.
QRect toastFrame(const std::optional<ScreenFrames>& screen);

// The clipboard window, as the clipboard tile's panel is on that screen:
// along the edge of the screen's bar (`edge`: "bottom", "top", "left",
// "right"), the visible frame's full length and 500 deep; 500 × 500 at the
// origin without a screen.
QRect pasteboardFrame(
    const std::optional<ScreenFrames>& screen, const QString& edge = QStringLiteral("bottom"));

// A window of `size` centred on `area`.
QRect centredIn(QSize size, const QRect& area);

// The frame a window manager draws round a window of ours before it has
// said what it draws (_NET_FRAME_EXTENTS), in Qt's pixels on a screen of
// that scale: a title bar and thin borders as the stock window managers
// draw them, in the server's pixels whatever the scale.
QMargins assumedWindowFrame(qreal scale);

// Where a framed window goes on `free` (a screen's part windows may use),
// by the pop-ups' rule (fittedInside): its content `wanted`, with `frame`
// (the window manager's title bar and borders) round it, moved inside
// `free`, and where it is larger shrunk to it, no further than `minimum`.
// What still does not fit hangs past the right and bottom edges, never
// the left and top ones: the title bar stays within reach.
QRect framedWindowPlace(const QRect& wanted, const QRect& free, const QMargins& frame, QSize minimum = {});

// The screens Qt knows, in its order, and the one under the mouse pointer.
QList<ScreenFrames> currentScreenFrames();
std::optional<ScreenFrames> screenUnderMouse();

#pragma once

#include "platform/DockWindowHints.h"

#include <QRect>
#include <QSize>

#include <vector>

namespace platform {

// The edge a panel keeps, judged by where its window stands when its
// reserve says otherwise.
//
// A reserve counts from the root's edge, which on screens of different sizes
// is not every screen's edge: icewm's taskbar at the bottom of a screen
// shorter than the root announces its 26 rows, which by the standard are
// the root's last 26, under the taller screen and nowhere near the taskbar.
// When `reserve`'s strip does not hold the panel's window (`window`, root
// coordinates, on a root of `root`) and the window does not touch the root's
// edge on that side, but lies along the same edge of one of `screens`, the
// reserve becomes the one that window implies: from the root's edge to the
// window's far side, over the window's span, which cuts only the screen it
// stands on. Anything else (a reserve that agrees with its window, a window
// along no screen's edge, one screen, a strip that would reach another
// screen) keeps what the reserve says.
ReservedEdge reserveWherePanelStands(
    const ReservedEdge& reserve, const QRect& window, const QSize& root, const std::vector<QRect>& screens);

} // namespace platform

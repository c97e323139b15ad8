#pragma once

#include "platform/DockWindowHints.h"

#include <QRect>
#include <QSize>

#include <vector>

namespace platform {

// The edge a panel keeps, judged by where its window stands (`window`, root
// coordinates, on a root of `root` that holds `screens`).
//
// A reserve counts from the root's edge, which on screens of different sizes
// or one above the other is not every screen's edge: tint2's panel at the
// bottom of a monitor above a laptop reserves down to the root's bottom,
// over the whole laptop; icewm's taskbar at the bottom of a laptop above a
// monitor announces its 26 rows, which by the standard are the root's last
// 26, on the monitor and nowhere near the taskbar. So a panel takes space on
// the screens its window stands on only (the answer's `within`): a reserve
// whose strip holds its window, or one along the root's edge, as announced;
// one that does not, with its window along the same edge of its screen, as
// the window implies: from the root's edge to the window's far side, over
// the window's span. A window along no such edge keeps what the reserve
// says, on its screens. One screen, no screen under the window or no window
// known: the reserve as announced, everywhere.
ReservedEdge reserveWherePanelStands(
    const ReservedEdge& reserve, const QRect& window, const QSize& root, const std::vector<QRect>& screens);

} // namespace platform

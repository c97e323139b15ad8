#pragma once

// Where the screens stand, as the X server has them. After a mode switch
// Qt can keep a screen's old place: its own record of the output is
// updated, and nothing tells the QScreen (a second screen moved left as the
// first one's mode was lowered kept its old x for good). Everything that
// places the bar and its pop-ups goes by these.

#include <QPoint>
#include <QRect>

class QScreen;

// The screen's place on the root: the server's, else Qt's.
QRect screenGeometry(const QScreen* screen);
// The part of it windows may use. With one screen, Qt's available part,
// carried over to the server's place where Qt's place is stale; with more,
// the whole screen (the work area cannot tell each screen's part).
QRect screenAvailableGeometry(const QScreen* screen);
// All screens' places together.
QRect screensVirtualGeometry();
// The primary screen's place, which dock space is measured from
// (toWindowSystemRect); empty without a screen.
QRect primaryScreenGeometry();
// The screen whose place holds `point`, if any.
QScreen* screenAtPoint(const QPoint& point);

// Qt's available part of `qtGeometry`, carried over to `geometry`: the same
// margins where the screen kept its size; the part inside `geometry`
// otherwise.
QRect availableOnPlace(const QRect& geometry, const QRect& qtGeometry, const QRect& qtAvailable);

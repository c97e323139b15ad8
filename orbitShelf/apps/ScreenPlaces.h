#pragma once

// Where the screens stand, as the X server has them, in Qt's pixels. After
// a mode switch Qt can keep a screen's old place: its own record of the
// output is updated, and nothing tells the QScreen (a second screen moved
// left as the first one's mode was lowered kept its old x for good).
// Everything that places the bar and its pop-ups goes by these.
//
// Qt lays out in its own (device-independent) pixels; what is said to the
// server, reserves above all, is in the server's (platform/ScreenScale.h).

#include "platform/DockWindowHints.h"
#include "platform/ScreenScale.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <vector>

class QScreen;

// The screen's place, in Qt's pixels: the server's, else Qt's.
QRect screenGeometry(const QScreen* screen);
// The same in the server's pixels.
QRect screenPlace(const QScreen* screen);
// The part of it windows may use, in Qt's pixels. With one screen, Qt's
// available part, carried over to the server's place where Qt's place is
// stale; with more, the whole screen (the work area cannot tell each
// screen's part).
QRect screenAvailableGeometry(const QScreen* screen);
// All screens' places together, in Qt's pixels.
QRect screensVirtualGeometry();
// All screens' places together, in the server's pixels: the root that
// reserves are measured from (`screens`: platform::scaledScreens()).
QRect serverRootGeometry(const std::vector<platform::ScaledScreen>& screens);
// Every screen's place, in the server's pixels.
std::vector<QRect> serverScreenPlaces(const std::vector<platform::ScaledScreen>& screens);
// The primary screen's place, which dock space is measured from
// (toWindowSystemRect); empty without a screen.
QRect primaryScreenGeometry();
// The screen whose place holds `point` (Qt's pixels), if any.
QScreen* screenAtPoint(const QPoint& point);
// The screen the pointer is on, as the server has it (the nearest one when
// it is on none); null without screens.
QScreen* screenOfPointer();

// The part of the screen the bar and the windows it keeps clear may use
// (visibleArea, reckoned in the server's pixels, as reserves are), in Qt's
// pixels.
QRect screenFreeArea(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others);
// The part of the screen a window of ours may take: its free part
// (screenFreeArea) less the reserves of the screen's own bar, where the
// window would lie under the bar. In Qt's pixels; empty for no screen.
QRect screenWindowArea(const QScreen* screen);
// Records the screen's own margins before any bar of ours reserved an edge
// (recordMarginsBeforeOwnReserve), in the server's pixels.
void recordScreenMarginsBeforeOwnReserve(
    const QScreen* screen, const QString& screenKey, const std::vector<platform::ReservedEdge>& others);

// Qt's available part of `qtGeometry`, carried over to `geometry`: the same
// margins where the screen kept its size; the part inside `geometry`
// otherwise.
QRect availableOnPlace(const QRect& geometry, const QRect& qtGeometry, const QRect& qtAvailable);

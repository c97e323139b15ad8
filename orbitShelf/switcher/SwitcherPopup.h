#pragma once

// The switcher window, its key monitors and the quick switch to the
// previously used window. Main thread only.

#include "widgets/CustomWindow.h"

#include <QPointer>
#include <QRect>
#include <QString>

#include <optional>

// True from showSwitcherPopup until closeSwitcherPopup.
extern bool switcherPopupShown;

// The switcher window: made on the first show, then reused.
QPointer<CustomWindow>& floatPanel();
// Its X window id while it exists.
std::optional<quint32> floatPanelWindowNumber();

// The switcher window's frame: a panel `width` × `height` centred on the
// screen's available area `visibleFrame`.
QRect switcherPanelFrame(const QRect& visibleFrame, double width, double height);

// The available area of the screen under the pointer, the primary one's
// when the pointer is on none; empty without screens.
QRect switcherVisibleFrame();

// Shows the window on the screen under the pointer (the primary one when
// the pointer is on none); a new window sets the grid up, a reused one was
// told to by the cycle.
void showSwitcherPopup();
// Ends the switcher's cycle (SwitcherCycle::end): resets the state, orders
// the window out and sends "onDestroy", also when no window was ever made.
void closeSwitcherPopup();

// Brings the window used before the newest one forward.
void activatePreviousAppWindow();

#pragma once

// The switcher window, its key monitors and the quick switch to the
// previously used window. Main thread only.

#include "widgets/CustomWindow.h"

#include <QPointer>
#include <QRect>

#include <optional>

// -1: no switcher cycle under way, 1: the switcher's modifier is held,
// 0: it was released.
extern int switcherModifierState;
// True from showSwitcherPopup until closeSwitcherPopup.
extern bool switcherPopupShown;

// The switcher window: made on the first show, then reused.
QPointer<CustomWindow>& floatPanel();
// Its X window id while it exists.
std::optional<quint32> floatPanelWindowNumber();

// Nine tenths of `screenFrame`, centred on it.
QRect switcherFrame(const QRect& screenFrame);

// The available area of the screen under the pointer, the primary one's
// when the pointer is on none; empty without screens.
QRect switcherVisibleFrame();

// Shows the window on the screen under the pointer (the primary one when
// the pointer is on none); a reused window is told so by "onInit".
void showSwitcherPopup();
// Resets the state, orders the window out and sends "onDestroy", also when
// no window was ever made.
void closeSwitcherPopup();

// Takes the keyboard: key-ups become "onkeyDown", the left Command, Option
// and Control keys "option", key-downs reach no window. False when another
// program holds the keyboard.
bool installSwitcherKeyMonitors();
// Gives the keyboard back and sets the state to 0.
void removeSwitcherKeyMonitors();
bool switcherKeyMonitorsInstalled();

// Brings the window used before the newest one forward.
void activatePreviousAppWindow();

#pragma once

// The switcher window, its key monitors and the quick switch to the
// previously used window. Main thread only.

#include "widgets/CustomWindow.h"

#include <QPointer>
#include <QRect>
#include <QString>

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

// The switcher window's frame: a panel `width` × `height` centred on the
// screen's available area `visibleFrame`.
QRect switcherPanelFrame(const QRect& visibleFrame, double width, double height);

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
// Whether a modifier key going down or up while the switcher is up commits
// it: the left Command, Option and Control keys, and both keys of the
// modifier `tabOption` (the stored Tab option) names.
bool isSwitcherCommitKey(quint16 keyCode, const QString& tabOption);
// Either key of the modifier `tabOption` names ("option" for any text but
// "alpha", which names none).
bool isSwitcherModifierKey(quint16 keyCode, const QString& tabOption);
// Gives the keyboard back and sets the state to 0.
void removeSwitcherKeyMonitors();
bool switcherKeyMonitorsInstalled();

// Brings the window used before the newest one forward.
void activatePreviousAppWindow();

#pragma once

#include <QtGlobal>

// Connects what the model tells and what the bar asks for to the features
// and windows that answer: the switcher's state and hot keys, the clipboard
// panel, the full-screen toast, the settings and quit windows and the
// relaunch. The one place where the layers meet; runs once, before the
// launch routine. Later calls do nothing.
void wireFeatures();

// A click on window `windowNumber`, released at the desktop's time
// `serverTime` (0: unknown): the switcher lets its modifier go, and unless
// the click was on the switcher's own panel, the switcher and the clipboard
// panel close. A click that came before the press holding the switcher's
// modifier leaves the switcher alone (it closes the clipboard panel still).
void closePanelsAfterClick(qint64 windowNumber, quint32 serverTime = 0);

#pragma once

#include <QtGlobal>

// Connects what the model tells and what the bar asks for to the features
// and windows that answer: the switcher's state and hot keys, the clipboard
// panel, the full-screen toast, the settings and quit windows and the
// relaunch. The one place where the layers meet; runs once, before the
// launch routine. Later calls do nothing.
void wireFeatures();

// A click on window `windowNumber`: the switcher lets its modifier go, and
// unless the click was on the switcher's own panel, the switcher and the
// clipboard panel close.
void closePanelsAfterClick(qint64 windowNumber);

#pragma once

#include <QRect>

class QScreen;
class QWidget;

// Places a window of ours that the window manager frames (the settings and
// onboarding windows) on `screen` as the bar's pop-ups are placed: inside
// the part of the screen windows may use (screenWindowArea), title bar and
// borders included, and shrunk to it where it is larger, its pages
// scrolling. `wanted` is where it asks to stand, in Qt's pixels; where that
// is empty or not on `screen`, it is centred there at its size. Call before
// the window is shown.
//
// Until the window manager has framed the window its frame is assumed
// (assumedWindowFrame); once it has, the window is placed again with the
// frame drawn. It is placed again too whenever a bar's reserve grows: at
// the first start the onboarding window shows before the bars stand.
void placeOnScreen(QWidget* window, QScreen* screen, const QRect& wanted = {});

#pragma once

// What the dock bar does not offer yet: the full-screen bookkeeping under the
// names the window handler uses.

#include <QMap>
#include <QString>

// The bar's full-screen flags (fullScreenAutoHideFlags()). Main thread only.
// Per window number: true while that window's full screen hides its bar.
QMap<qint64, bool>& dockHiddenFlags();
// Per screen key: the screen's "autoHideDock" entry from before a full-screen
// window hid its bar (no entry when it had none).
QMap<QString, QString>& dockScreenFlags();

class QRect;

// The room a screen offers the bar, by screen key: its calibrated width or
// height ("spaceWidth" / "spaceHeight" entry, a whole number), else the
// visible frame's. The bar's own form takes the screen itself.
int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame);
int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame);

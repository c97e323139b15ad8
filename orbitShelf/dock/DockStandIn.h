#pragma once

// Stand-in for the dock bar until its own code lands: the launch routine's
// one call into it. Builds nothing; logs once.
void buildDockWindows();

#include <QRect>
#include <QString>

class QScreen;
class QWidget;

// The full-screen toast's card: "Fullscreen! Hide OrbitShelf?" with the
// shortcut that hides the bar. The window-number, space and size fields are
// kept as properties for the real view to use.
QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height);

// Rebuilds the dock windows; there are none yet, so it only logs.
void restartDockWindows();

// Recomputes every screen's bar layout and publishes; with no bar yet only
// the publish remains.
void refreshDockLayout();

// The room a screen offers the bar: its calibrated width or height
// ("spaceWidth" / "spaceHeight" entry for the screen key, a whole number),
// else the visible frame's width or height.
int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame);
int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame);

#include <QString>

#include <cstdint>

// The bar's full-screen auto-hide rule for one screen. Until the bar exists
// there is no bar to hide: logs once and changes nothing.
void applyFullScreenAutoHide(int64_t windowNumber, const QString& screenKey);

#include <QMap>

// Full-screen bookkeeping shared by the window notification handler, the
// bar's own full-screen rule and the auto-hide hot key. Main thread only.
// Per window number: true while that window's full screen hides its bar.
QMap<qint64, bool>& dockHiddenFlags();
// Per screen key: the screen's "autoHideDock" entry from before a full-screen
// window hid its bar (no entry when it had none).
QMap<QString, QString>& dockScreenFlags();

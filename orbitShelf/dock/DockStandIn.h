#pragma once

// What other subsystems call of the dock bar. The dock windows, the layout
// pass and the full-screen auto-hide are the bar's own (headers included
// below); the full-screen toast card is still a stand-in.

#include "dock/DockLayoutPass.h" // refreshDockLayout
#include "dock/DockWindows.h" // buildDockWindows, restartDockWindows

#include <QMap>
#include <QRect>
#include <QString>

#include <cstdint>

class QWidget;

// Stand-in for the full-screen toast's card: "Fullscreen! Hide OrbitShelf?"
// with the shortcut that hides the bar. The window-number, space and size
// fields are kept as properties for the real view to use.
QWidget* makeFullScreenToast(const QString& spaceID, qint64 windowNumber, double width, double height);

// The room a screen offers the bar: its calibrated width or height
// ("spaceWidth" / "spaceHeight" entry for the screen key, a whole number),
// else the visible frame's width or height.
int calibratedScreenWidth(const QString& screenKey, const QRect& visibleFrame);
int calibratedScreenHeight(const QString& screenKey, const QRect& visibleFrame);

// The bar's full-screen auto-hide rule for one screen, on the shared state.
void applyFullScreenAutoHide(int64_t windowNumber, const QString& screenKey);

// Full-screen bookkeeping shared by the window notification handler, the
// bar's own full-screen rule and the auto-hide hot key (the maps of
// fullScreenAutoHideFlags()). Main thread only.
QMap<qint64, bool>& dockHiddenFlags();
QMap<QString, QString>& dockScreenFlags();

#pragma once

#include "dock/layout/DockLayout.h"

#include <QString>

class AppState;

// The layout pass over AppState: reads the running and pinned applications
// and the settings, writes each screen's per-screen maps, then publishes so
// every bar redraws. Main thread only.

// What is on the bar, read from the state.
DockLayoutInput dockLayoutInput(const AppState& state);

// Lays out one screen and writes its maps (no publish).
ScreenLayout layoutDockForScreen(AppState& state, const QString& screenID);

// Lays out every screen the data refresh has met (the keys of
// spaceScreenWidth), then publishes.
void refreshDockLayout(AppState& state);
void refreshDockLayout();

class QScreen;

// Usable size of a screen for the dock: the calibration stored for it
// (spaceWidth / spaceHeight) when that is a whole number, else its visible
// size.
int calibratedScreenWidth(const AppState& state, const QScreen* screen);
int calibratedScreenHeight(const AppState& state, const QScreen* screen);

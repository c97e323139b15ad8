#pragma once

#include <QString>

class AppState;

// Which edge each bar sits on, from the settings of AppState. The screen id
// of the main dock's screen is written by the dock windows when they are
// built and read here; main thread only.

QString& mainDockScreenID();

bool isDockHorizontal(const AppState& state);
bool isMainDockVertical(const AppState& state);
bool isDockVertical(const AppState& state, const QString& screenID);
QString dockPositionForScreen(const AppState& state, bool isMain, const QString& screenID);

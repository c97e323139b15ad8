#pragma once

#include <QMap>
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

// The same over the settings themselves. Edge texts are "bottom", "top",
// "left" and "right"; anything else is laid out as a bottom bar.
bool isDockHorizontal(const QString& mainDockPosition);
bool isMainDockVertical(const QString& mainDockPosition);
bool isDockVertical(const QString& screenId, const QString& mainDockScreenId, const QString& mainDockPosition,
    const QMap<QString, QString>& spaceDockPosition);
QString dockPositionForScreen(bool isMain, const QString& screenId, const QString& mainDockPosition,
    const QMap<QString, QString>& spaceDockPosition);
// Whether a bar on the edge `position` ("left", "right") stands upright
// along a side of its screen.
bool isSideEdge(const QString& position);

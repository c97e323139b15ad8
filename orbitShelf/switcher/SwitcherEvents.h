#pragma once

// The names the switcher's cycle sends on the event bus. Only the cycle
// (SwitcherCycle) sends them; the grid subscribes to them.

#include <QString>

namespace switcherevent {

// A key let go while the switcher is up; the data is its key code. The
// name says "down" for the key the user typed, though a release sends it.
inline const QString keyDown = QStringLiteral("onkeyDown");
// The commit: the data is the modifier's key code, or 1 from the bar's
// monitor.
inline const QString option = QStringLiteral("option");
// The switcher window, already made, is shown again; the data is 1.
inline const QString init = QStringLiteral("onInit");
// The switcher closed; the data is 1.
inline const QString destroy = QStringLiteral("onDestroy");

} // namespace switcherevent

#pragma once

#include <QString>

// Stand-in for the update framework that installs new versions; there is
// none on this desktop.

// What the update framework's window would have said: how this program gets
// new versions here.
QString updaterStandInNote();

// Shows the update framework's own window; there is none on this desktop,
// so it only logs.
void showUpdaterWindow();

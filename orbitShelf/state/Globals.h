#pragma once

#include <QString>

// Process-wide values of the shell, created empty on first use. Main thread
// only.

// The screen key of the screen that carries the main dock bar; "" until the
// dock windows are built.
QString& mainDockScreenID();

#pragma once

// The event thread has landed; this header stays only for the launch
// routine's include until the integrator drops it.
#include "apps/AXEventThread.h"

#include <QMap>
#include <QString>

// Stand-in for the reader of badges shown by other docks: none is read yet,
// so no application has a badge.
QMap<QString, QString> readSystemDockItems();

// Stand-in for the reload of pinned applications: clears openFromPinbar when
// set, and otherwise leaves AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

#pragma once

// Stand-in for the reload of pinned applications until the model gains it:
// clears AppState::openFromPinbar when set, and otherwise leaves
// AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

#include <QString>

#include <optional>

class Windows;

// Stand-in for the activation of a window from the bar until the activation
// routine lands: un-minimises and raises the window through the window
// manager (its application through the workspace when the window has no
// number or is gone); it records no click and never minimises. Logs that
// once.
void activateWindow(Windows& window, const QString& source, std::optional<bool> minimiseIfActive);

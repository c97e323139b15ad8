#pragma once

// Stand-in for the reload of pinned applications until the model gains it:
// clears AppState::openFromPinbar when set, and otherwise leaves
// AppState::pinnedAnNotRunning as it is.
void loadPinnedApps();

#include <QString>

#include <optional>

class Windows;

// Stand-in for the activation of a window from the bar until the activation
// routine lands: brings the window's application forward through the
// workspace; it neither raises nor un-minimises the single window, and
// records no click. Logs that once.
void activateWindow(Windows& window, const QString& source, std::optional<bool> minimiseIfActive);

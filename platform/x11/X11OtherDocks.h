#pragma once

#include "platform/OtherDocks.h"
#include "platform/SystemScripts.h"

#include <memory>

namespace platform::x11 {

class X11Context;

// The other docks that run now (platform/OtherDocks.h), read from the
// server, xfce4-panel's settings (xfconf, on the session bus) and plank's
// (GSettings).
std::vector<OtherDock> runningOtherDocks(
    const std::shared_ptr<X11Context>& ctx, const std::vector<ReservedEdge::Side>& barSides);

// Switches on each dock's auto-hide in its own settings, nothing else of
// them: xfce4-panel's autohide-behavior to "always" (2), plank's hide-mode
// to "auto". Each change is read back before it counts as done. A dock
// whose settings hide it already is left as it is (`hidingAlready`).
HideDocksReport hideOtherDocks(const std::vector<OtherDock>& docks);

} // namespace platform::x11

#pragma once

#include <functional>

// Stand-in for a global monitor of modifier-key changes (key codes in the
// app's virtual key codes). The desktop's input monitor reports clicks and
// key presses but no modifier changes yet: the handler is kept but never
// called. Returns a token that stays valid for the process.
using FlagsChangedHandler = std::function<void(int keyCode)>;
int addGlobalFlagsChangedMonitor(FlagsChangedHandler handler);

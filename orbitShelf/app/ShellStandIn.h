#pragma once

#include <functional>

// Stand-in for a global monitor of modifier-key changes (key codes in the
// app's virtual key codes). No global key monitor exists yet: the handler is
// kept but never called. Returns a token that stays valid for the process.
using FlagsChangedHandler = std::function<void(int keyCode)>;
int addGlobalFlagsChangedMonitor(FlagsChangedHandler handler);

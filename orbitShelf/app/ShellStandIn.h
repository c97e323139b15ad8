#pragma once

#include <functional>

// Stand-in for the app-wide listeners and global input monitors until they
// land. Of the listeners it registers only the screen-parameters observer,
// which rebuilds the dock windows (after the shared 5 s debounce and 1 s
// more) so that bars follow screens being plugged and unplugged.
void registerAppListeners();

// Stand-in for the dock reload: queues the running-application refresh (when
// a desktop platform is installed), the pinned-application reload and the
// bar layout.
void scheduleDockReload();

// Stand-in for a global monitor of modifier-key changes (key codes in the
// app's virtual key codes). No global key monitor exists yet: the handler is
// kept but never called. Returns a token that stays valid for the process.
using FlagsChangedHandler = std::function<void(int keyCode)>;
int addGlobalFlagsChangedMonitor(FlagsChangedHandler handler);

#pragma once

#include "platform/EndRequests.h"

#include <memory>

namespace platform::x11 {

// The session's requests to end the process: SIGTERM, SIGHUP and SIGINT, and
// the display's end wherever it shows first. Qt's X11 back-end ends the
// process itself when its connection breaks, with exit(1) and without
// unwinding main(): through Xlib's I/O error handler (Qt's prints "The X11
// connection broke: …" and calls Xlib's default, which exits) or at its event
// reader's next pass ("The X11 connection broke (error 1). Did the X11 server
// die?", then exit). Both are caught before the exit: Xlib's handler is
// replaced and Qt's warning is watched; either tells the watcher on the main
// thread, which ends the process there. A connection of this layer that breaks
// (connectionBroke) tells it too, once the application's own is broken as
// well. Made once per process, after the QApplication; it puts back what it
// replaced when it goes.
std::shared_ptr<EndRequests> createX11EndRequests();

// A connection of this layer was found broken; `which` names it in the log.
// When the application's connection is broken too, or breaks on one round
// trip, the display is gone and the watcher hears it; a connection the
// server dropped alone (xkill) ends nothing. Main thread; from another thread
// the check is passed there.
void connectionBroke(const char* which);

} // namespace platform::x11

#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace platform {

// What the desktop asks of the process when it wants it to end, other than
// the app's own Quit. On Linux these are the session's terminate requests:
// SIGTERM, SIGHUP and SIGINT (a session manager, `systemctl --user stop`, a
// closed terminal, Ctrl+C in it) and the display's end (a logout, the X
// server stopped or restarted).
enum class EndRequest {
    // A signal: the process may end at its own pace, through its event loop.
    terminate,
    // The display's connection is gone. Nothing may wait for the event loop
    // again: Qt's X11 back-end ends the process on its next pass.
    displayGone,
};

// Hears the desktop's requests to end the process.
class EndRequests {
public:
    // `what` is a line for the log saying what came ("SIGTERM received").
    using Handler = std::function<void(EndRequest request, const QString& what)>;

    virtual ~EndRequests() = default;

    // From now on each request reaches `handler` on the main thread; an empty
    // handler stops listening. A request that came before the first handler
    // (a signal while the app starts) waits for it. The display's end is told
    // once; the app's handler ends the process there and does not return.
    virtual void watch(Handler handler) = 0;
};

// The installed piece (Services::endRequests), or nullptr.
std::shared_ptr<EndRequests> endRequests();

} // namespace platform

#pragma once

#include "platform/WindowServer.h"
#include "platform/x11/XConnection.h"

#include <optional>
#include <vector>

namespace platform::x11 {

struct RootState {
    std::vector<xcb_window_t> stacking; // managed windows, bottom to top
    std::optional<xcb_window_t> active;
    quint32 currentDesktop = 0;
    quint32 desktopCount = 1;
};

// Every managed window with everything the layer answers about it, read in
// two round trips whatever the number of windows: the root's properties,
// then all requests for all windows at once (a third only when some windows
// do not name their process).
struct Snapshot {
    bool failed = false;              // the display did not answer
    RootState root;
    std::vector<ServerWindow> windows; // bottom to top; vanished windows left out

    const ServerWindow* find(quint32 id) const;
};

Snapshot readSnapshot(XConnection& x, qint32 ownPid);

// The root's part of a snapshot alone, in one round trip; absent when the
// display did not answer.
std::optional<RootState> readRootState(XConnection& x);

// The windows of `ids` (bottom to top), vanished ones left out, in one round
// trip (two when some do not name their process). `failed` reports a
// display that did not answer; nothing is returned then.
std::vector<ServerWindow> readWindows(
    XConnection& x, const std::vector<xcb_window_t>& ids, const RootState& root, bool& failed);

// One window (managed or not) with the root state, in one round trip.
// `failed` reports a display that did not answer; absent means the window
// does not exist.
std::optional<ServerWindow> readWindow(XConnection& x, quint32 id, RootState* root, bool& failed);

// Whether the window exists, in one small round trip. `failed` reports a
// display that did not answer.
bool windowExists(XConnection& x, quint32 id, bool& failed);

// The title of one window (its EWMH name, else its ICCCM name) in one small
// round trip: absent when the window does not exist, an empty optional
// inside when it has no title.
std::optional<std::optional<QString>> readWindowTitle(XConnection& x, quint32 id, bool& failed);

// Whether the window list shows this window.
bool isListed(const ServerWindow& w, qint32 ownPid);

} // namespace platform::x11

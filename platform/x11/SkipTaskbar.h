#pragma once

class QWindow;

namespace platform::x11 {

// Adds _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER to a window
// of ours. Does nothing when the application does not run on xcb, or for a
// window the window manager does not manage.
void markSkipTaskbar(QWindow* window);

} // namespace platform::x11

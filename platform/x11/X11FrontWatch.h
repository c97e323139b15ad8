#pragma once

#include <QObject>

#include <xcb/xcb.h>

#include <memory>

class QSocketNotifier;

namespace platform::x11 {

class XConnection;

// The active window and whether it is full screen, followed on a connection
// of its own. A window manager makes a window full screen by writing
// _NET_WM_STATE on it and resizing it, in either order: the toolkit hears
// neither (it follows only its own windows and the root), and our
// override-redirect areas along the edges stay above that window until
// told. changed() comes as soon as the active window changed, its state
// changed, or it was moved or resized while full screen; once per burst of
// events. Main thread.
class FrontWatch final : public QObject {
    Q_OBJECT
public:
    // The process's watch, made on first use; null when the display cannot
    // be reached.
    static FrontWatch* shared();
    ~FrontWatch() override;

signals:
    void changed();

private:
    explicit FrontWatch(std::unique_ptr<XConnection> connection);
    void readEvents();
    // Follows the active window from now on; none (no window active for a
    // moment) keeps the one followed.
    void followActive();
    bool readFullScreen(xcb_window_t window);

    std::unique_ptr<XConnection> m_x;
    QSocketNotifier* m_notifier = nullptr;
    xcb_window_t m_followed = XCB_WINDOW_NONE;
    bool m_fullScreen = false; // as last read of the followed window
};

} // namespace platform::x11

#include "dock/windows/FullScreenStepAside.h"

#include "dock/DockLog.h"
#include "platform/DockWindowHints.h"
#include "platform/Platform.h"
#include "platform/ScreenScale.h"

namespace {

// Whether `window` is still full screen in front. No window active for a
// moment (as a window manager moves the focus) leaves it there, and so does
// another program's panel made active: icewm raises its taskbar (a window
// with a strut and no window type) at the edge of a full-screen window and
// makes it the active window, while the full-screen window still covers the
// screen behind it.
bool stillInFront(quint32 window)
{
    if (!platform::hasCurrent())
        return false;
    platform::WindowServer& server = platform::current().windowServer();
    const std::optional<platform::ServerWindow> shown = server.window(window);
    if (!shown || !shown->fullScreen)
        return false;
    const std::optional<quint32> active = server.activeWindow();
    if (!active || !*active || *active == window)
        return true;
    const std::optional<platform::ServerWindow> front = server.window(*active);
    return front && (front->kind == platform::WindowKind::dock || front->reservesEdge);
}

} // namespace

std::optional<quint32> fullScreenWindowOver(const QRect& area)
{
    if (!platform::hasCurrent())
        return std::nullopt;
    platform::WindowServer& server = platform::current().windowServer();
    const std::optional<quint32> active = server.activeWindow();
    if (!active || !*active)
        return std::nullopt;
    const std::optional<platform::ServerWindow> window = server.window(*active);
    // The server has the window in its pixels, the area is in Qt's.
    if (!window || !window->fullScreen || !platform::qtFromServer(window->frame).intersects(area))
        return std::nullopt;
    return *active;
}

FullScreenStepAside::FullScreenStepAside(QString what, std::function<void()> recheck, QObject* parent)
    : QObject(parent)
    , m_what(std::move(what))
    , m_recheck(std::move(recheck))
{
    m_check.setInterval(1000);
    connect(&m_check, &QTimer::timeout, this, [this] { m_recheck(); });
    platform::watchWindowInFront(this, [this] { m_recheck(); });
}

bool FullScreenStepAside::update(const QRect& area, bool looking)
{
    if (m_window && !stillInFront(*m_window)) {
        qCDebug(lcDock).noquote() << m_what << "takes the edge again from" << Qt::hex << *m_window;
        m_window.reset();
        m_check.stop();
    }
    if (!m_window && looking) {
        if (const std::optional<quint32> window = fullScreenWindowOver(area)) {
            qCDebug(lcDock).noquote() << m_what << "steps aside for the full-screen window"
                            << Qt::hex << *window;
            m_window = window;
            m_check.start();
        }
    }
    return aside();
}

#include "platform/x11/X11Platform.h"

#include "platform/Logging.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11Context.h"
#include "platform/x11/X11OtherDocks.h"
#include "platform/x11/X11WindowServer.h"
#include "platform/x11/X11Workspace.h"

#include <QThread>
#include <QThreadPool>

#include <cerrno>
#include <optional>

#include <signal.h>

namespace platform::x11 {
namespace {

class X11Scripts final : public SystemScripts {
public:
    explicit X11Scripts(std::shared_ptr<X11Context> ctx) : m_ctx(std::move(ctx)) {}

    void bringProcessToFront(qint32 pid, const QString& name) override
    {
        std::weak_ptr<X11Context> weak = m_ctx;
        QThreadPool::globalInstance()->start([weak, pid, name] {
            auto ctx = weak.lock();
            if (!ctx)
                return;
            const Snapshot snap = readSnapshot(ctx->x(), ctx->ownPid());
            // The process's front-most window that is not minimised, else its
            // front-most one (activating it restores it).
            const ServerWindow* pick = nullptr;
            for (auto it = snap.windows.rbegin(); it != snap.windows.rend(); ++it) {
                if (it->pid != pid || !isListed(*it, ctx->ownPid()))
                    continue;
                if (!pick || (pick->minimized && !it->minimized))
                    pick = &*it;
            }
            if (!pick) {
                qCInfo(lcPlatform) << "cannot bring" << name << "( pid" << pid << ") to the front: it has no window";
                return;
            }
            X11WindowServer(ctx).activate(pick->id);
        });
    }

    OtherDocksFound otherDocks(const std::vector<ReservedEdge::Side>& barSides) override
    {
        OtherDocksFound found;
        for (const OtherDock& dock : runningOtherDocks(m_ctx, barSides))
            (dock.hides ? found.hiding : found.toHide) << otherDockName(dock);
        return found;
    }

    HideDocksReport hideSystemDock(const std::vector<ReservedEdge::Side>& barSides) override
    {
        // Read again: a dock may have started, quit or been hidden since
        // the page named them.
        const HideDocksReport report = hideOtherDocks(runningOtherDocks(m_ctx, barSides));
        if (report.outcome == ScriptOutcome::notApplicable)
            qCInfo(lcPlatform) << "no other dock is left to hide here; nothing was changed";
        return report;
    }

private:
    std::shared_ptr<X11Context> m_ctx;
};

class X11Platform final : public Platform {
public:
    explicit X11Platform(std::shared_ptr<X11Context> ctx)
        : m_ctx(ctx), m_windowServer(ctx), m_accessibility(ctx, m_windowServer), m_workspace(ctx), m_pointer(ctx),
          m_scripts(ctx)
    {
    }
    WindowServer& windowServer() override { return m_windowServer; }
    Accessibility& accessibility() override { return m_accessibility; }
    Workspace& workspace() override { return m_workspace; }
    Pointer& pointer() override { return m_pointer; }
    SystemScripts& scripts() override { return m_scripts; }

private:
    std::shared_ptr<X11Context> m_ctx;
    X11WindowServer m_windowServer;
    X11Accessibility m_accessibility;
    X11Workspace m_workspace;
    X11Pointer m_pointer;
    X11Scripts m_scripts;
};

} // namespace

std::unique_ptr<Platform> createX11Platform(QString* error)
{
    auto ctx = X11Context::create(qgetenv("DISPLAY"), error);
    if (!ctx)
        return nullptr;
    return std::make_unique<X11Platform>(std::move(ctx));
}

bool displayReachable(QString* error)
{
    return XConnection::open(qgetenv("DISPLAY"), error) != nullptr;
}

namespace {

// Whether a window the manager lists belongs to nothing any more: the window
// is gone, or the process that made it has ended. Null when the server did
// not answer.
std::optional<bool> anyListedWindowEnded(XConnection& x)
{
    auto list = x.reply<xcb_get_property_reply_t>(
        requestProperty(x, x.root(), x.atoms().netClientList, XCB_ATOM_WINDOW, 65536));
    if (!list)
        return std::nullopt;
    const std::vector<quint32> windows = cardinalsProperty(list.get());
    std::vector<xcb_get_property_cookie_t> pids;
    pids.reserve(windows.size());
    for (const quint32 window : windows)
        pids.push_back(requestProperty(x, window, x.atoms().netWmPid, XCB_ATOM_CARDINAL, 1));
    ReplyBatch batch(x);
    bool ended = false;
    for (const xcb_get_property_cookie_t& cookie : pids) {
        auto reply = batch.get<xcb_get_property_reply_t>(cookie);
        if (!reply) {
            ended = true; // the window is gone
            continue;
        }
        const std::optional<quint32> pid = cardinalProperty(reply.get());
        if (pid && *pid > 0 && ::kill(pid_t(*pid), 0) != 0 && errno == ESRCH)
            ended = true;
    }
    if (batch.failed())
        return std::nullopt;
    return ended;
}

} // namespace

std::unique_ptr<XConnection> waitForWindowManagerToLetGoOfEndedProcesses(int timeoutMs)
{
    QString error;
    std::unique_ptr<XConnection> x = XConnection::open(qgetenv("DISPLAY"), &error);
    if (!x)
        return nullptr;
    const QDeadlineTimer deadline(timeoutMs);
    while (true) {
        const std::optional<bool> ended = anyListedWindowEnded(*x);
        if (ended == false)
            return x;
        if (!ended || deadline.hasExpired()) {
            qCWarning(lcPlatform) << "the window manager still lists windows of an ended process; starting anyway";
            return x;
        }
        QThread::msleep(20);
    }
}

quint64 x11RoundTrips() { return XConnection::roundTrips(); }

} // namespace platform::x11

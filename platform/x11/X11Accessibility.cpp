#include "platform/x11/X11Accessibility.h"

#include "platform/ScreenScale.h"
#include "platform/x11/WindowReader.h"

#include <QSizeF>

#include <cerrno>
#include <csignal>

namespace platform::x11 {
namespace {

// The snapshot that answers reads while a batch is open on this thread.
struct BatchState {
    std::shared_ptr<X11Context> ctx;
    std::optional<Snapshot> snapshot;

    const Snapshot& get()
    {
        if (!snapshot)
            snapshot = readSnapshot(ctx->x(), ctx->ownPid());
        return *snapshot;
    }
};
thread_local BatchState* t_batch = nullptr;

class X11ReadBatch final : public AXReadBatch {
public:
    explicit X11ReadBatch(std::shared_ptr<X11Context> ctx)
    {
        if (!t_batch) {
            m_state.ctx = std::move(ctx);
            t_batch = &m_state;
            m_owner = true;
        }
    }
    ~X11ReadBatch() override
    {
        if (m_owner)
            t_batch = nullptr;
    }

private:
    BatchState m_state;
    bool m_owner = false;
};

class X11Observer final : public AXObserver {
public:
    X11Observer(std::shared_ptr<EventHub> hub, quint64 id) : m_hub(std::move(hub)), m_id(id) {}
    ~X11Observer() override { m_hub->removeObserver(m_id); }
    AXResult addNotification(const AXElement& element, const QString& notification) override
    {
        return m_hub->addNotification(m_id, element, notification);
    }
    AXResult removeNotification(const AXElement& element, const QString& notification) override
    {
        return m_hub->removeNotification(m_id, element, notification);
    }
    void addToRunLoop(QObject* runLoop) override { m_hub->addToRunLoop(m_id, runLoop); }

private:
    std::shared_ptr<EventHub> m_hub;
    quint64 m_id;
};

bool processAlive(qint32 pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

} // namespace

const Snapshot* batchedSnapshot(const std::shared_ptr<X11Context>& ctx, std::optional<Snapshot>& local)
{
    if (t_batch)
        return &t_batch->get();
    local = readSnapshot(ctx->x(), ctx->ownPid());
    return &*local;
}

X11Accessibility::X11Accessibility(std::shared_ptr<X11Context> ctx, X11WindowServer& windows)
    : m_ctx(std::move(ctx)), m_windows(windows), m_hub(std::make_shared<EventHub>(m_ctx))
{
}

AXResult X11Accessibility::readWindow(quint32 id, ServerWindow& out, RootState& root)
{
    if (t_batch) {
        const Snapshot& snap = t_batch->get();
        if (snap.failed)
            return AXResult::cannotComplete;
        if (const ServerWindow* w = snap.find(id)) {
            out = *w;
            root = snap.root;
            return AXResult::success;
        }
        // Not managed when the snapshot was taken: ask about it directly.
    }
    bool failed = false;
    auto w = x11::readWindow(m_ctx->x(), id, &root, failed);
    if (failed)
        return AXResult::cannotComplete;
    if (!w)
        return AXResult::invalidUIElement;
    out = *w;
    return AXResult::success;
}

AXResult X11Accessibility::copyAttributeValue(const AXElement& e, const QString& attribute, AXValue& value)
{
    value = std::monostate{};
    if (m_ctx->x().lost())
        return AXResult::cannotComplete;
    switch (e.kind) {
    case AXElement::Kind::systemWide: {
        if (attribute != QLatin1String(ax::focusedApplication))
            return AXResult::attributeUnsupported;
        std::optional<Snapshot> local;
        const Snapshot* snap = batchedSnapshot(m_ctx, local);
        if (snap->failed)
            return AXResult::cannotComplete;
        const ServerWindow* w = snap->root.active ? snap->find(*snap->root.active) : nullptr;
        if (!w || !w->pid)
            return AXResult::noValue;
        value = AXElement::application(w->pid);
        return AXResult::success;
    }
    case AXElement::Kind::application: return readApplication(e, attribute, value);
    case AXElement::Kind::closeButton: {
        ServerWindow w;
        RootState root;
        const AXResult r = readWindow(e.window, w, root);
        if (r != AXResult::success)
            return r;
        if (attribute == QLatin1String(ax::role)) {
            value = QStringLiteral("AXButton");
            return AXResult::success;
        }
        return AXResult::attributeUnsupported;
    }
    case AXElement::Kind::window: break;
    }

    if (attribute == QLatin1String(ax::title) && !t_batch) {
        if (const auto delivered = titleBeingDelivered(e.window)) {
            if (!*delivered)
                return AXResult::noValue;
            value = **delivered;
            return AXResult::success;
        }
        // A rename asks for the title alone: two properties, not the whole
        // window.
        bool failed = false;
        const auto title = readWindowTitle(m_ctx->x(), e.window, failed);
        if (failed)
            return AXResult::cannotComplete;
        if (!title)
            return AXResult::invalidUIElement;
        if (!*title)
            return AXResult::noValue;
        value = **title;
        return AXResult::success;
    }
    ServerWindow w;
    RootState root;
    const AXResult r = readWindow(e.window, w, root);
    if (r != AXResult::success)
        return r;
    const QRect primary = m_ctx->primaryScreen();
    if (attribute == QLatin1String(ax::title)) {
        if (!w.title)
            return AXResult::noValue;
        value = *w.title;
    } else if (attribute == QLatin1String(ax::role)) {
        value = QStringLiteral("AXWindow");
    } else if (attribute == QLatin1String(ax::subrole)) {
        value = subroleForKind(w.kind);
    } else if (attribute == QLatin1String(ax::minimized)) {
        value = w.minimized;
    } else if (attribute == QLatin1String(ax::fullScreen)) {
        value = w.fullScreen;
    } else if (attribute == QLatin1String(ax::position)) {
        // Places and sizes are the app's, in Qt's pixels, as everything it
        // lays out; the primary screen's corner is the same in both.
        value = QPointF(qtFromServer(w.frame).topLeft() - primary.topLeft());
    } else if (attribute == QLatin1String(ax::size)) {
        value = QSizeF(qtFromServer(w.frame).size());
    } else if (attribute == QLatin1String(ax::closeButton)) {
        value = AXElement::windowElement(w.pid, w.id).closeButton();
    } else if (attribute == QLatin1String(ax::main) || attribute == QLatin1String(ax::focused)) {
        value = bool(root.active && *root.active == w.id);
    } else {
        return AXResult::attributeUnsupported;
    }
    return AXResult::success;
}

AXResult X11Accessibility::readApplication(const AXElement& e, const QString& attribute, AXValue& value)
{
    std::optional<Snapshot> local;
    const Snapshot* snap = batchedSnapshot(m_ctx, local);
    if (snap->failed)
        return AXResult::cannotComplete;
    // The application's windows, front to back as the stacking order says.
    std::vector<const ServerWindow*> own;
    for (auto it = snap->windows.rbegin(); it != snap->windows.rend(); ++it)
        if (it->pid == e.pid && it->kind != WindowKind::dock && it->kind != WindowKind::desktop)
            own.push_back(&*it);
    if (own.empty() && !processAlive(e.pid))
        return AXResult::invalidUIElement;

    if (attribute == QLatin1String(ax::windows)) {
        AXElementList list;
        for (const ServerWindow* w : own)
            list.push_back(AXElement::windowElement(e.pid, w->id));
        value = std::move(list);
    } else if (attribute == QLatin1String(ax::role)) {
        value = QStringLiteral("AXApplication");
    } else if (attribute == QLatin1String(ax::title)) {
        if (own.empty())
            return AXResult::noValue;
        value = own.front()->className;
    } else if (attribute == QLatin1String(ax::focusedWindow) || attribute == QLatin1String(ax::mainWindow)) {
        // X11 focuses one window on the whole desktop; an application that
        // does not hold it still has a window it would show first.
        const ServerWindow* pick = nullptr;
        for (const ServerWindow* w : own)
            if (snap->root.active && w->id == *snap->root.active)
                pick = w;
        if (!pick)
            for (const ServerWindow* w : own)
                if (!w->minimized && !pick)
                    pick = w;
        if (!pick)
            return AXResult::noValue;
        value = AXElement::windowElement(e.pid, pick->id);
    } else if (attribute == QLatin1String(ax::frontmost)) {
        bool front = false;
        for (const ServerWindow* w : own)
            front = front || (snap->root.active && w->id == *snap->root.active);
        value = front;
    } else {
        return AXResult::attributeUnsupported;
    }
    return AXResult::success;
}

AXResult X11Accessibility::setAttributeValue(const AXElement& e, const QString& attribute, const AXValue& value)
{
    if (m_ctx->x().lost())
        return AXResult::cannotComplete;
    if (e.kind != AXElement::Kind::window)
        return AXResult::attributeUnsupported;
    const quint32 id = e.window;
    auto sent = [](bool ok) { return ok ? AXResult::success : AXResult::invalidUIElement; };
    if (attribute == QLatin1String(ax::minimized)) {
        const bool* on = std::get_if<bool>(&value);
        if (!on)
            return AXResult::illegalArgument;
        return sent(*on ? m_windows.minimize(id) : m_windows.unminimize(id));
    }
    if (attribute == QLatin1String(ax::fullScreen)) {
        const bool* on = std::get_if<bool>(&value);
        if (!on)
            return AXResult::illegalArgument;
        return sent(m_windows.setFullScreen(id, *on));
    }
    if (attribute == QLatin1String(ax::main) || attribute == QLatin1String(ax::focused)) {
        const bool* on = std::get_if<bool>(&value);
        if (!on)
            return AXResult::illegalArgument;
        return *on ? sent(m_windows.activate(id)) : AXResult::success;
    }
    if (attribute == QLatin1String(ax::position)) {
        const QPointF* p = std::get_if<QPointF>(&value);
        if (!p)
            return AXResult::illegalArgument;
        return sent(m_windows.moveFrame(id, serverFromQt(*p + QPointF(m_ctx->primaryScreen().topLeft()))));
    }
    if (attribute == QLatin1String(ax::size)) {
        const QSizeF* s = std::get_if<QSizeF>(&value);
        if (!s)
            return AXResult::illegalArgument;
        // Scaled as the screen the window stands on.
        const std::optional<ServerWindow> window = m_windows.window(id);
        const QPointF at = window ? QPointF(qtFromServer(window->frame).topLeft()) : QPointF();
        return sent(m_windows.resizeFrame(id, serverFromQt(QRectF(at, *s)).size()));
    }
    return AXResult::attributeUnsupported;
}

AXResult X11Accessibility::performAction(const AXElement& e, const QString& action)
{
    if (m_ctx->x().lost())
        return AXResult::cannotComplete;
    if (e.kind == AXElement::Kind::window && action == QLatin1String(ax::raise))
        return m_windows.activate(e.window) ? AXResult::success : AXResult::invalidUIElement;
    if (e.kind == AXElement::Kind::closeButton && action == QLatin1String(ax::press))
        return m_windows.close(e.window) ? AXResult::success : AXResult::invalidUIElement;
    return AXResult::actionUnsupported;
}

AXResult X11Accessibility::windowNumber(const AXElement& e, quint32& number)
{
    if (e.kind != AXElement::Kind::window)
        return AXResult::illegalArgument;
    if (!t_batch && windowBeingDelivered() == e.window) {
        // The notification being handled is this window's own report.
        number = e.window;
        return AXResult::success;
    }
    if (!t_batch) {
        // The number is the window's own id; only whether it still exists
        // is asked.
        bool failed = false;
        const bool exists = windowExists(m_ctx->x(), e.window, failed);
        if (failed)
            return AXResult::cannotComplete;
        if (!exists)
            return AXResult::invalidUIElement;
        number = e.window;
        return AXResult::success;
    }
    ServerWindow w;
    RootState root;
    const AXResult r = readWindow(e.window, w, root);
    if (r == AXResult::success)
        number = w.id;
    return r;
}

AXResult X11Accessibility::processIdentifier(const AXElement& e, qint32& pid)
{
    switch (e.kind) {
    case AXElement::Kind::systemWide: return AXResult::illegalArgument;
    case AXElement::Kind::application:
        pid = e.pid;
        return AXResult::success;
    case AXElement::Kind::window:
    case AXElement::Kind::closeButton: {
        if (e.pid) {
            pid = e.pid;
            return AXResult::success;
        }
        ServerWindow w;
        RootState root;
        const AXResult r = readWindow(e.window, w, root);
        if (r != AXResult::success)
            return r;
        if (!w.pid)
            return AXResult::failure;
        pid = w.pid;
        return AXResult::success;
    }
    }
    return AXResult::failure;
}

std::unique_ptr<AXObserver> X11Accessibility::createObserver(qint32 pid, AXObserverCallback callback)
{
    return std::make_unique<X11Observer>(m_hub, m_hub->addObserver(pid, std::move(callback)));
}

std::unique_ptr<AXReadBatch> X11Accessibility::beginReadBatch()
{
    return std::make_unique<X11ReadBatch>(m_ctx);
}

} // namespace platform::x11

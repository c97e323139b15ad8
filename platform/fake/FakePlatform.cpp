#include "platform/fake/FakePlatform.h"

#include "platform/Services.h"

#include <QCoreApplication>
#include <QHash>
#include <QMetaObject>
#include <QPointer>

#include <algorithm>
#include <map>
#include <mutex>
#include <set>

namespace platform::fake {

struct FakePlatform::State {
    mutable std::recursive_mutex mutex;
    std::vector<RunningApplication> apps;
    std::vector<ServerWindow> windows; // stacking order, bottom to top
    std::map<quint32, QImage> images;
    std::map<quint32, std::vector<QImage>> icons;
    std::optional<quint32> active;
    std::vector<FakeAction> actions;
    std::set<qint32> unresponsive;
    bool trusted = true;
    QStringList otherDocks;
    QStringList refusingDocks;
    QStringList hidingDocks;
    QPoint pointer;
    QRect primary{0, 0, 1920, 1080};
    qint32 ownPid = 0;
    int desktopCount = 1;
    quint32 currentDesktop = 0;
    quint32 nextId = 0x400001;
    int reads = 0;
    int batches = 0;

    struct Registration {
        quint64 observer;
        AXElement element;
        QString notification;
    };
    struct ObserverRecord {
        qint32 pid;
        std::shared_ptr<AXObserverCallback> callback;
        QPointer<QObject> runLoop;
        bool attached = false;
    };
    quint64 nextObserver = 1;
    std::map<quint64, ObserverRecord> observers;
    std::vector<Registration> registrations;

    ServerWindow* find(quint32 id)
    {
        auto it = std::find_if(windows.begin(), windows.end(), [id](const ServerWindow& w) { return w.id == id; });
        return it == windows.end() ? nullptr : &*it;
    }
    const RunningApplication* app(qint32 pid) const
    {
        auto it = std::find_if(apps.begin(), apps.end(),
                               [pid](const RunningApplication& a) { return a.processIdentifier == pid; });
        return it == apps.end() ? nullptr : &*it;
    }
    void record(FakeAction action) { actions.push_back(std::move(action)); }
    void refreshOnScreen(ServerWindow& w)
    {
        const bool onDesktop = !w.desktop || *w.desktop == 0xFFFFFFFF || *w.desktop == currentDesktop;
        w.onScreen = w.mapped && !w.minimized && onDesktop;
    }
    bool listed(const ServerWindow& w) const
    {
        return w.pid != ownPid && w.kind != WindowKind::dock && w.kind != WindowKind::desktop && !w.skipTaskbar;
    }
};

namespace {

using State = FakePlatform::State;

FakeAction act(FakeAction::Kind kind, quint32 window = 0, qint32 pid = 0)
{
    FakeAction a;
    a.kind = kind;
    a.window = window;
    a.pid = pid;
    return a;
}

class FakeWindowServer final : public WindowServer {
public:
    explicit FakeWindowServer(std::shared_ptr<State> s) : m_s(std::move(s)) {}

    std::vector<ServerWindow> windowList() override
    {
        std::lock_guard lock(m_s->mutex);
        std::vector<ServerWindow> out;
        for (auto it = m_s->windows.rbegin(); it != m_s->windows.rend(); ++it)
            if (m_s->listed(*it))
                out.push_back(*it);
        return out;
    }
    std::optional<ServerWindow> window(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        if (auto* w = m_s->find(id))
            return *w;
        return std::nullopt;
    }
    std::optional<quint32> windowAt(QPoint p) override
    {
        std::lock_guard lock(m_s->mutex);
        for (auto it = m_s->windows.rbegin(); it != m_s->windows.rend(); ++it)
            if (it->onScreen && it->frame.contains(p))
                return it->id;
        return std::nullopt;
    }
    std::optional<qint32> processOfWindow(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        if (auto* w = m_s->find(id); w && w->pid)
            return w->pid;
        return std::nullopt;
    }
    std::vector<quint64> spacesOfWindow(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        if (!w)
            return {};
        if (!w->desktop || *w->desktop == 0xFFFFFFFF) {
            std::vector<quint64> all;
            for (int i = 0; i < m_s->desktopCount; ++i)
                all.push_back(quint64(i));
            return all;
        }
        return {quint64(*w->desktop)};
    }
    std::optional<quint32> activeWindow() override
    {
        std::lock_guard lock(m_s->mutex);
        return m_s->active;
    }
    std::optional<QImage> windowImage(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        if (!w || !w->mapped || w->minimized)
            return std::nullopt;
        if (auto it = m_s->images.find(id); it != m_s->images.end())
            return it->second;
        QImage image(w->client.size().isEmpty() ? QSize(1, 1) : w->client.size(), QImage::Format_ARGB32);
        image.fill(Qt::gray);
        return image;
    }
    std::vector<QImage> windowIcons(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        auto it = m_s->icons.find(id);
        return it == m_s->icons.end() ? std::vector<QImage>() : it->second;
    }
    QRect primaryScreen() override
    {
        std::lock_guard lock(m_s->mutex);
        return m_s->primary;
    }
    bool activate(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        m_s->record(act(FakeAction::Kind::activate, id, w ? w->pid : 0));
        if (!w)
            return false;
        w->minimized = false;
        m_s->refreshOnScreen(*w);
        m_s->active = id;
        ServerWindow copy = *w;
        std::erase_if(m_s->windows, [id](const ServerWindow& x) { return x.id == id; });
        m_s->windows.push_back(copy);
        return true;
    }
    bool minimize(quint32 id) override { return setMinimized(id, true); }
    bool unminimize(quint32 id) override { return setMinimized(id, false); }
    bool close(quint32 id) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        m_s->record(act(FakeAction::Kind::close, id, w ? w->pid : 0));
        return w != nullptr; // the application decides; the window stays until the test removes it
    }
    bool setFullScreen(quint32 id, bool on) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        FakeAction a = act(FakeAction::Kind::setFullScreen, id, w ? w->pid : 0);
        a.flag = on;
        m_s->record(a);
        if (!w)
            return false;
        w->fullScreen = on;
        return true;
    }
    bool moveFrame(quint32 id, QPoint topLeft) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        FakeAction a = act(FakeAction::Kind::move, id, w ? w->pid : 0);
        a.point = topLeft;
        m_s->record(a);
        if (!w)
            return false;
        const QPoint delta = topLeft - w->frame.topLeft();
        w->frame.translate(delta);
        w->client.translate(delta);
        return true;
    }
    bool resizeFrame(quint32 id, QSize size) override
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        FakeAction a = act(FakeAction::Kind::resize, id, w ? w->pid : 0);
        a.size = size;
        m_s->record(a);
        if (!w)
            return false;
        const QSize grow = size - w->frame.size();
        w->frame.setSize(size);
        w->client.setSize(w->client.size() + grow);
        return true;
    }

private:
    bool setMinimized(quint32 id, bool on)
    {
        std::lock_guard lock(m_s->mutex);
        auto* w = m_s->find(id);
        m_s->record(act(on ? FakeAction::Kind::minimize : FakeAction::Kind::unminimize, id, w ? w->pid : 0));
        if (!w)
            return false;
        w->minimized = on;
        m_s->refreshOnScreen(*w);
        return true;
    }
    std::shared_ptr<State> m_s;
};

class FakeObserver final : public AXObserver {
public:
    FakeObserver(std::shared_ptr<State> s, quint64 id) : m_s(std::move(s)), m_id(id) {}
    ~FakeObserver() override
    {
        std::lock_guard lock(m_s->mutex);
        m_s->observers.erase(m_id);
        std::erase_if(m_s->registrations, [this](const State::Registration& r) { return r.observer == m_id; });
    }
    AXResult addNotification(const AXElement& element, const QString& notification) override
    {
        std::lock_guard lock(m_s->mutex);
        if (element.kind == AXElement::Kind::window && !m_s->find(element.window))
            return AXResult::invalidUIElement;
        m_s->registrations.push_back({m_id, element, notification});
        return AXResult::success;
    }
    AXResult removeNotification(const AXElement& element, const QString& notification) override
    {
        std::lock_guard lock(m_s->mutex);
        auto n = std::erase_if(m_s->registrations, [&](const State::Registration& r) {
            return r.observer == m_id && r.element == element && r.notification == notification;
        });
        return n ? AXResult::success : AXResult::failure;
    }
    void addToRunLoop(QObject* runLoop) override
    {
        std::lock_guard lock(m_s->mutex);
        auto& rec = m_s->observers[m_id];
        rec.runLoop = runLoop;
        rec.attached = runLoop != nullptr;
    }

private:
    std::shared_ptr<State> m_s;
    quint64 m_id;
};

class FakeReadBatch final : public AXReadBatch {};

class FakeAccessibility final : public Accessibility {
public:
    explicit FakeAccessibility(std::shared_ptr<State> s, WindowServer& ws) : m_s(std::move(s)), m_ws(ws) {}

    bool isProcessTrusted(bool) override
    {
        std::lock_guard lock(m_s->mutex);
        return m_s->trusted;
    }

    AXResult copyAttributeValue(const AXElement& e, const QString& attribute, AXValue& value) override
    {
        std::lock_guard lock(m_s->mutex);
        ++m_s->reads;
        value = std::monostate{};
        if (!m_s->trusted)
            return AXResult::apiDisabled;
        if (m_s->unresponsive.count(e.pid))
            return AXResult::cannotComplete;
        switch (e.kind) {
        case AXElement::Kind::systemWide:
            if (attribute == QLatin1String(ax::focusedApplication)) {
                if (!m_s->active)
                    return AXResult::noValue;
                auto* w = m_s->find(*m_s->active);
                if (!w)
                    return AXResult::noValue;
                value = AXElement::application(w->pid);
                return AXResult::success;
            }
            return AXResult::attributeUnsupported;
        case AXElement::Kind::application: return readApplication(e, attribute, value);
        case AXElement::Kind::window: return readWindow(e, attribute, value);
        case AXElement::Kind::closeButton:
            if (!m_s->find(e.window))
                return AXResult::invalidUIElement;
            if (attribute == QLatin1String(ax::role)) {
                value = QStringLiteral("AXButton");
                return AXResult::success;
            }
            return AXResult::attributeUnsupported;
        }
        return AXResult::failure;
    }

    AXResult setAttributeValue(const AXElement& e, const QString& attribute, const AXValue& value) override
    {
        {
            std::lock_guard lock(m_s->mutex);
            if (!m_s->trusted)
                return AXResult::apiDisabled;
            if (m_s->unresponsive.count(e.pid))
                return AXResult::cannotComplete;
            if (e.kind != AXElement::Kind::window)
                return AXResult::attributeUnsupported;
            if (!m_s->find(e.window))
                return AXResult::invalidUIElement;
        }
        if (attribute == QLatin1String(ax::minimized)) {
            const bool* on = std::get_if<bool>(&value);
            if (!on)
                return AXResult::illegalArgument;
            return (*on ? m_ws.minimize(e.window) : m_ws.unminimize(e.window)) ? AXResult::success : AXResult::invalidUIElement;
        }
        if (attribute == QLatin1String(ax::fullScreen)) {
            const bool* on = std::get_if<bool>(&value);
            if (!on)
                return AXResult::illegalArgument;
            return m_ws.setFullScreen(e.window, *on) ? AXResult::success : AXResult::invalidUIElement;
        }
        if (attribute == QLatin1String(ax::main) || attribute == QLatin1String(ax::focused)) {
            const bool* on = std::get_if<bool>(&value);
            if (!on)
                return AXResult::illegalArgument;
            if (*on)
                m_ws.activate(e.window);
            return AXResult::success;
        }
        if (attribute == QLatin1String(ax::position)) {
            const QPointF* p = std::get_if<QPointF>(&value);
            if (!p)
                return AXResult::illegalArgument;
            const QRect primary = m_ws.primaryScreen();
            return m_ws.moveFrame(e.window, (p->toPoint() + primary.topLeft())) ? AXResult::success : AXResult::invalidUIElement;
        }
        if (attribute == QLatin1String(ax::size)) {
            const QSizeF* s = std::get_if<QSizeF>(&value);
            if (!s)
                return AXResult::illegalArgument;
            return m_ws.resizeFrame(e.window, s->toSize()) ? AXResult::success : AXResult::invalidUIElement;
        }
        return AXResult::attributeUnsupported;
    }

    AXResult performAction(const AXElement& e, const QString& action) override
    {
        {
            std::lock_guard lock(m_s->mutex);
            if (!m_s->trusted)
                return AXResult::apiDisabled;
            if (m_s->unresponsive.count(e.pid))
                return AXResult::cannotComplete;
            if (!m_s->find(e.window))
                return AXResult::invalidUIElement;
        }
        if (e.kind == AXElement::Kind::window && action == QLatin1String(ax::raise))
            return m_ws.activate(e.window) ? AXResult::success : AXResult::invalidUIElement;
        if (e.kind == AXElement::Kind::closeButton && action == QLatin1String(ax::press))
            return m_ws.close(e.window) ? AXResult::success : AXResult::invalidUIElement;
        return AXResult::actionUnsupported;
    }

    AXResult windowNumber(const AXElement& e, quint32& number) override
    {
        std::lock_guard lock(m_s->mutex);
        if (m_s->unresponsive.count(e.pid))
            return AXResult::cannotComplete;
        if (e.kind != AXElement::Kind::window)
            return AXResult::illegalArgument;
        if (!m_s->find(e.window))
            return AXResult::invalidUIElement;
        number = e.window;
        return AXResult::success;
    }

    AXResult processIdentifier(const AXElement& e, qint32& pid) override
    {
        std::lock_guard lock(m_s->mutex);
        if (e.kind == AXElement::Kind::application) {
            pid = e.pid;
            return AXResult::success;
        }
        if (e.kind == AXElement::Kind::systemWide)
            return AXResult::illegalArgument;
        auto* w = m_s->find(e.window);
        if (!w)
            return AXResult::invalidUIElement;
        if (!w->pid)
            return AXResult::failure;
        pid = w->pid;
        return AXResult::success;
    }

    std::unique_ptr<AXObserver> createObserver(qint32 pid, AXObserverCallback callback) override
    {
        std::lock_guard lock(m_s->mutex);
        const quint64 id = m_s->nextObserver++;
        m_s->observers[id] = {pid, std::make_shared<AXObserverCallback>(std::move(callback)), nullptr, false};
        return std::make_unique<FakeObserver>(m_s, id);
    }

    std::unique_ptr<AXReadBatch> beginReadBatch() override
    {
        std::lock_guard lock(m_s->mutex);
        ++m_s->batches;
        return std::make_unique<FakeReadBatch>();
    }

private:
    AXResult readApplication(const AXElement& e, const QString& attribute, AXValue& value)
    {
        const RunningApplication* app = m_s->app(e.pid);
        if (!app)
            return AXResult::invalidUIElement;
        if (attribute == QLatin1String(ax::windows)) {
            AXElementList list;
            for (auto it = m_s->windows.rbegin(); it != m_s->windows.rend(); ++it)
                if (it->pid == e.pid && it->kind != WindowKind::dock && it->kind != WindowKind::desktop)
                    list.push_back(AXElement::windowElement(e.pid, it->id));
            value = std::move(list);
            return AXResult::success;
        }
        if (attribute == QLatin1String(ax::title)) {
            value = app->localizedName;
            return AXResult::success;
        }
        if (attribute == QLatin1String(ax::role)) {
            value = QStringLiteral("AXApplication");
            return AXResult::success;
        }
        if (attribute == QLatin1String(ax::focusedWindow) || attribute == QLatin1String(ax::mainWindow)) {
            if (m_s->active) {
                if (auto* w = m_s->find(*m_s->active); w && w->pid == e.pid) {
                    value = AXElement::windowElement(e.pid, w->id);
                    return AXResult::success;
                }
            }
            for (auto it = m_s->windows.rbegin(); it != m_s->windows.rend(); ++it)
                if (it->pid == e.pid && !it->minimized) {
                    value = AXElement::windowElement(e.pid, it->id);
                    return AXResult::success;
                }
            return AXResult::noValue;
        }
        if (attribute == QLatin1String(ax::frontmost)) {
            auto* w = m_s->active ? m_s->find(*m_s->active) : nullptr;
            value = bool(w && w->pid == e.pid);
            return AXResult::success;
        }
        return AXResult::attributeUnsupported;
    }

    AXResult readWindow(const AXElement& e, const QString& attribute, AXValue& value)
    {
        ServerWindow* w = m_s->find(e.window);
        if (!w)
            return AXResult::invalidUIElement;
        const QRect& primary = m_s->primary;
        if (attribute == QLatin1String(ax::title)) {
            if (!w->title)
                return AXResult::noValue;
            value = *w->title;
        } else if (attribute == QLatin1String(ax::role)) {
            value = QStringLiteral("AXWindow");
        } else if (attribute == QLatin1String(ax::subrole)) {
            value = subroleForKind(w->kind);
        } else if (attribute == QLatin1String(ax::minimized)) {
            value = w->minimized;
        } else if (attribute == QLatin1String(ax::fullScreen)) {
            value = w->fullScreen;
        } else if (attribute == QLatin1String(ax::position)) {
            value = QPointF(w->frame.topLeft() - primary.topLeft());
        } else if (attribute == QLatin1String(ax::size)) {
            value = QSizeF(w->frame.size());
        } else if (attribute == QLatin1String(ax::closeButton)) {
            value = AXElement::windowElement(w->pid, w->id).closeButton();
        } else if (attribute == QLatin1String(ax::main) || attribute == QLatin1String(ax::focused)) {
            value = bool(m_s->active && *m_s->active == w->id);
        } else {
            return AXResult::attributeUnsupported;
        }
        return AXResult::success;
    }

    std::shared_ptr<State> m_s;
    WindowServer& m_ws;
};

class FakeWorkspace final : public Workspace {
public:
    explicit FakeWorkspace(std::shared_ptr<State> s) : m_s(std::move(s)) {}
    QList<RunningApplication> runningApplications() override
    {
        std::lock_guard lock(m_s->mutex);
        QList<RunningApplication> out;
        for (const auto& a : m_s->apps)
            out.append(a);
        return out;
    }
    std::optional<RunningApplication> frontmostApplication() override
    {
        std::lock_guard lock(m_s->mutex);
        if (!m_s->active)
            return std::nullopt;
        auto* w = m_s->find(*m_s->active);
        if (!w)
            return std::nullopt;
        if (auto* a = m_s->app(w->pid))
            return *a;
        return std::nullopt;
    }
    RunningApplication currentApplication() override
    {
        std::lock_guard lock(m_s->mutex);
        if (auto* a = m_s->app(m_s->ownPid))
            return *a;
        RunningApplication self;
        self.processIdentifier = m_s->ownPid;
        self.localizedName = QStringLiteral("orbitShelf");
        self.bundleIdentifier = QStringLiteral("orbitShelf");
        self.activationPolicy = ActivationPolicy::accessory;
        return self;
    }
    void launched(const RunningApplication& a) { emit applicationLaunched(a); }
    void terminated(const RunningApplication& a) { emit applicationTerminated(a); }

private:
    std::shared_ptr<State> m_s;
};

class FakePointer final : public Pointer {
public:
    explicit FakePointer(std::shared_ptr<State> s) : m_s(std::move(s)) {}
    QPoint position() override
    {
        std::lock_guard lock(m_s->mutex);
        return m_s->pointer;
    }
    void warp(QPoint p) override
    {
        std::lock_guard lock(m_s->mutex);
        m_s->pointer = p;
        FakeAction a = act(FakeAction::Kind::warp);
        a.point = p;
        m_s->record(a);
    }

private:
    std::shared_ptr<State> m_s;
};

class FakeScripts final : public SystemScripts {
public:
    explicit FakeScripts(std::shared_ptr<State> s) : m_s(std::move(s)) {}
    void bringProcessToFront(qint32 pid, const QString& name) override
    {
        std::lock_guard lock(m_s->mutex);
        FakeAction a = act(FakeAction::Kind::bringProcessToFront, 0, pid);
        a.text = name;
        m_s->record(a);
    }
    OtherDocksFound otherDocks(const std::vector<ReservedEdge::Side>&) override
    {
        std::lock_guard lock(m_s->mutex);
        return { m_s->otherDocks, m_s->hidingDocks };
    }
    // A dock once hidden is named as one that hides already.
    HideDocksReport hideSystemDock(const std::vector<ReservedEdge::Side>&) override
    {
        std::lock_guard lock(m_s->mutex);
        m_s->record(act(FakeAction::Kind::hideSystemDock));
        HideDocksReport report;
        report.hidingAlready = m_s->hidingDocks;
        for (const QString& dock : std::as_const(m_s->otherDocks)) {
            if (m_s->refusingDocks.contains(dock))
                report.failed << dock + QStringLiteral(" (it refused)");
            else
                report.hidden << dock;
        }
        for (const QString& dock : std::as_const(report.hidden)) {
            m_s->otherDocks.removeAll(dock);
            m_s->hidingDocks << dock;
        }
        report.outcome = report.hidden.isEmpty() && report.failed.isEmpty() ? ScriptOutcome::notApplicable
            : report.failed.isEmpty()                                       ? ScriptOutcome::done
                                                                            : ScriptOutcome::failed;
        return report;
    }

private:
    std::shared_ptr<State> m_s;
};

} // namespace

FakePlatform::FakePlatform()
    : m_state(std::make_shared<State>())
{
    m_windowServer = std::make_unique<FakeWindowServer>(m_state);
    m_accessibility = std::make_unique<FakeAccessibility>(m_state, *m_windowServer);
    m_workspace = std::make_unique<FakeWorkspace>(m_state);
    m_pointer = std::make_unique<FakePointer>(m_state);
    m_scripts = std::make_unique<FakeScripts>(m_state);
}

FakePlatform::~FakePlatform()
{
    // Installed, it is only lent to the services: they must not outlive it.
    if (hasCurrent() && &current() == this)
        uninstall();
}

WindowServer& FakePlatform::windowServer() { return *m_windowServer; }
Accessibility& FakePlatform::accessibility() { return *m_accessibility; }
Workspace& FakePlatform::workspace() { return *m_workspace; }
Pointer& FakePlatform::pointer() { return *m_pointer; }
SystemScripts& FakePlatform::scripts() { return *m_scripts; }

void FakePlatform::addApp(RunningApplication app)
{
    {
        std::lock_guard lock(m_state->mutex);
        std::erase_if(m_state->apps, [&](const RunningApplication& a) { return a.processIdentifier == app.processIdentifier; });
        m_state->apps.push_back(app);
    }
    static_cast<FakeWorkspace*>(m_workspace.get())->launched(app);
}

void FakePlatform::removeApp(qint32 pid)
{
    std::optional<RunningApplication> gone;
    {
        std::lock_guard lock(m_state->mutex);
        if (auto* a = m_state->app(pid))
            gone = *a;
        std::erase_if(m_state->apps, [&](const RunningApplication& a) { return a.processIdentifier == pid; });
        std::erase_if(m_state->windows, [&](const ServerWindow& w) { return w.pid == pid; });
    }
    if (gone) {
        gone->isTerminated = true;
        static_cast<FakeWorkspace*>(m_workspace.get())->terminated(*gone);
    }
}

quint32 FakePlatform::addWindow(qint32 pid, std::optional<QString> title, QRect frame)
{
    ServerWindow w;
    w.pid = pid;
    w.title = std::move(title);
    w.frame = frame;
    w.client = frame;
    w.mapped = true;
    w.desktop = 0;
    std::lock_guard lock(m_state->mutex);
    if (auto* a = m_state->app(pid)) {
        w.className = a->windowClass.isEmpty() ? a->localizedName : a->windowClass;
        w.instanceName = w.className.toLower();
    }
    return addWindow(w);
}

quint32 FakePlatform::addWindow(ServerWindow window)
{
    std::lock_guard lock(m_state->mutex);
    if (window.id == 0)
        window.id = m_state->nextId++;
    m_state->refreshOnScreen(window);
    std::erase_if(m_state->windows, [&](const ServerWindow& w) { return w.id == window.id; });
    m_state->windows.push_back(window);
    return window.id;
}

void FakePlatform::updateWindow(quint32 id, const std::function<void(ServerWindow&)>& change)
{
    std::lock_guard lock(m_state->mutex);
    if (auto* w = m_state->find(id)) {
        change(*w);
        w->id = id;
        m_state->refreshOnScreen(*w);
    }
}

void FakePlatform::setTitle(quint32 id, std::optional<QString> title)
{
    updateWindow(id, [&](ServerWindow& w) { w.title = title; });
}

void FakePlatform::removeWindow(quint32 id)
{
    std::lock_guard lock(m_state->mutex);
    std::erase_if(m_state->windows, [&](const ServerWindow& w) { return w.id == id; });
    m_state->images.erase(id);
    if (m_state->active == id)
        m_state->active.reset();
}

void FakePlatform::raiseWindow(quint32 id)
{
    std::lock_guard lock(m_state->mutex);
    if (auto* w = m_state->find(id)) {
        ServerWindow copy = *w;
        std::erase_if(m_state->windows, [&](const ServerWindow& x) { return x.id == id; });
        m_state->windows.push_back(copy);
    }
}

void FakePlatform::setActiveWindow(std::optional<quint32> id)
{
    std::lock_guard lock(m_state->mutex);
    m_state->active = id;
}

void FakePlatform::setWindowIcons(quint32 id, std::vector<QImage> icons)
{
    std::lock_guard lock(m_state->mutex);
    m_state->icons[id] = std::move(icons);
}

void FakePlatform::setWindowImage(quint32 id, QImage image)
{
    std::lock_guard lock(m_state->mutex);
    m_state->images[id] = std::move(image);
}

void FakePlatform::setOtherDocks(QStringList names, QStringList refusing, QStringList hiding)
{
    std::lock_guard lock(m_state->mutex);
    m_state->otherDocks = std::move(names);
    m_state->refusingDocks = std::move(refusing);
    m_state->hidingDocks = std::move(hiding);
}

void FakePlatform::setTrusted(bool trusted)
{
    std::lock_guard lock(m_state->mutex);
    m_state->trusted = trusted;
}

void FakePlatform::setUnresponsive(qint32 pid, bool unresponsive)
{
    std::lock_guard lock(m_state->mutex);
    if (unresponsive)
        m_state->unresponsive.insert(pid);
    else
        m_state->unresponsive.erase(pid);
}

void FakePlatform::setPointerPosition(QPoint p)
{
    std::lock_guard lock(m_state->mutex);
    m_state->pointer = p;
}

void FakePlatform::setPrimaryScreen(QRect r)
{
    std::lock_guard lock(m_state->mutex);
    m_state->primary = r;
}

void FakePlatform::setOwnPid(qint32 pid)
{
    std::lock_guard lock(m_state->mutex);
    m_state->ownPid = pid;
}

void FakePlatform::setDesktopCount(int count)
{
    std::lock_guard lock(m_state->mutex);
    m_state->desktopCount = std::max(1, count);
}

void FakePlatform::setCurrentDesktop(quint32 desktop)
{
    std::lock_guard lock(m_state->mutex);
    m_state->currentDesktop = desktop;
    for (auto& w : m_state->windows)
        m_state->refreshOnScreen(w);
}

void FakePlatform::fire(const AXElement& element, const QString& notification)
{
    std::vector<std::pair<std::shared_ptr<AXObserverCallback>, QPointer<QObject>>> targets;
    std::vector<quint64> ids;
    {
        std::lock_guard lock(m_state->mutex);
        for (const auto& r : m_state->registrations) {
            if (r.notification != notification)
                continue;
            const bool sameElement = r.element == element;
            const bool viaApplication = r.element.kind == AXElement::Kind::application && r.element.pid == element.pid;
            if (!sameElement && !viaApplication)
                continue;
            auto it = m_state->observers.find(r.observer);
            if (it == m_state->observers.end() || !it->second.attached || !it->second.runLoop)
                continue;
            if (std::find(ids.begin(), ids.end(), r.observer) != ids.end())
                continue;
            ids.push_back(r.observer);
            targets.emplace_back(it->second.callback, it->second.runLoop);
        }
    }
    for (auto& [callback, runLoop] : targets) {
        // The callback is held weakly: a destroyed observer delivers nothing.
        std::weak_ptr<AXObserverCallback> weak = callback;
        QMetaObject::invokeMethod(runLoop.data(), [weak, element, notification] {
            if (auto cb = weak.lock())
                (*cb)(element, notification);
        }, Qt::QueuedConnection);
    }
}

std::vector<FakeAction> FakePlatform::actions() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->actions;
}

void FakePlatform::clearActions()
{
    std::lock_guard lock(m_state->mutex);
    m_state->actions.clear();
}

std::optional<ServerWindow> FakePlatform::windowState(quint32 id) const
{
    std::lock_guard lock(m_state->mutex);
    if (auto* w = m_state->find(id))
        return *w;
    return std::nullopt;
}

int FakePlatform::observerCount() const
{
    std::lock_guard lock(m_state->mutex);
    return int(m_state->observers.size());
}

bool FakePlatform::isObserved(const AXElement& element, const QString& notification) const
{
    std::lock_guard lock(m_state->mutex);
    return std::any_of(m_state->registrations.begin(), m_state->registrations.end(), [&](const State::Registration& r) {
        return r.element == element && r.notification == notification;
    });
}

int FakePlatform::attributeReads() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->reads;
}

int FakePlatform::readBatches() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->batches;
}

} // namespace platform::fake

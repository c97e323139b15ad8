#include "platform/x11/X11Workspace.h"

#include "platform/AppIdentity.h"
#include "platform/Logging.h"
#include "platform/x11/WindowReader.h"
#include "platform/x11/X11Accessibility.h"
#include "platform/x11/X11EndRequests.h"

#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace platform::x11 {
namespace {

bool alive(qint32 pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

bool countsAsApplicationWindow(const ServerWindow& w, qint32 ownPid)
{
    return w.pid > 0 && isListed(w, ownPid) && (w.kind == WindowKind::normal || w.kind == WindowKind::dialog);
}

} // namespace

X11Workspace::X11Workspace(std::shared_ptr<X11Context> ctx)
    : m_ctx(std::move(ctx))
{
    QString error;
    m_events = XConnection::open(m_ctx->display(), &error);
    if (!m_events) {
        qCWarning(lcPlatform) << "launch and quit notices are off:" << error;
        return;
    }
    const quint32 mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_events->raw(), m_events->root(), XCB_CW_EVENT_MASK, &mask);
    m_events->flush();
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_events->raw()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11Workspace::readEvents);
    // The applications already running are known, not launched. Naming them
    // reads every desktop entry on the system; that waits until a name is
    // asked for, after the bar is on the screen.
    if (auto apps = listedApplications(Naming::later))
        m_known = std::move(*apps);
}

X11Workspace::~X11Workspace()
{
    delete m_notifier; // before the connection closes its socket
    m_notifier = nullptr;
}

void X11Workspace::readEvents()
{
    bool clientsChanged = false;
    while (xcb_generic_event_t* ev = xcb_poll_for_event(m_events->raw())) {
        Reply<xcb_generic_event_t> owned(ev, &free);
        if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            continue;
        auto* p = reinterpret_cast<xcb_property_notify_event_t*>(ev);
        if (p->atom == m_events->atoms().netClientList)
            clientsChanged = true;
    }
    if (m_events->lost() && m_notifier->isEnabled()) {
        m_notifier->setEnabled(false);
        qCWarning(lcPlatform) << "the X connection of the launch and quit notices is lost";
        connectionBroke("the launch and quit notices");
    }
    if (clientsChanged)
        update();
}

RunningApplication X11Workspace::identify(qint32 pid, const QString& instance, const QString& klass)
{
    if (auto it = m_identities.find(pid); it != m_identities.end())
        return it->second;
    if (!m_index)
        m_index = DesktopEntryIndex::scan(DesktopEntryIndex::xdgDataDirs());

    RunningApplication app;
    app.processIdentifier = pid;
    app.windowClass = klass;
    const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    if (!exe.isEmpty())
        app.executableURL = exe;
    AppIdentityQuery query{instance, klass, processCommandLine(pid)};
    if (auto resolved = resolveAppIdentity(query, *m_index)) {
        app.localizedName = resolved->entry.name;
        app.bundleIdentifier = resolved->entry.id;
        app.bundleURL = resolved->entry.path;
        app.iconName = resolved->entry.icon;
        app.iconFromEntry = !app.iconName.isEmpty();
    }
    if (app.localizedName.isEmpty())
        app.localizedName = !klass.isEmpty() ? klass : !instance.isEmpty() ? instance : QFileInfo(exe).fileName();
    if (app.iconName.isEmpty())
        app.iconName = klass.toLower();
    m_identities[pid] = app;
    return app;
}

std::vector<RunningApplication> X11Workspace::fromSnapshot(const Snapshot& snap)
{
    std::vector<RunningApplication> apps;
    for (const ServerWindow& w : snap.windows) {
        if (!countsAsApplicationWindow(w, m_ctx->ownPid()))
            continue;
        const bool seen = std::any_of(apps.begin(), apps.end(),
                                      [&](const RunningApplication& a) { return a.processIdentifier == w.pid; });
        if (!seen && alive(w.pid))
            apps.push_back(identify(w.pid, w.instanceName, w.className));
    }
    return apps;
}

std::optional<std::vector<RunningApplication>> X11Workspace::listedApplications(Naming naming)
{
    // A window's process, class and type do not change while it is managed,
    // so a change of the client list reads the list and the new windows
    // only: one window's worth of requests instead of every window's.
    const std::optional<RootState> root = readRootState(m_ctx->x());
    if (!root)
        return std::nullopt;
    std::vector<xcb_window_t> unseen;
    for (xcb_window_t id : root->stacking)
        if (!m_windowFacts.contains(id))
            unseen.push_back(id);
    bool failed = false;
    const std::vector<ServerWindow> read = readWindows(m_ctx->x(), unseen, *root, failed);
    if (failed)
        return std::nullopt;
    std::map<quint32, WindowFacts> unnamed; // asked again next time: the process may be named later
    for (const ServerWindow& w : read) {
        WindowFacts facts { w.pid, w.instanceName, w.className, countsAsApplicationWindow(w, m_ctx->ownPid()) };
        (w.pid > 0 ? m_windowFacts : unnamed)[w.id] = std::move(facts);
    }
    // Windows no longer listed are forgotten (an id may be reused).
    std::erase_if(m_windowFacts, [&](const auto& entry) {
        return std::find(root->stacking.begin(), root->stacking.end(), entry.first) == root->stacking.end();
    });
    std::vector<RunningApplication> apps;
    auto factsOf = [&](quint32 id) -> const WindowFacts* {
        for (const auto* facts : { &m_windowFacts, &unnamed })
            if (const auto it = facts->find(id); it != facts->end())
                return &it->second;
        return nullptr;
    };
    for (xcb_window_t id : root->stacking) {
        const WindowFacts* facts = factsOf(id);
        if (!facts || !facts->application)
            continue; // vanished while being read, or not an application's window
        const qint32 pid = facts->pid;
        const bool seen = std::any_of(
            apps.begin(), apps.end(), [pid](const RunningApplication& a) { return a.processIdentifier == pid; });
        if (!seen && alive(pid)) {
            if (naming == Naming::now) {
                apps.push_back(identify(pid, facts->instance, facts->klass));
            } else {
                RunningApplication unnamedApp;
                unnamedApp.processIdentifier = pid;
                unnamedApp.windowClass = facts->klass;
                apps.push_back(std::move(unnamedApp));
                m_unnamed[pid] = { facts->instance, facts->klass };
            }
        }
    }
    return apps;
}

void X11Workspace::update()
{
    const std::optional<std::vector<RunningApplication>> listed = listedApplications();
    if (!listed)
        return; // nothing is known; keep what we had
    const std::vector<RunningApplication>& now = *listed;
    auto has = [](const std::vector<RunningApplication>& list, qint32 pid) {
        return std::any_of(list.begin(), list.end(), [pid](const RunningApplication& a) { return a.processIdentifier == pid; });
    };
    std::vector<RunningApplication> launched, terminated;
    for (const RunningApplication& a : now)
        if (!has(m_known, a.processIdentifier))
            launched.push_back(a);
    for (const RunningApplication& a : m_known)
        if (!has(now, a.processIdentifier))
            terminated.push_back(a);
    std::erase_if(m_known, [&](const RunningApplication& a) { return !has(now, a.processIdentifier); });
    for (const RunningApplication& a : launched)
        m_known.push_back(a);
    for (RunningApplication a : terminated) {
        if (const auto unnamed = m_unnamed.find(a.processIdentifier); unnamed != m_unnamed.end()) {
            a = identify(a.processIdentifier, unnamed->second.first, unnamed->second.second);
            m_unnamed.erase(unnamed);
        }
        m_identities.erase(a.processIdentifier); // a pid may come back as another program
        a.isTerminated = !alive(a.processIdentifier);
        emit applicationTerminated(a);
    }
    for (const RunningApplication& a : launched)
        emit applicationLaunched(a);
}

QList<RunningApplication> X11Workspace::runningApplications()
{
    std::optional<Snapshot> local;
    const Snapshot& snap = *batchedSnapshot(m_ctx, local);
    if (snap.failed)
        return {};
    const std::vector<RunningApplication> now = fromSnapshot(snap);
    QList<RunningApplication> ordered;
    // Known applications keep their first-seen place; new ones follow.
    for (const RunningApplication& k : m_known)
        for (const RunningApplication& a : now)
            if (a.processIdentifier == k.processIdentifier)
                ordered.append(a);
    for (const RunningApplication& a : now)
        if (std::none_of(ordered.begin(), ordered.end(),
                         [&](const RunningApplication& o) { return o.processIdentifier == a.processIdentifier; }))
            ordered.append(a);
    return ordered;
}

std::optional<RunningApplication> X11Workspace::frontmostApplication()
{
    const Snapshot snap = readSnapshot(m_ctx->x(), m_ctx->ownPid());
    if (snap.failed || !snap.root.active)
        return std::nullopt;
    const ServerWindow* w = snap.find(*snap.root.active);
    if (!w || w->pid <= 0)
        return std::nullopt;
    if (w->pid == m_ctx->ownPid())
        return currentApplication();
    return identify(w->pid, w->instanceName, w->className);
}

RunningApplication X11Workspace::currentApplication()
{
    RunningApplication self;
    self.processIdentifier = m_ctx->ownPid();
    self.localizedName = QStringLiteral("orbitShelf");
    self.bundleIdentifier = QStringLiteral("orbitShelf.desktop");
    self.executableURL = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    self.iconName = QStringLiteral("orbitShelf");
    self.windowClass = QStringLiteral("orbitShelf");
    self.activationPolicy = ActivationPolicy::accessory;
    return self;
}

} // namespace platform::x11

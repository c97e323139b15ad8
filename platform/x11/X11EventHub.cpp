#include "platform/x11/X11EventHub.h"

#include "platform/Logging.h"
#include "platform/x11/X11EndRequests.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <xcb/xcbext.h>

#include <algorithm>
#include <utility>

namespace platform::x11 {

namespace {
constexpr quint32 kWindowEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// How long the reader lets the consequences of a rename gather; far below
// what anyone can see, above a round trip to the window manager and back.
constexpr int kRenameSettleMs = 3;
}

EventHub::~EventHub()
{
    if (!m_reader)
        return;
    // The reader holds its share of the connection. Delete it on its own
    // thread while that thread runs; once the thread has ended nothing can
    // run there any more, and it goes at once.
    QThread* thread = m_reader->thread();
    if (!thread || thread->isFinished() || thread == QThread::currentThread())
        delete m_reader.data();
    else
        m_reader->deleteLater();
}

quint64 EventHub::addObserver(qint32 pid, AXObserverCallback callback)
{
    std::lock_guard lock(m_mutex);
    auto core = std::make_shared<Core>();
    core->pid = pid;
    core->callback = std::move(callback);
    const quint64 id = m_nextObserver++;
    m_observers[id] = std::move(core);
    return id;
}

void EventHub::removeObserver(quint64 observer)
{
    std::shared_ptr<Core> core;
    {
        std::lock_guard lock(m_mutex);
        if (auto it = m_observers.find(observer); it != m_observers.end()) {
            core = it->second;
            m_observers.erase(it);
        }
        std::erase_if(m_registrations, [observer](const Registration& r) { return r.observer == observer; });
    }
    if (core) {
        // Waits for a delivery in flight on the reader's thread; afterwards the
        // callback never runs again.
        std::lock_guard call(core->callMutex);
        core->alive = false;
    }
}

AXResult EventHub::addNotification(quint64 observer, const AXElement& element, const QString& notification)
{
    if (element.kind == AXElement::Kind::systemWide || element.kind == AXElement::Kind::closeButton)
        return AXResult::notificationUnsupported;
    bool watchNow = false;
    QPointer<EventReader> reader;
    {
        std::lock_guard lock(m_mutex);
        if (!m_observers.count(observer))
            return AXResult::invalidUIElement;
        for (const Registration& r : m_registrations)
            if (r.observer == observer && r.element == element && r.notification == notification)
                return AXResult::success;
        m_registrations.push_back({observer, element, notification});
        if (element.kind == AXElement::Kind::window && m_watched.insert(element.window).second)
            watchNow = m_reader != nullptr;
        reader = m_reader;
    }
    if (watchNow && reader) {
        std::weak_ptr<EventHub> weak = weak_from_this();
        const xcb_window_t window = element.window;
        QMetaObject::invokeMethod(reader.data(), [weak, reader, window] {
            if (auto hub = weak.lock()) {
                hub->watchWindow(window);
                if (reader)
                    reader->drain();
            }
        }, Qt::QueuedConnection);
    }
    return AXResult::success;
}

AXResult EventHub::removeNotification(quint64 observer, const AXElement& element, const QString& notification)
{
    std::lock_guard lock(m_mutex);
    const auto n = std::erase_if(m_registrations, [&](const Registration& r) {
        return r.observer == observer && r.element == element && r.notification == notification;
    });
    return n ? AXResult::success : AXResult::failure;
}

void EventHub::addToRunLoop(quint64 observer, QObject* runLoop)
{
    if (!runLoop)
        return;
    {
        std::lock_guard lock(m_mutex);
        auto it = m_observers.find(observer);
        if (it == m_observers.end())
            return;
        it->second->attached = true;
    }
    ensureReader(runLoop);
}

bool EventHub::ensureReader(QObject* runLoop)
{
    EventReader* reader = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_reader)
            return true;
        if (m_events) // the reader existed and is gone: its thread ended
            return false;
        QString error;
        m_events = XConnection::open(m_ctx->display(), &error);
        if (!m_events) {
            qCWarning(lcPlatform) << "window notifications are off:" << error;
            return false;
        }
        reader = new EventReader(weak_from_this(), m_events);
        reader->moveToThread(runLoop->thread());
        m_reader = reader;
    }
    // On the caller's own thread the reader starts listening at once, as a
    // reader on a thread of its own would: a change made right after the
    // first window is observed (a focus moved) must not fall before it.
    if (runLoop->thread() == QThread::currentThread())
        reader->start();
    else
        QMetaObject::invokeMethod(
            reader, [reader] { reader->start(); }, Qt::QueuedConnection);
    return true;
}

void EventHub::startReading()
{
    XConnection& x = *m_events;
    const quint32 rootMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x.raw(), x.root(), XCB_CW_EVENT_MASK, &rootMask);
    auto active = requestProperty(x, x.root(), x.atoms().netActiveWindow, XCB_ATOM_WINDOW, 1);
    auto clients = requestProperty(x, x.root(), x.atoms().netClientList, XCB_ATOM_WINDOW, 65536);
    {
        ReplyBatch batch(x);
        auto a = batch.get<xcb_get_property_reply_t>(active);
        auto c = batch.get<xcb_get_property_reply_t>(clients);
        m_active = cardinalProperty(a.get()).value_or(0);
        for (quint32 w : cardinalsProperty(c.get()))
            m_clients.insert(w);
    }
    std::vector<xcb_window_t> windows;
    {
        std::lock_guard lock(m_mutex);
        windows.assign(m_watched.begin(), m_watched.end());
    }
    for (xcb_window_t w : windows)
        watchWindow(w);
}

void EventHub::watchWindow(xcb_window_t window)
{
    if (!m_events || m_tracks.count(window))
        return;
    XConnection& x = *m_events;
    auto select = xcb_change_window_attributes_checked(x.raw(), window, XCB_CW_EVENT_MASK, &kWindowEvents);
    auto pid = requestProperty(x, window, x.atoms().netWmPid, XCB_ATOM_CARDINAL, 1);
    bool gone = false;
    Track track;
    {
        ReplyBatch batch(x);
        auto p = batch.get<xcb_get_property_reply_t>(pid);
        track.pid = qint32(cardinalProperty(p.get()).value_or(0));
        if (batch.failed()) {
            xcb_discard_reply(x.raw(), select.sequence);
            return;
        }
        // The select was sent before the property read, so its answer is in.
        if (xcb_generic_error_t* error = xcb_request_check(x.raw(), select)) {
            gone = true;
            free(error);
        }
    }
    if (!track.pid) {
        std::lock_guard lock(m_mutex);
        for (const Registration& r : m_registrations)
            if (r.element.kind == AXElement::Kind::window && r.element.window == window && r.element.pid)
                track.pid = r.element.pid;
    }
    if (gone) {
        // Vanished before we could watch it: its observers still hear of it.
        deliver(window, track.pid, ax::uiElementDestroyed);
        std::lock_guard lock(m_mutex);
        m_watched.erase(window);
        return;
    }
    readState(window, track);
    if (auto g = rootGeometry(window))
        track.geometry = *g;
    m_tracks[window] = track;
    if (window == m_focusUnheard && window == m_active
        && deliver(window, track.pid, ax::focusedWindowChanged))
        m_focusUnheard = 0;
}

void EventHub::readState(xcb_window_t window, Track& track)
{
    XConnection& x = *m_events;
    auto wmState = requestProperty(x, window, x.atoms().wmState, x.atoms().wmState, 2);
    auto netState = requestProperty(x, window, x.atoms().netWmState, XCB_ATOM_ATOM, 32);
    ReplyBatch batch(x);
    auto a = batch.get<xcb_get_property_reply_t>(wmState);
    auto b = batch.get<xcb_get_property_reply_t>(netState);
    if (batch.failed())
        return;
    bool minimized = cardinalProperty(a.get()).value_or(1) == 3;
    for (quint32 s : cardinalsProperty(b.get()))
        if (s == x.atoms().netWmStateHidden)
            minimized = true;
    track.minimized = minimized;
}

std::optional<QRect> EventHub::rootGeometry(xcb_window_t window)
{
    XConnection& x = *m_events;
    auto geometry = xcb_get_geometry(x.raw(), window);
    auto position = xcb_translate_coordinates(x.raw(), window, x.root(), 0, 0);
    ReplyBatch batch(x);
    auto g = batch.get<xcb_get_geometry_reply_t>(geometry);
    auto p = batch.get<xcb_translate_coordinates_reply_t>(position);
    if (!g || !p)
        return std::nullopt;
    return QRect(p->dst_x, p->dst_y, g->width, g->height);
}

void EventHub::handleEvent(const xcb_generic_event_t* ev)
{
    const uint8_t type = ev->response_type & 0x7f;
    const bool synthetic = ev->response_type & 0x80;
    const Atoms& a = m_events->atoms();
    switch (type) {
    case 0: // an error of an unchecked request: a window that went away
        return;
    case XCB_DESTROY_NOTIFY: {
        auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(ev);
        auto it = m_tracks.find(e->window);
        if (e->event != e->window || it == m_tracks.end())
            return;
        const Track track = it->second;
        m_tracks.erase(it);
        m_ctx->forgetIcons(e->window);
        {
            std::lock_guard lock(m_mutex);
            m_watched.erase(e->window);
        }
        if (!track.destroyed)
            deliver(e->window, track.pid, ax::uiElementDestroyed);
        return;
    }
    case XCB_UNMAP_NOTIFY: {
        auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(ev);
        auto it = m_tracks.find(e->window);
        if (synthetic || e->event != e->window || it == m_tracks.end())
            return;
        Track& t = it->second;
        const bool wasMinimized = t.minimized;
        readState(e->window, t);
        if (t.minimized) {
            // The manager hides a window it iconifies; the state says so.
            t.unmappedMinimized = true;
            if (!wasMinimized)
                deliver(e->window, t.pid, ax::windowMiniaturized);
        } else if (!t.destroyed) {
            // Withdrawn: the application took the window away.
            t.withdrawn = true;
            t.destroyed = true;
            deliver(e->window, t.pid, ax::uiElementDestroyed);
        }
        return;
    }
    case XCB_MAP_NOTIFY: {
        auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(ev);
        auto it = m_tracks.find(e->window);
        if (e->event != e->window || it == m_tracks.end())
            return;
        Track& t = it->second;
        if (t.unmappedMinimized) {
            t.unmappedMinimized = false;
            const bool wasMinimized = t.minimized;
            readState(e->window, t);
            if (wasMinimized && !t.minimized)
                deliver(e->window, t.pid, ax::windowDeminiaturized);
        } else if (t.withdrawn) {
            t.withdrawn = false;
            t.destroyed = false;
            deliver(e->window, t.pid, ax::windowCreated);
        }
        return;
    }
    case XCB_PROPERTY_NOTIFY: {
        auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
        if (e->window == m_events->root()) {
            // The window manager writes the active window twice per switch
            // and both reports often arrive together: the value is read
            // once, after the events at hand have been handled.
            if (e->atom == a.netActiveWindow)
                m_activeChangePending = true;
            else if (e->atom == a.netClientList)
                clientListChanged();
            return;
        }
        auto it = m_tracks.find(e->window);
        if (it == m_tracks.end())
            return;
        Track& t = it->second;
        // The new title is read once the events at hand are handled: both
        // names of a rename usually come together, and one read answers them.
        if (e->atom == a.netWmName) {
            t.writesNetWmName = e->state == XCB_PROPERTY_NEW_VALUE;
            ++m_renamed[e->window];
        } else if (e->atom == XCB_ATOM_WM_NAME) {
            // Toolkits and terminals write both names for every rename; one
            // notice per rename spares the model a second full refresh.
            if (!t.writesNetWmName)
                ++m_renamed[e->window];
        } else if (e->atom == a.netWmIcon) {
            m_ctx->forgetIcons(e->window);
            deliver(e->window, t.pid, ax::iconChanged);
        } else if (e->atom == a.wmState || e->atom == a.netWmState) {
            const bool was = t.minimized;
            readState(e->window, t);
            if (t.minimized != was)
                deliver(e->window, t.pid, t.minimized ? ax::windowMiniaturized : ax::windowDeminiaturized);
        }
        return;
    }
    case XCB_CONFIGURE_NOTIFY: {
        auto* e = reinterpret_cast<const xcb_configure_notify_event_t*>(ev);
        auto it = m_tracks.find(e->window);
        if (e->event != e->window || it == m_tracks.end())
            return;
        Track& t = it->second;
        // A manager's synthetic notice carries root coordinates (ICCCM); a
        // real one is relative to the frame, so ask where the window is.
        std::optional<QRect> g;
        if (synthetic)
            g = QRect(e->x, e->y, e->width, e->height);
        else
            g = rootGeometry(e->window);
        if (!g)
            return;
        const QRect before = t.geometry;
        t.geometry = *g;
        if (g->size() != before.size())
            deliver(e->window, t.pid, ax::windowResized);
        if (g->topLeft() != before.topLeft())
            deliver(e->window, t.pid, ax::windowMoved);
        return;
    }
    default:
        return;
    }
}

bool EventHub::readPendingChanges()
{
    bool read = false;
    if (std::exchange(m_activeChangePending, false)) {
        activeChanged();
        read = true;
    }
    // Answers to reads sent before; the ones sent now cannot be in yet.
    read = takeTitles() || read;
    requestTitles();
    return read;
}

namespace {
thread_local quint32 t_delivering = 0;
thread_local const std::optional<QString>* t_deliveredTitle = nullptr;
} // namespace

void EventHub::requestTitles()
{
    if (m_renamed.empty())
        return;
    // Sent without waiting: the answers wake the reader like any event, and
    // the renames are delivered with them.
    XConnection& x = *m_events;
    for (const auto& [window, renames] : std::exchange(m_renamed, {})) {
        TitleRead read;
        read.window = window;
        read.renames = renames;
        read.netWmName = requestProperty(x, window, x.atoms().netWmName, XCB_ATOM_ANY, 1024).sequence;
        read.wmName = requestProperty(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 1024).sequence;
        m_titleReads.push_back(read);
    }
    x.flush();
}

void EventHub::settleTitles(xcb_window_t window)
{
    const bool pending = m_renamed.count(window)
        || std::any_of(m_titleReads.begin(), m_titleReads.end(),
            [window](const TitleRead& read) { return read.window == window; });
    if (!pending)
        return;
    requestTitles();
    takeTitles(window);
}

bool EventHub::takeTitles(xcb_window_t waitFor)
{
    xcb_connection_t* c = m_events->raw();
    // The reads, from the first, that are waited for: up to the last one of
    // `waitFor`.
    size_t mustTake = 0;
    if (waitFor)
        for (size_t i = 0; i < m_titleReads.size(); ++i)
            if (m_titleReads[i].window == waitFor)
                mustTake = i + 1;
    bool took = false;
    while (!m_titleReads.empty()) {
        const TitleRead read = m_titleReads.front();
        // The server answers in order: with the second answer in, the first
        // is too.
        void* second = nullptr;
        xcb_generic_error_t* secondError = nullptr;
        if (mustTake > 0) {
            --mustTake;
            second = xcb_wait_for_reply(c, read.wmName, &secondError);
            if (!second && !secondError) { // the connection is lost
                m_titleReads.clear();
                break;
            }
        } else if (!xcb_poll_for_reply(c, read.wmName, &second, &secondError)) {
            if (xcb_connection_has_error(c))
                m_titleReads.clear();
            break;
        }
        void* first = nullptr;
        xcb_generic_error_t* firstError = nullptr;
        xcb_poll_for_reply(c, read.netWmName, &first, &firstError);
        Reply<xcb_get_property_reply_t> wmName(static_cast<xcb_get_property_reply_t*>(second), &free);
        Reply<xcb_get_property_reply_t> netWmName(static_cast<xcb_get_property_reply_t*>(first), &free);
        free(secondError);
        free(firstError);
        m_titleReads.erase(m_titleReads.begin());
        took = true;
        // An error is a window that went away; its end is reported on its own.
        const auto track = m_tracks.find(read.window);
        if (!wmName || !netWmName || track == m_tracks.end() || track->second.destroyed)
            continue;
        const std::optional<QString> title = titleProperty(netWmName.get(), wmName.get(), m_events->atoms());
        const std::optional<QString>* previous = std::exchange(t_deliveredTitle, &title);
        for (int i = 0; i < read.renames; ++i)
            deliver(read.window, track->second.pid, ax::titleChanged);
        t_deliveredTitle = previous;
    }
    return took;
}

void EventHub::activeChanged()
{
    XConnection& x = *m_events;
    auto cookie = requestProperty(x, x.root(), x.atoms().netActiveWindow, XCB_ATOM_WINDOW, 1);
    xcb_window_t active = 0;
    {
        ReplyBatch batch(x);
        auto reply = batch.get<xcb_get_property_reply_t>(cookie);
        active = cardinalProperty(reply.get()).value_or(0);
    }
    if (active == m_active)
        return;
    const xcb_window_t before = std::exchange(m_active, active);
    m_focusUnheard = 0;
    if (!active) {
        // Nothing has the focus (a desktop switch to an empty desktop): the
        // window that had it hears that it lost it.
        if (before) {
            const auto it = m_tracks.find(before);
            deliver(before, it != m_tracks.end() ? it->second.pid : 0, ax::focusLost);
        }
        return;
    }
    qint32 pid = 0;
    if (auto it = m_tracks.find(active); it != m_tracks.end()) {
        pid = it->second.pid;
    } else {
        auto pidCookie = requestProperty(x, active, x.atoms().netWmPid, XCB_ATOM_CARDINAL, 1);
        ReplyBatch batch(x);
        auto reply = batch.get<xcb_get_property_reply_t>(pidCookie);
        pid = qint32(cardinalProperty(reply.get()).value_or(0));
    }
    const bool otherProcess = pid != m_activePid;
    m_activePid = pid;
    // A window focused as it opens is usually not watched yet: the manager
    // focuses it within milliseconds of listing it, long before its
    // application has read it. It hears of its focus once it is watched.
    if (!deliver(active, pid, ax::focusedWindowChanged))
        m_focusUnheard = active;
    deliver(active, pid, ax::mainWindowChanged);
    if (otherProcess)
        deliver(active, pid, ax::applicationActivated);
}

void EventHub::clientListChanged()
{
    XConnection& x = *m_events;
    auto cookie = requestProperty(x, x.root(), x.atoms().netClientList, XCB_ATOM_WINDOW, 65536);
    std::set<xcb_window_t> now;
    {
        ReplyBatch batch(x);
        auto reply = batch.get<xcb_get_property_reply_t>(cookie);
        if (batch.failed())
            return;
        for (quint32 w : cardinalsProperty(reply.get()))
            now.insert(w);
    }
    std::vector<xcb_window_t> added;
    for (xcb_window_t w : now)
        if (!m_clients.count(w))
            added.push_back(w);
    m_clients = std::move(now);
    if (added.empty())
        return;
    // A new client window is news for observers of its application.
    std::vector<xcb_get_property_cookie_t> cookies;
    for (xcb_window_t w : added)
        cookies.push_back(requestProperty(x, w, x.atoms().netWmPid, XCB_ATOM_CARDINAL, 1));
    std::vector<std::pair<xcb_window_t, qint32>> owners;
    {
        ReplyBatch batch(x);
        for (size_t i = 0; i < added.size(); ++i) {
            auto reply = batch.get<xcb_get_property_reply_t>(cookies[i]);
            owners.emplace_back(added[i], qint32(cardinalProperty(reply.get()).value_or(0)));
        }
    }
    for (auto [w, pid] : owners)
        if (pid && !m_tracks.count(w))
            deliver(w, pid, ax::windowCreated);
}

bool EventHub::deliver(xcb_window_t window, qint32 pid, const char* notification)
{
    const QLatin1String name(notification);
    // A window's notices come in the order of what they tell: a move is
    // reported at once, a rename only once its title is read, and a move
    // made after a rename must not overtake it.
    if (name != QLatin1String(ax::titleChanged))
        settleTitles(window);
    std::vector<std::pair<std::shared_ptr<Core>, AXElement>> targets;
    {
        std::lock_guard lock(m_mutex);
        for (const Registration& r : m_registrations) {
            if (r.notification != name)
                continue;
            const bool onWindow = r.element.kind == AXElement::Kind::window && r.element.window == window;
            const bool onApplication = r.element.kind == AXElement::Kind::application && pid && r.element.pid == pid;
            if (!onWindow && !onApplication)
                continue;
            auto it = m_observers.find(r.observer);
            if (it == m_observers.end() || !it->second->attached)
                continue;
            const bool seen = std::any_of(targets.begin(), targets.end(),
                                          [&](const auto& t) { return t.first == it->second; });
            if (seen)
                continue;
            const AXElement element = onWindow ? r.element : AXElement::windowElement(pid, window);
            targets.emplace_back(it->second, element);
        }
    }
    // While the observers run, the window the server just reported on is
    // known to exist (unless the report is its end): asking for its number
    // needs no round trip.
    if (targets.empty())
        return false;
    const QString text = name;
    const quint32 previous = t_delivering;
    t_delivering = name == QLatin1String(ax::uiElementDestroyed) ? 0 : window;
    for (auto& [core, element] : targets) {
        std::lock_guard call(core->callMutex);
        if (core->alive && core->callback)
            core->callback(element, text);
    }
    t_delivering = previous;
    return true;
}

std::optional<quint32> windowBeingDelivered()
{
    if (!t_delivering)
        return std::nullopt;
    return t_delivering;
}

std::optional<std::optional<QString>> titleBeingDelivered(quint32 window)
{
    if (!t_deliveredTitle || !t_delivering || t_delivering != window)
        return std::nullopt;
    return *t_deliveredTitle;
}

EventReader::EventReader(std::weak_ptr<EventHub> hub, std::shared_ptr<XConnection> connection)
    : m_hub(std::move(hub)), m_connection(std::move(connection))
{
}

EventReader::~EventReader()
{
    // The notifier must stop watching before the connection closes its socket.
    delete m_notifier;
}

void EventReader::start()
{
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection->raw()), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EventReader::drain);
    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setTimerType(Qt::PreciseTimer);
    m_settle->setInterval(kRenameSettleMs);
    connect(m_settle, &QTimer::timeout, this, [this] {
        m_notifier->setEnabled(true);
        drain();
    });
    if (auto hub = m_hub.lock())
        hub->startReading();
    drain();
}

void EventReader::drain()
{
    auto hub = m_hub.lock();
    if (!hub)
        return;
    xcb_connection_t* c = m_connection->raw();
    // Handling an event may read replies, which pulls later events off the
    // socket into xcb's queue; keep going until the queue is empty so none
    // waits for the next socket activity.
    // What arrives later wakes the notifier again, so after the socket has
    // been read once only what xcb holds already is handled.
    auto handle = [&](xcb_generic_event_t* (*next)(xcb_connection_t*)) {
        bool any = false;
        while (xcb_generic_event_t* ev = next(c)) {
            Reply<xcb_generic_event_t> owned(ev, &free);
            hub->handleEvent(ev);
            any = true;
        }
        return any;
    };
    handle(&xcb_poll_for_event);
    while (true) {
        const bool read = hub->readPendingChanges();
        if (!handle(&xcb_poll_for_queued_event) && !read)
            break;
    }
    // A rename sets more in motion than its own two reports: the answer to
    // the title read and, from most window managers, the visible name they
    // write back. The connection is read again a moment later, when all of
    // it is in, instead of waking for each part.
    if (hub->readingTitles() && m_notifier && m_settle && !m_settle->isActive()
        && !xcb_connection_has_error(c)) {
        m_notifier->setEnabled(false);
        m_settle->start();
    }
    if (xcb_connection_has_error(c) && m_notifier && m_notifier->isEnabled()) {
        m_notifier->setEnabled(false);
        qCWarning(lcPlatform) << "the X connection of the window notifications is lost";
        connectionBroke("the window notifications");
    }
}

} // namespace platform::x11

#pragma once

#include "platform/Accessibility.h"
#include "platform/x11/X11Context.h"
#include "platform/x11/XConnection.h"

#include <QObject>
#include <QPointer>
#include <QRect>

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace platform::x11 {

class EventReader;

// Turns X events into Accessibility notifications. It owns its own X
// connection, read on the thread of the run loop the first observer is added
// to (the main thread in the app, whose window observers are added to the
// application object); notifications are delivered there, one at a time.
//
//   DestroyNotify, or an unmap that withdraws the window  → "AXUIElementDestroyed"
//   _NET_WM_NAME / WM_NAME changed                        → "AXTitleChanged", once the new title is read,
//                                                            and before any later notice of that window
//   WM_STATE Iconic / _NET_WM_STATE_HIDDEN set, cleared   → "AXWindowMiniaturized", "AXWindowDeminiaturized"
//   size changed, position changed (ConfigureNotify)      → "AXWindowResized", "AXWindowMoved"
//   mapped again after a withdraw, or a new client window → "AXWindowCreated"
//   _NET_ACTIVE_WINDOW changed                            → "AXFocusedWindowChanged", "AXMainWindowChanged",
//                                                            and "AXApplicationActivated" when the process
//                                                            changed; a window watched only after it got the
//                                                            focus hears "AXFocusedWindowChanged" as its
//                                                            watch begins
//   _NET_ACTIVE_WINDOW became none                        → ax::focusLost to the window that had the focus
// Applications are never hidden as a whole on X11: "AXApplicationHidden" and
// "AXApplicationShown" are accepted and never delivered.
class EventHub final : public std::enable_shared_from_this<EventHub> {
public:
    explicit EventHub(std::shared_ptr<X11Context> ctx) : m_ctx(std::move(ctx)) {}
    ~EventHub();

    quint64 addObserver(qint32 pid, AXObserverCallback callback);
    void removeObserver(quint64 observer);
    AXResult addNotification(quint64 observer, const AXElement& element, const QString& notification);
    AXResult removeNotification(quint64 observer, const AXElement& element, const QString& notification);
    void addToRunLoop(quint64 observer, QObject* runLoop);

    // Reader thread only.
    void handleEvent(const xcb_generic_event_t* event);
    // What the events handled since the last call left to read; returns
    // whether it read anything (which may have queued more events).
    bool readPendingChanges();
    // Whether a title read is on its way.
    bool readingTitles() const { return !m_titleReads.empty(); }
    void startReading(); // selects the root and every registered window
    void watchWindow(xcb_window_t window);
    XConnection* events() const { return m_events.get(); }

private:
    struct Core {
        qint32 pid = 0;
        AXObserverCallback callback;
        std::recursive_mutex callMutex; // held while delivering; taken by removal
        bool alive = true;
        bool attached = false;
    };
    struct Registration {
        quint64 observer;
        AXElement element;
        QString notification;
    };
    struct Track {
        qint32 pid = 0;
        QRect geometry;
        bool minimized = false;
        bool unmappedMinimized = false;
        bool withdrawn = false;
        bool destroyed = false;
        // Set once the client has been seen writing _NET_WM_NAME: from then
        // on its title is that property, and the WM_NAME it writes alongside
        // changes nothing a reader shows.
        bool writesNetWmName = false;
    };

    // A title read sent and not answered yet, with the renames it answers.
    struct TitleRead {
        xcb_window_t window = 0;
        int renames = 0;
        unsigned int netWmName = 0;
        unsigned int wmName = 0;
    };

    // Whether any observer heard it.
    bool deliver(xcb_window_t window, qint32 pid, const char* notification);
    void requestTitles();
    // Delivers the renames whose titles are in; with `waitFor`, first waits
    // for every title read of that window (and those sent before them).
    bool takeTitles(xcb_window_t waitFor = 0);
    // Delivers the renames of `window` not delivered yet, waiting for their
    // titles: what is told of the window next comes after them.
    void settleTitles(xcb_window_t window);
    bool ensureReader(QObject* runLoop);
    void readState(xcb_window_t window, Track& track);
    std::optional<QRect> rootGeometry(xcb_window_t window);
    void activeChanged();
    void clientListChanged();

    std::shared_ptr<X11Context> m_ctx;
    std::mutex m_mutex;
    quint64 m_nextObserver = 1;
    std::map<quint64, std::shared_ptr<Core>> m_observers;
    std::vector<Registration> m_registrations;
    std::set<xcb_window_t> m_watched; // guarded by m_mutex

    // The reader's side; touched on the reader thread only.
    std::shared_ptr<XConnection> m_events;
    QPointer<EventReader> m_reader;
    std::map<xcb_window_t, Track> m_tracks;
    xcb_window_t m_active = 0;
    qint32 m_activePid = 0;
    bool m_activeChangePending = false;
    xcb_window_t m_focusUnheard = 0; // the active window, while nobody has heard it got the focus
    std::set<xcb_window_t> m_clients;
    // Renames heard since the titles were last asked for, per window.
    std::map<xcb_window_t, int> m_renamed;
    std::vector<TitleRead> m_titleReads; // in the order sent
};

// Lives on the thread of the first observer's run loop and reads the hub's
// connection there.
class EventReader final : public QObject {
    Q_OBJECT
public:
    EventReader(std::weak_ptr<EventHub> hub, std::shared_ptr<XConnection> connection);
    ~EventReader() override;
    void start();
    void drain();

private:
    std::weak_ptr<EventHub> m_hub;
    std::shared_ptr<XConnection> m_connection;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_settle = nullptr; // while it runs, the connection is left unread
};

// The window whose notification this thread is delivering to observers
// right now, when the report is not the window's end: the server had it when
// it sent the report.
std::optional<quint32> windowBeingDelivered();

// While a rename of `window` is delivered: its title as read for it (none
// when the window has no name). Asking again would cost a round trip.
std::optional<std::optional<QString>> titleBeingDelivered(quint32 window);

} // namespace platform::x11

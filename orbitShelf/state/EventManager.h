#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

// A named event and its payload; receivers check the payload's type
// themselves ("onkeyDown" and "option" carry a key code, "onInit" and
// "onDestroy" the integer 1).
struct Event {
    QString name;
    QVariant data;
};

// The process-wide bus of named events. Main thread only, no lock:
// handlers run synchronously on the emitter's thread, in subscription order.
class EventManager final {
public:
    using Handler = std::function<void(const Event&)>;

    static EventManager& shared();

    // Open to callers: storing an empty list under a name drops its handlers
    // (the switcher does so before subscribing again on every set-up).
    QHash<QString, QList<Handler>> events;

    void subscribe(const QString& name, Handler handler);
    // Calls the handlers of `name` with one Event. A handler that subscribes
    // during the call is not called for this event. (Named emitEvent because
    // Qt reserves `emit` as a macro.)
    void emitEvent(const QString& name, const QVariant& data);
};

#include "state/EventManager.h"

EventManager& EventManager::shared()
{
    static EventManager instance;
    return instance;
}

void EventManager::subscribe(const QString& name, Handler handler)
{
    events[name].append(std::move(handler));
}

void EventManager::emitEvent(const QString& name, const QVariant& data)
{
    const auto it = events.constFind(name);
    if (it == events.constEnd())
        return;
    // A copy: handlers may subscribe or replace lists while we walk them.
    const QList<Handler> handlers = it.value();
    const Event event { name, data };
    for (const Handler& handler : handlers)
        handler(event);
}

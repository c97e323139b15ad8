#include "state/Debounce.h"

std::shared_ptr<Debounce> Debounce::create(std::shared_ptr<SerialQueue> queue, double delaySeconds)
{
    return std::shared_ptr<Debounce>(new Debounce(std::move(queue), delaySeconds));
}

Debounce::Debounce(std::shared_ptr<SerialQueue> queue, double delaySeconds)
    : m_queue(std::move(queue))
    , m_delay(delaySeconds)
{
}

void Debounce::call(std::function<void()> action, std::function<void()> cancel)
{
    // The hop holds the debouncer weakly: a request that arrives after the
    // debouncer is gone is cancelled rather than keeping it alive.
    std::weak_ptr<Debounce> weakSelf = weak_from_this();
    m_queue->async([weakSelf, action = std::move(action), cancel = std::move(cancel)] {
        std::shared_ptr<Debounce> self = weakSelf.lock();
        if (!self) {
            if (cancel)
                cancel();
            return;
        }
        self->schedule(action, cancel);
    });
}

void Debounce::schedule(std::function<void()> action, std::function<void()> cancel)
{
    if (m_workItem)
        m_workItem->cancelled = true; // no effect on an item that already ran
    if (m_cancelBlock) {
        // Cleared before it runs: a cancel callable that makes a new request
        // must not find itself still registered.
        std::function<void()> superseded = std::move(m_cancelBlock);
        m_cancelBlock = nullptr;
        superseded();
    }

    auto item = std::make_shared<WorkItem>();
    m_workItem = item;
    m_cancelBlock = std::move(cancel);
    m_queue->asyncAfter(m_delay, [self = shared_from_this(), item, action = std::move(action)] {
        if (item->cancelled)
            return;
        self->m_cancelBlock = nullptr;
        action();
    });
}

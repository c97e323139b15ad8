#pragma once

#include "state/SerialQueue.h"

#include <functional>
#include <memory>

// Turns a burst of requests into one: only the newest request's action runs,
// `delay` seconds after that request reached the queue, and every request it
// supersedes while still pending is told so through its cancel callable.
//
// All bookkeeping, every action and every cancel callable run on the queue;
// call() itself touches nothing and may be used from any thread. A scheduled
// action keeps its debouncer alive until it has run or been superseded.
class Debounce final : public std::enable_shared_from_this<Debounce> {
public:
    static std::shared_ptr<Debounce> create(std::shared_ptr<SerialQueue> queue, double delaySeconds);

    void call(std::function<void()> action, std::function<void()> cancel = {});

    double delay() const { return m_delay; }

private:
    struct WorkItem {
        bool cancelled = false;
    };

    Debounce(std::shared_ptr<SerialQueue> queue, double delaySeconds);
    void schedule(std::function<void()> action, std::function<void()> cancel);

    const std::shared_ptr<SerialQueue> m_queue;
    const double m_delay;
    // Only touched on m_queue.
    std::shared_ptr<WorkItem> m_workItem;
    std::function<void()> m_cancelBlock;
};

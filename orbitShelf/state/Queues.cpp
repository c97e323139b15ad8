#include "state/Queues.h"

namespace {

struct QueueSet {
    std::shared_ptr<SerialQueue> main;
    std::shared_ptr<SerialQueue> debounce;
};

QueueSet& queues()
{
    static QueueSet q;
    return q;
}

} // namespace

namespace Queues {

SerialQueue& main()
{
    auto& q = queues();
    if (!q.main)
        q.main = std::make_shared<MainQueue>();
    return *q.main;
}

std::shared_ptr<SerialQueue> debounce()
{
    auto& q = queues();
    if (!q.debounce)
        q.debounce = std::make_shared<ThreadQueue>(QStringLiteral("DebounceQueue"));
    return q.debounce;
}

void useForTesting(std::shared_ptr<SerialQueue> mainQueue, std::shared_ptr<SerialQueue> debounceQueue)
{
    queues().main = std::move(mainQueue);
    queues().debounce = std::move(debounceQueue);
}

} // namespace Queues

void runAfterDelay(double seconds, std::function<void()> work)
{
    Queues::main().asyncAfter(seconds, std::move(work));
}

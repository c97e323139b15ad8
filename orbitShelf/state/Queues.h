#pragma once

#include "state/SerialQueue.h"

#include <functional>
#include <memory>

// The queues of the shell. Production code uses the main thread's event loop
// and one background queue, "DebounceQueue"; tests put a virtual-clock queue
// in their place so that every delay of the shell can be checked without
// waiting.
namespace Queues {

SerialQueue& main();
std::shared_ptr<SerialQueue> debounce();

// Replaces both queues (nullptr restores the real ones). Only for tests, and
// only before the listeners and debouncers are first used.
void useForTesting(std::shared_ptr<SerialQueue> mainQueue, std::shared_ptr<SerialQueue> debounceQueue);

} // namespace Queues

// Queues `work` on the main thread to run `seconds` from now.
void runAfterDelay(double seconds, std::function<void()> work);

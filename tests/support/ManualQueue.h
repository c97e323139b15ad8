#pragma once

#include "state/SerialQueue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace orbitshelf::test {

// A serial queue on a virtual clock: nothing runs until the test advances
// time, and then everything due runs in order of due time, then submission.
// One instance can stand for several queues at once (the main queue and a
// background queue) so that their work interleaves as it would in time.
class ManualQueue final : public SerialQueue {
public:
    void async(std::function<void()> work) override { asyncAfter(0, std::move(work)); }
    void asyncAfter(double seconds, std::function<void()> work) override
    {
        m_pending.emplace(std::make_pair(m_now + (seconds > 0 ? seconds : 0), m_next++), std::move(work));
    }

    double now() const { return m_now; }
    std::size_t pendingCount() const { return m_pending.size(); }

    // Runs everything due up to now + seconds (including work that this work
    // queues within the window) and leaves the clock there.
    void advance(double seconds)
    {
        const double until = m_now + seconds;
        while (!m_pending.empty() && m_pending.begin()->first.first <= until + 1e-9) {
            auto it = m_pending.begin();
            m_now = std::max(m_now, it->first.first);
            std::function<void()> work = std::move(it->second);
            m_pending.erase(it);
            work();
        }
        m_now = until;
    }

    // Runs only what is due now, i.e. the next turns of the queue.
    void runReady() { advance(0); }

private:
    double m_now = 0;
    std::uint64_t m_next = 0;
    std::map<std::pair<double, std::uint64_t>, std::function<void()>> m_pending;
};

} // namespace orbitshelf::test

#include "state/Debounce.h"
#include "tests/support/ManualQueue.h"
#include "tests/support/XvfbSession.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <vector>

using orbitshelf::test::ManualQueue;

namespace {

using Events = std::vector<std::pair<std::string, double>>;

enum class Release { never, beforeTheQueueRuns, afterTheQueueRan };

// Requests "r0", "r1" … made at the given times on a virtual clock; every
// action and cancel callable records itself with the time it ran.
struct Script {
    const char* name;
    std::vector<double> requestTimes;
    Release release;
    Events expected;
};

const Script scripts[] = {
    { "OneRequestRunsOnceAfterTheDelay", { 0 }, Release::never, { { "r0", 5.0 } } },
    { "NewerRequestSupersedesAPendingOneAndTellsIt", { 0, 1 }, Release::never,
        { { "r0 cancelled", 1.0 }, { "r1", 6.0 } } },
    { "BurstRunsOnlyTheNewestFiveSecondsAfterTheLast", { 0, 1, 2, 3, 4 }, Release::never,
        { { "r0 cancelled", 1.0 }, { "r1 cancelled", 2.0 }, { "r2 cancelled", 3.0 }, { "r3 cancelled", 4.0 },
            { "r4", 9.0 } } },
    { "RequestAfterTheActionRanCancelsNothing", { 0, 6 }, Release::never, { { "r0", 5.0 }, { "r1", 11.0 } } },
    { "RequestReachingTheQueueAfterReleaseIsCancelledAtOnce", { 0 }, Release::beforeTheQueueRuns,
        { { "r0 cancelled", 0.0 } } },
    { "ScheduledActionKeepsItsDebouncerAlive", { 0 }, Release::afterTheQueueRan, { { "r0", 5.0 } } },
};

void PrintTo(const Script& script, std::ostream* os)
{
    *os << script.name;
}

class DebounceScript : public ::testing::TestWithParam<Script> { };

} // namespace

TEST_P(DebounceScript, RunsAndCancelsAtTheseTimes)
{
    const Script& s = GetParam();
    auto queue = std::make_shared<ManualQueue>();
    auto debounce = Debounce::create(queue, 5.0);
    Events events;
    const auto record
        = [&](std::string what) { return [&, what] { events.emplace_back(what, queue->now()); }; };
    for (std::size_t i = 0; i < s.requestTimes.size(); ++i) {
        queue->advance(s.requestTimes[i] - queue->now());
        const std::string name = "r" + std::to_string(i);
        debounce->call(record(name), record(name + " cancelled"));
    }
    if (s.release == Release::afterTheQueueRan)
        queue->runReady();
    if (s.release != Release::never)
        debounce.reset();
    queue->advance(100);
    EXPECT_EQ(events, s.expected);
}

INSTANTIATE_TEST_SUITE_P(Debounce, DebounceScript, ::testing::ValuesIn(scripts),
    [](const auto& info) { return std::string(info.param.name); });

// The real queue: actions and cancel callables run on the queue's own thread.
TEST(DebounceOnThreadQueue, RunsTheActionOnTheQueueThread)
{
    auto queue = std::make_shared<ThreadQueue>(QStringLiteral("DebounceQueue"));
    auto debounce = Debounce::create(queue, 0.01);
    std::atomic<QThread*> actionThread { nullptr };
    std::atomic<int> runs { 0 };
    std::atomic<bool> cancelled { false };
    debounce->call([&] { ++runs; }, [&] { cancelled = true; });
    debounce->call([&] {
        actionThread = QThread::currentThread();
        ++runs;
    });
    ASSERT_TRUE(orbitshelf::test::waitUntil([&] { return runs.load() > 0; }));
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(cancelled.load());
    ASSERT_NE(actionThread.load(), nullptr);
    EXPECT_NE(actionThread.load(), QThread::currentThread());
    EXPECT_EQ(actionThread.load()->objectName(), QStringLiteral("DebounceQueue"));
}

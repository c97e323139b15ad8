#include "app/Debounce.h"
#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <vector>

using orbitshelf::test::ManualQueue;

namespace {

struct Recorder {
    std::vector<std::pair<std::string, double>> events;
    ManualQueue* clock = nullptr;
    std::function<void()> record(std::string what)
    {
        return [this, what] { events.emplace_back(what, clock->now()); };
    }
};

class DebounceTest : public ::testing::Test {
protected:
    std::shared_ptr<ManualQueue> queue = std::make_shared<ManualQueue>();
    std::shared_ptr<Debounce> debounce = Debounce::create(queue, 5.0);
    Recorder log { {}, queue.get() };
};

using Events = std::vector<std::pair<std::string, double>>;

} // namespace

TEST_F(DebounceTest, OneRequestRunsOnceAfterTheDelayAndIsNeverCancelled)
{
    debounce->call(log.record("action"), log.record("cancel"));
    queue->advance(4.9);
    EXPECT_TRUE(log.events.empty());
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "action", 5.0 } }));
}

TEST_F(DebounceTest, NewerRequestSupersedesAPendingOneAndTellsIt)
{
    debounce->call(log.record("first"), log.record("first cancelled"));
    queue->advance(1.0);
    debounce->call(log.record("second"), log.record("second cancelled"));
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "first cancelled", 1.0 }, { "second", 6.0 } }));
}

TEST_F(DebounceTest, BurstRunsOnlyTheNewestActionAfterTheLastRequest)
{
    for (int i = 0; i < 5; ++i) {
        debounce->call(log.record("action " + std::to_string(i)));
        queue->advance(1.0);
    }
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "action 4", 9.0 } }));
}

TEST_F(DebounceTest, RequestAfterTheActionRanCancelsNothing)
{
    debounce->call(log.record("first"), log.record("first cancelled"));
    queue->advance(6.0);
    debounce->call(log.record("second"), log.record("second cancelled"));
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "first", 5.0 }, { "second", 11.0 } }));
}

TEST_F(DebounceTest, RequestReachingTheQueueAfterReleaseIsCancelledAtOnce)
{
    debounce->call(log.record("action"), log.record("cancel"));
    debounce.reset();
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "cancel", 0.0 } }));
}

TEST_F(DebounceTest, ScheduledActionKeepsItsDebouncerAlive)
{
    std::weak_ptr<Debounce> weak = debounce;
    debounce->call(log.record("action"));
    queue->runReady();
    debounce.reset();
    EXPECT_FALSE(weak.expired());
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "action", 5.0 } }));
}

TEST_F(DebounceTest, CancelCallableMayMakeANewRequest)
{
    // A superseded request that re-requests from its cancel callable must not
    // be told twice or lose the newest action.
    debounce->call(log.record("first"), [this] { log.record("first cancelled")(); });
    queue->advance(1.0);
    debounce->call(log.record("second"));
    queue->advance(100);
    EXPECT_EQ(log.events, (Events { { "first cancelled", 1.0 }, { "second", 6.0 } }));
}

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
    QElapsedTimer clock;
    clock.start();
    while (runs.load() == 0 && clock.elapsed() < 5000)
        QThread::yieldCurrentThread();
    EXPECT_EQ(runs.load(), 1);
    EXPECT_TRUE(cancelled.load());
    ASSERT_NE(actionThread.load(), nullptr);
    EXPECT_NE(actionThread.load(), QThread::currentThread());
    EXPECT_EQ(actionThread.load()->objectName(), QStringLiteral("DebounceQueue"));
}

#include "dock/DockTick.h"

#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using orbitshelf::test::ManualQueue;

namespace {

struct WorkRow {
    const char* name;
    int64_t count;
    bool dockBadge;
    bool showProcessInfo;
    DockTickWork expected;
};

class DockTickWorkTable : public ::testing::TestWithParam<WorkRow> { };

TEST_P(DockTickWorkTable, WorkOfOneTick)
{
    const WorkRow& row = GetParam();
    const DockTickWork work = dockTickWork(row.count, row.dockBadge, row.showProcessInfo);
    EXPECT_EQ(work.readBadges, row.expected.readBadges);
    EXPECT_EQ(work.sampleProcesses, row.expected.sampleProcesses);
    EXPECT_EQ(work.pingAppActive, row.expected.pingAppActive);
    EXPECT_EQ(work.checkForUpdate, row.expected.checkForUpdate);
}

INSTANTIATE_TEST_SUITE_P(Schedule, DockTickWorkTable,
    // With both settings on, the day of ticks below checks every interval.
    ::testing::Values(WorkRow { "badges_off_reads_none", 10, false, true, {} },
        WorkRow { "sampling_off", 60, true, false, { true, false, false, false } },
        WorkRow { "report_every_900_whatever_the_settings", 900, false, false, { false, false, true, false } },
        WorkRow { "check_every_3600_with_report", 3600, false, false, { false, false, true, true } },
        WorkRow { "tick_after_a_day_nothing", 86401, true, true, {} }),
    [](const auto& info) { return std::string(info.param.name); });

// Counts what the services were asked to do, by tick.
struct Recorder {
    std::map<std::string, std::vector<int64_t>> calls;
    int64_t* count = nullptr;
    std::vector<QList<int32_t>> sampled;
    bool dockBadge = true;
    bool showProcessInfo = true;
    QList<int32_t> pids { 812, 17, 4000 };

    DockTickServices services()
    {
        DockTickServices s;
        auto note = [this](const char* what) { return [this, what] { calls[what].push_back(*count); }; };
        s.pomodoroTick = note("pomodoro");
        s.readBadges = note("badges");
        s.pingAppActive = note("ping");
        s.checkForUpdate = note("check");
        s.runningPids = [this] { return pids; };
        s.startSampling = [this](const QList<int32_t>& list) {
            calls["sample"].push_back(*count);
            sampled.push_back(list);
        };
        s.dockBadge = [this] { return dockBadge; };
        s.showProcessInfo = [this] { return showProcessInfo; };
        return s;
    }
};

TEST(DockTick, ADayOfTicksRunsEachWorkAtItsInterval)
{
    ManualQueue queue;
    int64_t count = 0;
    Recorder recorder;
    recorder.count = &count;
    const DockTickServices services = recorder.services();
    for (int second = 0; second < 86400; ++second) {
        dockTick(true, count, services, queue);
        queue.runReady();
    }
    EXPECT_EQ(count, 86400);
    EXPECT_EQ(recorder.calls["pomodoro"].size(), 86400u);
    EXPECT_EQ(recorder.calls["badges"].size(), 8640u);
    EXPECT_EQ(recorder.calls["badges"].front(), 10);
    EXPECT_EQ(recorder.calls["sample"].size(), 1440u);
    EXPECT_EQ(recorder.calls["sample"].front(), 60);
    EXPECT_EQ(recorder.calls["ping"].size(), 96u);
    EXPECT_EQ(recorder.calls["ping"].front(), 900);
    EXPECT_EQ(recorder.calls["check"].size(), 24u);
    EXPECT_EQ(recorder.calls["check"].front(), 3600);
    // The day's last tick: one check and one report, not two of each.
    EXPECT_EQ(std::count(recorder.calls["check"].begin(), recorder.calls["check"].end(), 86400), 1);
    EXPECT_EQ(std::count(recorder.calls["ping"].begin(), recorder.calls["ping"].end(), 86400), 1);
    // Sampling asks for the running processes in ascending order.
    ASSERT_FALSE(recorder.sampled.empty());
    EXPECT_EQ(recorder.sampled.front(), (QList<int32_t> { 17, 812, 4000 }));
}

TEST(DockTick, TwoDocksOnOneCountReadBadgesOncePerTenSeconds)
{
    ManualQueue queue;
    int64_t count = 0;
    Recorder recorder;
    recorder.count = &count;
    const DockTickServices services = recorder.services();
    for (int second = 0; second < 100; ++second) {
        dockTick(true, count, services, queue); // main dock
        dockTick(false, count, services, queue); // the other screen's dock
    }
    queue.runReady();
    EXPECT_EQ(recorder.calls["badges"].size(), 10u);
    EXPECT_EQ(recorder.calls["pomodoro"].size(), 100u);
    EXPECT_EQ(count, 100) << "the other dock neither counts nor works";
}

TEST(DockTick, SamplingRunsAfterTheTickAndWithNoAppsStartsAnEmptyRun)
{
    ManualQueue queue;
    int64_t count = 59;
    Recorder recorder;
    recorder.count = &count;
    recorder.pids.clear();
    const DockTickServices services = recorder.services();
    dockTick(true, count, services, queue);
    EXPECT_TRUE(recorder.sampled.empty()) << "sampling is queued, not run inside the tick";
    queue.runReady();
    ASSERT_EQ(recorder.sampled.size(), 1u);
    EXPECT_TRUE(recorder.sampled.front().isEmpty());
}

TEST(DockTick, TurningSamplingOnWaitsForTheNextMultipleOfSixty)
{
    ManualQueue queue;
    int64_t count = 0;
    Recorder recorder;
    recorder.count = &count;
    recorder.showProcessInfo = false;
    const DockTickServices services = recorder.services();
    for (int second = 0; second < 75; ++second)
        dockTick(true, count, services, queue);
    recorder.showProcessInfo = true;
    for (int second = 0; second < 50; ++second) {
        dockTick(true, count, services, queue);
        queue.runReady();
    }
    ASSERT_EQ(recorder.calls["sample"].size(), 1u);
    EXPECT_EQ(recorder.calls["sample"].front(), 120);
}

} // namespace

#include "dock/DockTick.h"

#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using orbitshelf::test::ManualQueue;

namespace {

TEST(DockTick, WorkOfOneTickFollowsTheSettings)
{
    // With both settings on, the day of ticks below checks every interval.
    const struct {
        const char* name;
        int64_t count;
        bool dockBadge;
        bool showProcessInfo;
        std::string work; // badges, sampling, report, update check
    } rows[] = {
        { "badges off reads none", 10, false, true, "----" },
        { "sampling off", 60, true, false, "B---" },
        { "report every 900 whatever the settings", 900, false, false, "--R-" },
        { "check every 3600 with the report", 3600, false, false, "--RU" },
        { "the tick after a day: nothing", 86401, true, true, "----" },
    };
    for (const auto& row : rows) {
        const DockTickWork work = dockTickWork(row.count, row.dockBadge, row.showProcessInfo);
        const std::string got { work.readBadges ? 'B' : '-', work.sampleProcesses ? 'S' : '-',
            work.pingAppActive ? 'R' : '-', work.checkForUpdate ? 'U' : '-' };
        EXPECT_EQ(got, row.work) << row.name;
    }
}

// Ticks the main dock's count and records by tick what the services were
// asked to do.
class DockTickRun : public ::testing::Test {
protected:
    DockTickRun()
    {
        auto note = [this](const char* what) { return [this, what] { calls[what].push_back(count); }; };
        services.pomodoroTick = note("pomodoro");
        services.readBadges = note("badges");
        services.pingAppActive = note("ping");
        services.checkForUpdate = note("check");
        services.runningPids = [this] { return pids; };
        services.startSampling = [this](const QList<int32_t>& list) {
            calls["sample"].push_back(count);
            sampled.push_back(list);
        };
        services.dockBadge = [] { return true; };
        services.showProcessInfo = [this] { return showProcessInfo; };
    }
    void tick(bool mainDock = true) { dockTick(mainDock, count, services, queue); }

    ManualQueue queue;
    int64_t count = 0;
    DockTickServices services;
    std::map<std::string, std::vector<int64_t>> calls;
    std::vector<QList<int32_t>> sampled;
    bool showProcessInfo = true;
    QList<int32_t> pids { 812, 17, 4000 };
};

TEST_F(DockTickRun, ADayOfTicksRunsEachWorkAtItsInterval)
{
    for (int second = 0; second < 86400; ++second) {
        tick();
        queue.runReady();
    }
    // Exact counts: the day's last tick runs its check and report once, not twice.
    const std::map<std::string, std::pair<size_t, int64_t>> expected { { "pomodoro", { 86400, 1 } },
        { "badges", { 8640, 10 } }, { "sample", { 1440, 60 } }, { "ping", { 96, 900 } },
        { "check", { 24, 3600 } } };
    for (const auto& [what, timesAndFirst] : expected) {
        EXPECT_EQ(calls[what].size(), timesAndFirst.first) << what;
        EXPECT_EQ(calls[what].front(), timesAndFirst.second) << what;
    }
    ASSERT_FALSE(sampled.empty());
    EXPECT_EQ(sampled.front(), (QList<int32_t> { 17, 812, 4000 })) << "in ascending order";
}

TEST_F(DockTickRun, TwoDocksOnOneCountReadBadgesOncePerTenSeconds)
{
    for (int second = 0; second < 100; ++second) {
        tick(true);
        tick(false); // the other screen's dock
    }
    queue.runReady();
    EXPECT_EQ(calls["badges"].size(), 10u);
    EXPECT_EQ(calls["pomodoro"].size(), 100u);
    EXPECT_EQ(count, 100) << "the other dock neither counts nor works";
}

TEST_F(DockTickRun, SamplingRunsAfterTheTickAndWithNoAppsStartsAnEmptyRun)
{
    count = 59;
    pids.clear();
    tick();
    EXPECT_TRUE(sampled.empty()) << "sampling is queued, not run inside the tick";
    queue.runReady();
    ASSERT_EQ(sampled.size(), 1u);
    EXPECT_TRUE(sampled.front().isEmpty());
}

TEST_F(DockTickRun, TurningSamplingOnWaitsForTheNextMultipleOfSixty)
{
    showProcessInfo = false;
    for (int second = 0; second < 75; ++second)
        tick();
    showProcessInfo = true;
    for (int second = 0; second < 50; ++second) {
        tick();
        queue.runReady();
    }
    EXPECT_EQ(calls["sample"], (std::vector<int64_t> { 120 }));
}

} // namespace

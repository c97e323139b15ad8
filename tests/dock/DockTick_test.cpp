#include "dock/DockTick.h"

#include "tests/support/ManualQueue.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <map>
#include <string>
#include <utility>
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

TEST(DockTick, NextDueCountIsTheNextSecondWithWork)
{
    const struct {
        int64_t count;
        bool perSecond, badges, sampling;
        int64_t due;
    } rows[] = {
        { 17, true, false, false, 18 },
        { 17, false, true, true, 20 },
        { 20, false, true, false, 30 },
        { 17, false, false, true, 60 },
        { 870, false, false, true, 900 },
        { 890, false, false, true, 900 },
        { 900, false, false, false, 1800 },
        { 0, false, false, false, 900 },
    };
    for (const auto& r : rows)
        EXPECT_EQ(nextDueTickCount(r.count, r.perSecond, r.badges, r.sampling), r.due)
            << r.count << " " << r.perSecond << r.badges << r.sampling;
}

// The tick driven by the one-second timer and by the clock that wakes only
// when a step is due, over the same 90,000 seconds of a scripted day: every
// step must run at the same count. What happens to the desktop happens
// half-way between two seconds.
class DockTickDay {
public:
    struct Change {
        double at;
        std::function<void(DockTickDay&)> apply;
    };
    static constexpr int64_t kSeconds = 90000;
    static constexpr int64_t kLateMs = 3;

    explicit DockTickDay(std::vector<Change> changes)
        : m_changes(std::move(changes))
    {
        auto note = [this](const char* what) { return [this, what] { log.emplace_back(count, what); }; };
        services.pomodoroTick = [this] {
            // A 25-minute work phase, then a break the user ends.
            if (!running)
                return;
            log.emplace_back(count, "pomodoro");
            if (++elapsed >= 1500) {
                running = false;
                onBreak = true;
            }
        };
        services.readBadges = note("badges");
        services.pingAppActive = note("report");
        services.checkForUpdate = note("check");
        services.runningPids = [] { return QList<int32_t> { 1 }; };
        services.startSampling = [this](const QList<int32_t>&) { log.emplace_back(count, "sample"); };
        services.dockBadge = [this] { return badges; };
        services.showProcessInfo = [this] { return sampling; };
    }

    void start()
    {
        running = true;
        onBreak = false;
        elapsed = 0;
    }

    // One tick per second, as the repeating timer ran it.
    void runEverySecond()
    {
        size_t next = 0;
        for (int64_t second = 1; second <= kSeconds; ++second) {
            while (next < m_changes.size() && m_changes[next].at < double(second))
                m_changes[next++].apply(*this);
            dockTick(true, count, services, queue);
            queue.runReady();
        }
    }

    // The single shot, firing a few milliseconds late as a busy machine
    // fires it; returns how often it fired.
    int runWhenDue()
    {
        int64_t now = 0;
        int64_t fireAt = -1;
        DockTickClock::Hooks hooks;
        hooks.nowMs = [&now] { return now; };
        hooks.arm = [&now, &fireAt](int64_t delay) { fireAt = now + delay + kLateMs; };
        hooks.perSecond = [this] { return running || onBreak || panelShown; };
        DockTickClock clock(count, services, queue, hooks);
        int firings = 0;
        size_t next = 0;
        while (fireAt <= kSeconds * 1000 + kLateMs) {
            if (next < m_changes.size() && m_changes[next].at * 1000 < double(fireAt)) {
                now = int64_t(m_changes[next].at * 1000);
                m_changes[next++].apply(*this);
                clock.plan();
                continue;
            }
            now = fireAt;
            ++firings;
            clock.fire();
            queue.runReady();
        }
        return firings;
    }

    ManualQueue queue;
    DockTickServices services;
    int64_t count = 0;
    std::vector<std::pair<int64_t, std::string>> log;
    bool badges = false;
    bool sampling = false;
    bool running = false;
    bool onBreak = false;
    bool panelShown = false;
    int64_t elapsed = 0;

private:
    std::vector<Change> m_changes;
};

TEST(DockTickClock, WakesOnlyWhenAStepIsDueAndRunsEveryStepAtItsCount)
{
    using Change = DockTickDay::Change;
    const struct {
        const char* name;
        std::vector<Change> changes;
        int maxFirings;
    } days[] = {
        { "badges and sampling off, no Pomodoro", {}, 100 },
        { "badges and sampling off, a Pomodoro run and its break",
            { { 3000.5, [](DockTickDay& d) { d.start(); } },
                { 5000.5, [](DockTickDay& d) { d.onBreak = false; } } },
            100 + 2000 },
        { "badges on, sampling on and off, the panel open a minute",
            { { 0.5, [](DockTickDay& d) { d.badges = true; } },
                { 1234.5, [](DockTickDay& d) { d.sampling = true; } },
                { 20000.5, [](DockTickDay& d) { d.panelShown = true; } },
                { 20060.5, [](DockTickDay& d) { d.panelShown = false; } },
                { 50000.5, [](DockTickDay& d) { d.sampling = false; } },
                { 70000.5, [](DockTickDay& d) { d.badges = false; } } },
            7000 + 60 + 23 },
        { "a setting turned on while the clock sleeps",
            { { 1234.5, [](DockTickDay& d) { d.sampling = true; } },
                { 4321.5, [](DockTickDay& d) { d.start(); } },
                { 6000.5, [](DockTickDay& d) { d.onBreak = false; } } },
            1500 + 100 + 1700 },
    };
    for (const auto& day : days) {
        DockTickDay everySecond(day.changes);
        everySecond.runEverySecond();
        DockTickDay whenDue(day.changes);
        const int firings = whenDue.runWhenDue();
        std::printf("%s: %d timer firings in %lld s (the one-second timer: %lld)\n", day.name, firings,
            static_cast<long long>(DockTickDay::kSeconds), static_cast<long long>(DockTickDay::kSeconds));
        EXPECT_EQ(whenDue.log, everySecond.log) << day.name;
        EXPECT_EQ(whenDue.count, DockTickDay::kSeconds) << day.name;
        EXPECT_LE(firings, day.maxFirings) << day.name;
        EXPECT_FALSE(everySecond.log.empty());
    }
}

TEST(DockTickClock, AFiringAfterTheMachineSleptCountsTheSecondsWithoutTheirSteps)
{
    DockTickDay day({});
    day.start();
    int64_t now = 0;
    int64_t delay = -1;
    DockTickClock::Hooks hooks;
    hooks.nowMs = [&now] { return now; };
    hooks.arm = [&delay](int64_t ms) { delay = ms; };
    hooks.perSecond = [&day] { return day.running; };
    DockTickClock clock(day.count, day.services, day.queue, hooks);
    ASSERT_EQ(delay, 1000);
    now = 1000;
    clock.fire();
    now = 3600 * 1000 + 400; // an hour asleep
    clock.fire();
    EXPECT_EQ(day.count, 3600);
    EXPECT_EQ(day.elapsed, 2) << "one Pomodoro second before the sleep, one after, as the old timer ran it";
    EXPECT_EQ(delay, 600) << "the next second keeps the clock's phase";
}

} // namespace

namespace {

TEST(DockTickClock, ABadgeReadIsWaitedForOnlyWhileItWouldChangeWhatIsShown)
{
    DockTickDay day({});
    day.badges = true;
    bool unshown = false;
    // The counts at which a read changed what is shown (a firing also runs
    // the seconds it slept through, whose reads change nothing).
    std::vector<int64_t> applied;
    day.services.badgesToApply = [&unshown] { return unshown; };
    day.services.readBadges = [&] {
        if (std::exchange(unshown, false))
            applied.push_back(day.count);
    };
    int64_t now = 0;
    int64_t fireAt = -1;
    DockTickClock::Hooks hooks;
    hooks.nowMs = [&now] { return now; };
    hooks.arm = [&now, &fireAt](int64_t delay) { fireAt = now + delay; };
    hooks.perSecond = [] { return false; };
    DockTickClock clock(day.count, day.services, day.queue, hooks);
    int firings = 0;
    const auto runUntil = [&](int64_t ms) {
        while (fireAt <= ms) {
            now = fireAt;
            ++firings;
            clock.fire();
        }
        now = ms;
    };

    // Nothing to apply: only the report's step (every 900 s) wakes it.
    EXPECT_EQ(fireAt, 900 * 1000);
    runUntil(1000 * 1000);
    EXPECT_EQ(firings, 1);

    // A count the bar does not show yet (it came while the setting was off):
    // read at the next tenth second, as before, then asleep again.
    unshown = true;
    clock.plan();
    EXPECT_EQ(fireAt, 1010 * 1000);
    runUntil(2000 * 1000);
    EXPECT_EQ(applied, std::vector<int64_t> { 1010 });
    EXPECT_EQ(firings, 3) << "the read at 1010 and the report at 1800";
}

} // namespace

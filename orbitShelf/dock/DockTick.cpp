#include "dock/DockTick.h"

#include "state/AppState.h"
#include "state/SerialQueue.h"
#include "apps/DockBadgeReader.h"
#include "apps/ProcessStatistics.h"
#include "network/Network.h"
#include "network/ServiceRequests.h"
#include "tools/PomodoroRun.h"
#include "tools/PomodoroTick.h"

#include <QTimer>

#include <algorithm>
#include <chrono>

DockTickWork dockTickWork(int64_t count, bool dockBadge, bool showProcessInfo)
{
    DockTickWork work;
    work.readBadges = dockBadge && count % 10 == 0;
    work.sampleProcesses = showProcessInfo && count % 60 == 0;
    // A day (86400) is a multiple of both the report's and the check's
    // interval, so the daily check and report are already these two; running
    // them a second time from a queued step would only send each twice.
    work.pingAppActive = count % 900 == 0;
    work.checkForUpdate = count % 3600 == 0;
    return work;
}

DockTickServices DockTickServices::standard(AppState& state)
{
    DockTickServices services;
    services.pomodoroTick = [&state] { ::pomodoroTick(state); };
    services.readBadges = [&state] {
        // An idle bar must not redraw every ten seconds: only a change of
        // some badge is published.
        QMap<QString, QString> badges = readSystemDockItems();
        if (badges == state.appBadge)
            return;
        state.appBadge = std::move(badges);
        state.publish();
    };
    services.startSampling = [](const QList<int32_t>& pids) {
        // The run hands its samples to the main thread by itself and outlives
        // the store, which is dropped here.
        TopStore store;
        store.startSampling(pids);
    };
    services.runningPids = [&state] { return state.allApps.keys(); };
    services.pingAppActive = [] { ::pingAppActive(); };
    services.checkForUpdate = [&state] { ::checkForUpdate(state, Network::shared()); };
    services.dockBadge = [&state] { return state.settings.dockBadge(); };
    services.showProcessInfo = [&state] { return state.settings.showProcessInfo(); };
    services.badgesToApply = [&state] { return readSystemDockItems() != state.appBadge; };
    return services;
}

int64_t& dockTickCount()
{
    static int64_t count = 0;
    return count;
}

void dockTick(bool enableListener, int64_t& count, const DockTickServices& services, SerialQueue& queue)
{
    if (!enableListener)
        return;
    ++count;
    if (services.pomodoroTick)
        services.pomodoroTick();
    const DockTickWork work = dockTickWork(count, services.dockBadge && services.dockBadge(),
        services.showProcessInfo && services.showProcessInfo());
    if (work.readBadges && services.readBadges)
        services.readBadges();
    if (work.sampleProcesses) {
        queue.async([services] {
            QList<int32_t> pids = services.runningPids ? services.runningPids() : QList<int32_t>();
            std::sort(pids.begin(), pids.end());
            if (services.startSampling)
                services.startSampling(pids);
        });
    }
    if (work.pingAppActive && services.pingAppActive)
        services.pingAppActive();
    if (work.checkForUpdate && services.checkForUpdate)
        services.checkForUpdate();
}

namespace {
constexpr int64_t kAsleepAfterSeconds = 5;
} // namespace

int64_t nextDueTickCount(int64_t count, bool perSecond, bool dockBadge, bool showProcessInfo)
{
    if (perSecond)
        return count + 1;
    const int64_t step = dockBadge ? 10 : showProcessInfo ? 60 : 900;
    int64_t due = (count / step + 1) * step;
    // 60 is a multiple of 10, so badges cover sampling; 900 is one of both.
    if (!dockBadge && showProcessInfo)
        due = std::min(due, (count / 900 + 1) * 900);
    return due;
}

DockTickClock::DockTickClock(int64_t& count, DockTickServices services, SerialQueue& queue, Hooks hooks)
    : m_count(count)
    , m_services(std::move(services))
    , m_queue(queue)
    , m_hooks(std::move(hooks))
    , m_origin(m_hooks.nowMs() - count * 1000)
{
    plan();
}

int64_t DockTickClock::secondsPassed() const
{
    return (m_hooks.nowMs() - m_origin) / 1000;
}

void DockTickClock::arm(int64_t due)
{
    m_armedFor = due;
    m_hooks.arm(std::max<int64_t>(0, m_origin + due * 1000 - m_hooks.nowMs()));
}

void DockTickClock::fire()
{
    const int64_t passed = secondsPassed();
    // A firing this late was a machine asleep: the one-second timer never
    // ran the steps of those seconds either, so they are only counted.
    if (m_armedFor > 0 && passed - m_armedFor > kAsleepAfterSeconds)
        m_count = std::max(m_count, passed - 1);
    m_armedFor = -1;
    while (m_count < passed)
        dockTick(true, m_count, m_services, m_queue);
    plan();
}

void DockTickClock::plan()
{
    // The seconds passed before the step the timer waits for had no work:
    // they are counted, without the Pomodoro's step (it had nothing to
    // count, and what changed may just have started it), so that the next
    // step is planned from now.
    if (m_armedFor > 0)
        m_count = std::max(m_count, std::min(secondsPassed(), m_armedFor - 1));
    const bool perSecond = m_hooks.perSecond && m_hooks.perSecond();
    const bool badges = m_services.dockBadge && m_services.dockBadge()
        && (!m_services.badgesToApply || m_services.badgesToApply());
    const bool sampling = m_services.showProcessInfo && m_services.showProcessInfo();
    const int64_t due = nextDueTickCount(m_count, perSecond, badges, sampling);
    if (due != m_armedFor)
        arm(due);
}

DockTickClock::Hooks DockTickClock::standardHooks(AppState& state, QTimer* timer)
{
    Hooks hooks;
    hooks.nowMs = [] {
        return int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch())
                           .count());
    };
    hooks.arm = [timer](int64_t delayMs) {
        if (timer)
            timer->start(int(delayMs));
    };
    hooks.perSecond = [&state] {
        // The break tile counts its seconds whether or not the tool is still
        // installed; the run and its panel only while it is.
        return state.pomodoro.startPomodoroTask
            || ((pomodoroRunning || pomodoroViewVisible)
                && state.isPluginInstalled(QStringLiteral("Pomodoro")));
    };
    return hooks;
}

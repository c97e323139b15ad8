#include "dock/DockTick.h"

#include "app/AppState.h"
#include "app/SerialQueue.h"
#include "apps/DockBadgeReader.h"
#include "apps/ProcessStatistics.h"
#include "network/Network.h"
#include "network/ServiceRequests.h"
#include "tools/PomodoroTick.h"

#include <algorithm>

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

#pragma once

#include <QList>

#include <cstdint>
#include <functional>

class AppState;
class SerialQueue;

// The one-second tick of the bar. Only the listening dock acts on it, so each
// piece of periodic work runs once per interval for the whole process.

// What one tick does besides the Pomodoro step, from the tick's count (after
// its increment) and the two settings that gate work.
struct DockTickWork {
    bool readBadges = false; // every 10th, with dockBadge on
    bool sampleProcesses = false; // every 60th, with showProcessInfo on
    bool pingAppActive = false; // every 900th
    bool checkForUpdate = false; // every 3600th
};
DockTickWork dockTickWork(int64_t count, bool dockBadge, bool showProcessInfo);

// The operations the tick drives; standard() binds the real ones.
struct DockTickServices {
    std::function<void()> pomodoroTick;
    std::function<void()> readBadges; // assigns AppState::appBadge
    std::function<void(const QList<int32_t>& pids)> startSampling; // a fresh TopStore each time
    std::function<QList<int32_t>()> runningPids; // keys of AppState::allApps
    std::function<void()> pingAppActive;
    std::function<void()> checkForUpdate;
    std::function<bool()> dockBadge;
    std::function<bool()> showProcessInfo;

    static DockTickServices standard(AppState& state);
};

// The process-wide tick count; never reset while the process runs (rebuilt
// docks and a replaced timer carry on counting).
int64_t& dockTickCount();

// One tick as seen by one dock. Does nothing for a dock that does not listen.
// The sampling step is queued on `queue` so that it runs after this tick.
void dockTick(bool enableListener, int64_t& count, const DockTickServices& services, SerialQueue& queue);

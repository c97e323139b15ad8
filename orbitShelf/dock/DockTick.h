#pragma once

#include <QList>

#include <cstdint>
#include <functional>

class AppState;
class QTimer;
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
    // Whether a read now would change the badges the bar shows (the reader
    // holds other badges than AppState::appBadge); unset: always.
    std::function<bool()> badgesToApply;

    static DockTickServices standard(AppState& state);
};

// The process-wide tick count; never reset while the process runs (rebuilt
// docks and a replaced timer carry on counting).
int64_t& dockTickCount();

// The count of the next tick that has work, after `count`: the next second
// while something counts or shows seconds (`perSecond`), else the next
// multiple of 10 (badges on), 60 (sampling on) or 900 (the report; the
// 3600- and 86400-second steps fall on multiples of it).
int64_t nextDueTickCount(int64_t count, bool perSecond, bool dockBadge, bool showProcessInfo);

// Wakes the main dock's tick only when a step is due: one single-shot timer
// on the monotonic clock, armed for the next due count. A firing runs the
// tick once for each second that passed, so every step runs at the count it
// always ran at; in between the process sleeps.
class DockTickClock {
public:
    struct Hooks {
        std::function<int64_t()> nowMs; // a monotonic clock
        std::function<void(int64_t delayMs)> arm; // (re)starts the single shot
        std::function<bool()> perSecond; // the Pomodoro runs or shows its seconds
    };
    // Counts on from `count`, its next second one second from now.
    DockTickClock(int64_t& count, DockTickServices services, SerialQueue& queue, Hooks hooks);

    // The timer fired: ticks up to the seconds passed, then arms again.
    void fire();
    // Something the next due step depends on may have changed (a Pomodoro
    // started, its panel shown, a setting turned on, badges came that are
    // not shown yet): arms again if the next due step moved. A badge read
    // is waited for only while it would change what is shown: the reader
    // hears every count as it is sent, and one that changes nothing wakes
    // the process for nothing. Seconds that passed since the last tick are counted
    // without their Pomodoro step: before the change nothing counted them.
    void plan();

    static Hooks standardHooks(AppState& state, QTimer* timer);

private:
    int64_t secondsPassed() const;
    void arm(int64_t due);

    int64_t& m_count;
    DockTickServices m_services;
    SerialQueue& m_queue;
    Hooks m_hooks;
    int64_t m_origin = 0;
    int64_t m_armedFor = -1;
};

// One tick as seen by one dock. Does nothing for a dock that does not listen.
// The sampling step is queued on `queue` so that it runs after this tick.
void dockTick(bool enableListener, int64_t& count, const DockTickServices& services, SerialQueue& queue);

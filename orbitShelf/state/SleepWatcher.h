#pragma once

#include <QObject>

namespace platform {
class WakeMonitor;
}

// Says through customPrint when the session goes to sleep ("systemWillSleep")
// and when it has woken ("systemDidWake"), as the wake monitor reports them.
// Listens for as long as it lives. Part of the shell's toolkit; nothing in
// the program makes one.
class SleepWatcher final : public QObject {
    Q_OBJECT
public:
    explicit SleepWatcher(platform::WakeMonitor& monitor, QObject* parent = nullptr);

    void systemWillSleep();
    void systemDidWake();
};

#include "state/SleepWatcher.h"

#include "state/Logging.h"
#include "platform/WakeMonitor.h"

SleepWatcher::SleepWatcher(platform::WakeMonitor& monitor, QObject* parent)
    : QObject(parent)
{
    // Connected with this object as the receiver, so that its release ends
    // the listening even while the monitor lives on.
    connect(&monitor, &platform::WakeMonitor::willSleep, this, &SleepWatcher::systemWillSleep);
    connect(&monitor, &platform::WakeMonitor::woke, this, &SleepWatcher::systemDidWake);
}

void SleepWatcher::systemWillSleep()
{
    customPrint(QStringLiteral("systemWillSleep"));
}

void SleepWatcher::systemDidWake()
{
    customPrint(QStringLiteral("systemDidWake"));
}

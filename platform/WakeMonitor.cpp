#include "platform/WakeMonitor.h"

#include <QDBusError>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcWake, "orbitshelf.platform.wake")

namespace platform {

WakeMonitor::WakeMonitor(QObject* parent)
    : WakeMonitor(QDBusConnection::systemBus(), parent)
{
}

WakeMonitor::WakeMonitor(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

bool WakeMonitor::start()
{
    if (!m_bus.isConnected()) {
        qCInfo(lcWake) << "no system bus: waking from sleep will not be noticed";
        return false;
    }
    // Matching the sender's well-known name: on the system bus only logind
    // may own it, so no other client can fake a wake.
    const bool connected = m_bus.connect(QStringLiteral("org.freedesktop.login1"),
        QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
        QStringLiteral("PrepareForSleep"), this, SLOT(prepareForSleep(bool)));
    if (!connected)
        qCInfo(lcWake) << "cannot watch logind on the system bus: waking from sleep will not be noticed:"
                       << m_bus.lastError().message();
    return connected;
}

void WakeMonitor::prepareForSleep(bool sleeping)
{
    if (sleeping)
        emit willSleep();
    else
        emit woke();
}

} // namespace platform

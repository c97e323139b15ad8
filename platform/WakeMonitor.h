#pragma once

#include <QDBusConnection>
#include <QObject>

namespace platform {

// Tells when the machine goes to sleep and when it has woken, from logind's
// PrepareForSleep signal (sent with true before sleeping and false after
// waking).
class WakeMonitor final : public QObject {
    Q_OBJECT
public:
    // Watches the system bus; tests pass a private bus of their own.
    explicit WakeMonitor(QObject* parent = nullptr);
    WakeMonitor(const QDBusConnection& bus, QObject* parent);

    // False, with one line in the log, when there is no bus to watch (a
    // container without a system bus): wake then goes unnoticed.
    bool start();

signals:
    void willSleep();
    void woke();

private slots:
    void prepareForSleep(bool sleeping);

private:
    QDBusConnection m_bus;
};

} // namespace platform

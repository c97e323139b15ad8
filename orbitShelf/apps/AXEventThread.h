#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

// The thread on which every window observer delivers its notifications, one
// at a time. Its "run loop" is a QObject that lives on the thread: observers
// are added to it (platform::AXObserver::addToRunLoop), and work that must run
// there is posted to it.
class BackgroundThreadWithRunLoop final {
public:
    // Starts the thread and returns once its run loop exists.
    explicit BackgroundThreadWithRunLoop(const QString& name,
                                         QThread::Priority priority = QThread::HighestPriority);
    ~BackgroundThreadWithRunLoop();
    BackgroundThreadWithRunLoop(const BackgroundThreadWithRunLoop&) = delete;
    BackgroundThreadWithRunLoop& operator=(const BackgroundThreadWithRunLoop&) = delete;

    QThread* thread() const { return m_thread.get(); }
    QObject* runLoop() const { return m_runLoop; }
    bool hasSentSemaphoreSignal() const { return m_hasSentSemaphoreSignal; }

private:
    std::unique_ptr<QThread> m_thread;
    QObject* m_runLoop = nullptr; // owned by the thread, deleted when it ends
    bool m_hasSentSemaphoreSignal = false;
};

// Creates the Accessibility event thread ("accessibilityEventsThread") once;
// later calls do nothing. Returns after its run loop exists.
void startAXBackgroundWork();

// The event thread, or nullptr before startAXBackgroundWork().
BackgroundThreadWithRunLoop* axEventsThread();

// Ends the event thread (at process exit, and between tests).
void stopAXBackgroundWork();

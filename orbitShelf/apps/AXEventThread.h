#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <memory>

// A thread with a run loop of its own: a QObject that lives on the thread,
// to which observers can be added (platform::AXObserver::addToRunLoop) and
// work can be posted. The app's window observers are not added to it: they
// deliver on the main thread (apps/PlatformAppsSource.cpp says why), so the
// event thread started at launch sleeps.
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

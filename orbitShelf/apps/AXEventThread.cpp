#include "apps/AXEventThread.h"

#include <QSemaphore>

#include <memory>

namespace {
std::unique_ptr<BackgroundThreadWithRunLoop> g_axEventsThread;

// The thread runs a Qt event loop: it sleeps until an observer has
// something to deliver, so it needs no polling while nothing is observed.
class RunLoopThread final : public QThread {
public:
    RunLoopThread(QSemaphore& started, QObject*& runLoop) : m_started(started), m_runLoop(runLoop) {}

protected:
    void run() override
    {
        QObject runLoop; // lives on this thread for the thread's whole life
        m_runLoop = &runLoop;
        m_started.release();
        exec();
        m_runLoop = nullptr;
    }

private:
    QSemaphore& m_started;
    QObject*& m_runLoop;
};
} // namespace

BackgroundThreadWithRunLoop::BackgroundThreadWithRunLoop(const QString& name, QThread::Priority priority)
{
    QSemaphore started;
    auto thread = std::make_unique<RunLoopThread>(started, m_runLoop);
    thread->setObjectName(name);
    thread->start(priority);
    started.acquire();
    m_hasSentSemaphoreSignal = true;
    m_thread = std::move(thread);
}

BackgroundThreadWithRunLoop::~BackgroundThreadWithRunLoop()
{
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

void startAXBackgroundWork()
{
    if (g_axEventsThread)
        return;
    g_axEventsThread = std::make_unique<BackgroundThreadWithRunLoop>(QStringLiteral("accessibilityEventsThread"),
                                                                      QThread::HighestPriority);
}

BackgroundThreadWithRunLoop* axEventsThread() { return g_axEventsThread.get(); }

void stopAXBackgroundWork() { g_axEventsThread.reset(); }

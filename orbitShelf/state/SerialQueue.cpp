#include "state/SerialQueue.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <cmath>

namespace {

int toMilliseconds(double seconds)
{
    if (!(seconds > 0))
        return 0;
    return static_cast<int>(std::lround(seconds * 1000.0));
}

} // namespace

void MainQueue::async(std::function<void()> work)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void MainQueue::asyncAfter(double seconds, std::function<void()> work)
{
    // A precise timer: the delays are user-visible (0.5 s before a capture)
    // and a coarse timer may fire up to 5 % late. The timer is started on
    // the main thread, since callers may be on any thread.
    QObject* app = QCoreApplication::instance();
    const int ms = toMilliseconds(seconds);
    if (QThread::currentThread() == app->thread()) {
        QTimer::singleShot(ms, Qt::PreciseTimer, app, std::move(work));
        return;
    }
    QMetaObject::invokeMethod(
        app, [app, ms, work = std::move(work)] { QTimer::singleShot(ms, Qt::PreciseTimer, app, work); },
        Qt::QueuedConnection);
}

ThreadQueue::ThreadQueue(const QString& label)
    : m_thread(std::make_unique<QThread>())
{
    m_thread->setObjectName(label);
    m_context = new QObject; // deleted on its own thread when the thread ends
    m_context->moveToThread(m_thread.get());
    QObject::connect(m_thread.get(), &QThread::finished, m_context, &QObject::deleteLater);
    m_thread->start();
}

ThreadQueue::~ThreadQueue()
{
    m_thread->quit();
    m_thread->wait();
}

void ThreadQueue::async(std::function<void()> work)
{
    QMetaObject::invokeMethod(m_context, std::move(work), Qt::QueuedConnection);
}

void ThreadQueue::asyncAfter(double seconds, std::function<void()> work)
{
    // The timer has to be started on the queue's own thread, so hop there
    // first; the hop itself costs no measurable time against the delay.
    QObject* context = m_context;
    const int ms = toMilliseconds(seconds);
    QMetaObject::invokeMethod(
        m_context,
        [context, ms, work = std::move(work)] { QTimer::singleShot(ms, Qt::PreciseTimer, context, work); },
        Qt::QueuedConnection);
}

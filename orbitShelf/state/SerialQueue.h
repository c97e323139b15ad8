#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QThread;

// A queue that runs its work one item at a time, in submission order, on one
// thread. Delayed work runs once its delay has passed, after work that is due
// earlier. The shell's timing (the debouncer, the delays before a capture or a
// rebuild) goes through this interface so that tests can drive it with a
// virtual clock instead of sleeping.
class SerialQueue {
public:
    virtual ~SerialQueue() = default;
    virtual void async(std::function<void()> work) = 0;
    virtual void asyncAfter(double seconds, std::function<void()> work) = 0;
};

// The main thread's event loop.
class MainQueue final : public SerialQueue {
public:
    void async(std::function<void()> work) override;
    void asyncAfter(double seconds, std::function<void()> work) override;
};

// A serial queue with a thread of its own, named after the queue's label.
class ThreadQueue final : public SerialQueue {
public:
    explicit ThreadQueue(const QString& label);
    ~ThreadQueue() override;
    ThreadQueue(const ThreadQueue&) = delete;
    ThreadQueue& operator=(const ThreadQueue&) = delete;

    void async(std::function<void()> work) override;
    void asyncAfter(double seconds, std::function<void()> work) override;

private:
    std::unique_ptr<QThread> m_thread;
    // Lives on m_thread; the context of every queued call and timer.
    QObject* m_context = nullptr;
};

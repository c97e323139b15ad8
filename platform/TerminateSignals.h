#pragma once

#include <QObject>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace platform {

// Catches SIGTERM, SIGHUP and SIGINT (Ctrl+C in the terminal that started the
// process) and hands them to the main thread's event loop: each is a request
// to end. SIGINT and SIGHUP that the process was started ignoring (`trap ''
// INT`, nohup, the background of a shell without job control) stay ignored. A signal handler may do next to
// nothing safely: it writes the signal's number into a pipe, and a socket
// notifier on the thread that made this object reads it there. One at a time
// in a process (the handlers are the process's). Children started meanwhile
// get the default handling back with their exec, and the pipe does not reach
// them.
//
// A first request the main thread does not take up within `takenUpWithin`
// (stuck in one long task) ends the process there, with exit status 1 and a
// line on stderr: a request to end is never left unanswered. Once one is
// taken up, the process ends its own way.
class TerminateSignals final : public QObject {
    Q_OBJECT
public:
    // Catches the signals from now on; each reaches `received` on this
    // object's thread once its event loop runs. False from catching() when
    // the pipe could not be made (the signals then keep their default).
    static constexpr std::chrono::milliseconds kTakenUpWithin { 1500 };

    explicit TerminateSignals(std::function<void(int signal)> received, QObject* parent = nullptr,
        std::chrono::milliseconds takenUpWithin = kTakenUpWithin);
    // The signals get the handling they had before.
    ~TerminateSignals() override;

    bool catching() const { return m_readFd >= 0; }

    // "SIGTERM", "SIGHUP", "SIGINT", or the number.
    static QString nameOf(int signal);

    // The process is ending already: the signals are ignored from now until
    // it has, also once this object has gone. Otherwise the default handling
    // it puts back would let a second Ctrl+C, pressed while the process
    // winds down, end it by the signal instead of with its exit status.
    static void ignoreFromNowOn();

private:
    void readSignals();
    void watchTakingUp();

    std::function<void(int)> m_received;
    int m_readFd = -1;
    int m_writeFd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::chrono::milliseconds m_takenUpWithin;
    // How many requests the main thread has read; the watchdog waits for the
    // first.
    std::mutex m_mutex;
    std::condition_variable m_read;
    unsigned m_readCount = 0; // guarded by m_mutex
    bool m_stopping = false; // guarded by m_mutex
    std::thread m_watchdog;
};

} // namespace platform

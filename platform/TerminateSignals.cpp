#include "platform/TerminateSignals.h"

#include "platform/Logging.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <semaphore.h>
#include <string>
#include <unistd.h>

namespace platform {

namespace {

    constexpr int kCaught[] = { SIGTERM, SIGHUP, SIGINT };

    // The pipe's write end, for the handler; -1 while nothing catches.
    std::atomic<int> g_writeFd { -1 };
    struct sigaction g_before[std::size(kCaught)];
    // Which of kCaught the handler was installed for.
    bool g_installed[std::size(kCaught)] {};
    // Posted for each request the handler puts into the pipe: it wakes the
    // watchdog (sem_post is safe in a signal handler).
    sem_t g_arrived;

    // Ctrl+C and a hang-up that the process was started ignoring stay
    // ignored: `trap '' INT` or nohup before the exec is how a script says
    // the program must outlive the terminal's Ctrl+C or its closing. A
    // request to end from a session manager (SIGTERM) is always heard.
    bool keptIgnored(int signal, const struct sigaction& inherited)
    {
        return signal != SIGTERM && inherited.sa_handler == SIG_IGN;
    }

    void onSignal(int signal)
    {
        const int savedErrno = errno;
        const int fd = g_writeFd.load();
        const unsigned char number = static_cast<unsigned char>(signal);
        // A write that fails finds the pipe full: it holds requests already.
        if (fd >= 0 && ::write(fd, &number, 1) == 1)
            ::sem_post(&g_arrived);
        errno = savedErrno;
    }

} // namespace

TerminateSignals::TerminateSignals(
    std::function<void(int)> received, QObject* parent, std::chrono::milliseconds takenUpWithin)
    : QObject(parent)
    , m_received(std::move(received))
    , m_takenUpWithin(takenUpWithin)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcPlatform) << "SIGTERM, SIGHUP and SIGINT end the process at once: no pipe for them:"
                              << std::strerror(errno);
        return;
    }
    m_readFd = fds[0];
    m_writeFd = fds[1];
    g_writeFd.store(m_writeFd);
    m_notifier = std::make_unique<QSocketNotifier>(m_readFd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminateSignals::readSignals);
    ::sem_init(&g_arrived, 0, 0);
    m_watchdog = std::thread([this] { watchTakingUp(); });

    struct sigaction action { };
    action.sa_handler = &onSignal;
    sigemptyset(&action.sa_mask);
    // System calls the signal interrupts go on: the request is read later,
    // on the main thread.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kCaught); ++i) {
        ::sigaction(kCaught[i], nullptr, &g_before[i]);
        g_installed[i] = !keptIgnored(kCaught[i], g_before[i]);
        if (g_installed[i])
            ::sigaction(kCaught[i], &action, nullptr);
        else
            qCInfo(lcPlatform).noquote()
                << nameOf(kCaught[i]) << "was ignored when the process started: it stays ignored";
    }
}

TerminateSignals::~TerminateSignals()
{
    if (m_readFd < 0)
        return;
    for (size_t i = 0; i < std::size(kCaught); ++i)
        if (g_installed[i])
            ::sigaction(kCaught[i], &g_before[i], nullptr);
    g_writeFd.store(-1);
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_read.notify_all();
    ::sem_post(&g_arrived);
    m_watchdog.join();
    ::sem_destroy(&g_arrived);
    // The notifier stops watching before its descriptor closes.
    m_notifier.reset();
    ::close(m_readFd);
    ::close(m_writeFd);
}

QString TerminateSignals::nameOf(int signal)
{
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGINT:
        return QStringLiteral("SIGINT");
    default:
        return QStringLiteral("signal %1").arg(signal);
    }
}

void TerminateSignals::ignoreFromNowOn()
{
    struct sigaction ignore { };
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (size_t i = 0; i < std::size(kCaught); ++i) {
        ::sigaction(kCaught[i], &ignore, nullptr);
        // What a TerminateSignals still alive puts back when it goes.
        g_before[i] = ignore;
        g_installed[i] = true;
    }
}

void TerminateSignals::readSignals()
{
    unsigned char numbers[16];
    ssize_t n = 0;
    while ((n = ::read(m_readFd, numbers, sizeof numbers)) > 0) {
        {
            std::lock_guard lock(m_mutex);
            m_readCount += unsigned(n);
        }
        m_read.notify_all();
        for (ssize_t i = 0; i < n; ++i)
            if (m_received)
                m_received(numbers[i]);
    }
}

void TerminateSignals::watchTakingUp()
{
    // Written before it is needed: the stuck main thread may hold a lock
    // that formatting would take.
    const std::string stuck
        = "A request to end the process (SIGTERM, SIGHUP or SIGINT) was not taken up within "
        + std::to_string(m_takenUpWithin.count()) + " ms: the process ends without saving, exit status 1\n";
    while (::sem_wait(&g_arrived) != 0 && errno == EINTR) { }
    std::unique_lock lock(m_mutex);
    // Once the main thread has read a request the process ends its own way
    // (the Quit's saving may take a while, and a second Ctrl+C must not cut
    // it short): the watchdog stands down.
    if (m_read.wait_for(lock, m_takenUpWithin, [this] { return m_stopping || m_readCount > 0; }))
        return;
    if (::write(STDERR_FILENO, stuck.data(), stuck.size()) < 0) { }
    std::_Exit(1);
}

} // namespace platform

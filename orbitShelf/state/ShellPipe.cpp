#include "state/ShellPipe.h"

#include <QByteArray>
#include <QUuid>

#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <locale.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

struct ShellProcess::State {
    QString label;
    std::mutex mutex;
    std::condition_variable finishedChanged;
    pid_t pid = 0;
    bool reaped = false;
    bool finished = false;
    bool terminateRequested = false;
};

ShellProcess::ShellProcess(std::shared_ptr<State> state)
    : m_state(std::move(state))
{
}

QString ShellProcess::label() const
{
    return m_state->label;
}

qint64 ShellProcess::processId() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pid;
}

bool ShellProcess::isRunning() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pid > 0 && !m_state->reaped;
}

void ShellProcess::terminate()
{
    std::lock_guard lock(m_state->mutex);
    m_state->terminateRequested = true;
    if (m_state->pid > 0 && !m_state->reaped)
        ::kill(-m_state->pid, SIGTERM);
}

bool ShellProcess::waitForFinished(int timeoutMs)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->finishedChanged.wait_for(
        lock, std::chrono::milliseconds(timeoutMs), [&] { return m_state->finished; });
}

qsizetype completeLinesLength(const QByteArray& bytes, bool atEnd)
{
    const auto n = bytes.size();
    for (qsizetype i = n - 1; i >= 0; --i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' || c == '\v' || c == '\f')
            return i + 1;
        if (c == '\r') {
            if (i == n - 1 && !atEnd)
                continue;
            return i + 1;
        }
        // NEL is C2 85, LS and PS are E2 80 A8 / E2 80 A9; continuation bytes
        // never appear alone, so matching the tail of the sequence is enough.
        if (c == 0x85 && i >= 1 && static_cast<unsigned char>(bytes[i - 1]) == 0xC2)
            return i + 1;
        if ((c == 0xA8 || c == 0xA9) && i >= 2 && static_cast<unsigned char>(bytes[i - 1]) == 0x80
            && static_cast<unsigned char>(bytes[i - 2]) == 0xE2)
            return i + 1;
    }
    return 0;
}

bool localeInstalled(const char* name)
{
    locale_t loaded = ::newlocale(LC_ALL_MASK, name, locale_t(0));
    if (!loaded)
        return false;
    ::freelocale(loaded);
    return true;
}

QByteArray shellLocale()
{
    static const QByteArray chosen
        = localeInstalled("en_US.UTF-8") ? QByteArray("en_US.UTF-8") : QByteArray("C.UTF-8");
    return chosen;
}

namespace {

std::vector<QByteArray> childEnvironment()
{
    std::vector<QByteArray> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0)
            env.emplace_back(*e);
    }
    env.emplace_back("LC_ALL=" + shellLocale());
    return env;
}

void reportLaunchFailure(const QString& error)
{
    const QByteArray line = QStringLiteral("⚠️ shell pipe executed with error %1\n").arg(error).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// Reads the child's output until the pipe closes, or until the child has
// exited and the pipe holds nothing more: a detached grandchild that keeps
// the write end open must not hold the run (and onExit) back forever.
void readUntilDone(const std::shared_ptr<ShellProcess::State>& state, int readFd, pid_t pid,
    const ShellOutputHandler& onOutput)
{
    QByteArray buffer;
    auto deliver = [&](bool atEnd) {
        const auto cut = atEnd ? buffer.size() : completeLinesLength(buffer, false);
        if (cut <= 0)
            return;
        const QString text = QString::fromUtf8(buffer.constData(), cut);
        buffer.remove(0, cut);
        if (onOutput)
            onOutput(text);
    };

    // glibc may lack the wrapper; the system call is there since Linux 5.3.
    int pidFd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    bool pipeOpen = true;
    bool childDone = false;
    char chunk[16384];
    while (pipeOpen && !childDone) {
        pollfd fds[2] = { { readFd, POLLIN, 0 }, { pidFd, POLLIN, 0 } };
        const int count = pidFd >= 0 ? 2 : 1;
        const int ready = ::poll(fds, nfds_t(count), pidFd >= 0 ? -1 : 50);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t got = ::read(readFd, chunk, sizeof chunk);
            if (got > 0) {
                buffer.append(chunk, got);
                deliver(false);
            } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                pipeOpen = false;
            }
        }
        if (pidFd >= 0 ? (fds[1].revents & POLLIN) != 0 : ::waitpid(pid, nullptr, WNOHANG) == pid)
            childDone = true;
    }
    if (pipeOpen) {
        // The child has exited: what it wrote is already in the pipe.
        ::fcntl(readFd, F_SETFL, ::fcntl(readFd, F_GETFL) | O_NONBLOCK);
        for (;;) {
            const ssize_t got = ::read(readFd, chunk, sizeof chunk);
            if (got > 0) {
                buffer.append(chunk, got);
                continue;
            }
            if (got < 0 && errno == EINTR)
                continue;
            break;
        }
    }
    deliver(false);
    deliver(true);
    ::close(readFd);
    if (pidFd >= 0)
        ::close(pidFd);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
    std::lock_guard lock(state->mutex);
    state->reaped = true;
}

} // namespace

std::shared_ptr<ShellProcess> shellPipeWith(
    const QString& shell, const QStringList& arguments, ShellOutputHandler onOutput, ShellExitHandler onExit)
{
    auto state = std::make_shared<ShellProcess::State>();
    state->label
        = QStringLiteral("shellPipe-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    auto process = std::make_shared<ShellProcess>(state);

    std::thread([state, shell, arguments, onOutput = std::move(onOutput), onExit = std::move(onExit)] {
        auto finish = [&] {
            std::lock_guard lock(state->mutex);
            state->finished = true;
            state->finishedChanged.notify_all();
        };

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            reportLaunchFailure(QString::fromLocal8Bit(std::strerror(errno)));
            finish();
            return;
        }
        const QByteArray program = shell.toLocal8Bit();
        std::vector<QByteArray> args { program, QByteArray("-c") };
        for (const auto& a : arguments)
            args.push_back(a.toUtf8());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        auto env = childEnvironment();
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        // Its own process group, so that terminate() reaches the whole
        // pipeline and not only the shell.
        posix_spawnattr_setpgroup(&attributes, 0);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

        pid_t pid = 0;
        const int error
            = ::posix_spawn(&pid, program.constData(), &actions, &attributes, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        ::close(fds[1]);
        if (error != 0) {
            ::close(fds[0]);
            reportLaunchFailure(QString::fromLocal8Bit(std::strerror(error)));
            finish();
            return;
        }
        {
            std::lock_guard lock(state->mutex);
            state->pid = pid;
            // terminate() came before the child existed.
            if (state->terminateRequested)
                ::kill(-pid, SIGTERM);
        }
        readUntilDone(state, fds[0], pid, onOutput);
        if (onExit)
            onExit();
        finish();
    }).detach();

    return process;
}

std::shared_ptr<ShellProcess> shellPipe(
    const QStringList& arguments, ShellOutputHandler onOutput, ShellExitHandler onExit)
{
    return shellPipeWith(QStringLiteral("/bin/bash"), arguments, std::move(onOutput), std::move(onExit));
}

#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A child of shellPipe: lets the caller stop a run it no longer needs.
// Safe to use from any thread; it outlives the child and its reader.
class ShellProcess final {
public:
    struct State;
    explicit ShellProcess(std::shared_ptr<State> state);

    // "shellPipe-" and a UUID; names the run in log lines.
    QString label() const;
    // 0 until the child has been started, and when starting it failed.
    qint64 processId() const;
    bool isRunning() const;
    // Sends SIGTERM to the child's process group while the child has not
    // been reaped (signalling a reaped pid could hit an unrelated process).
    void terminate();
    // Blocks until output and exit have been handed over; for callers that
    // must not return before the run is over (tests, shutdown).
    bool waitForFinished(int timeoutMs);

private:
    std::shared_ptr<State> m_state;
};

using ShellOutputHandler = std::function<void(const QString&)>;
using ShellExitHandler = std::function<void()>;

// Runs "/bin/bash -c <arguments...>" with LC_ALL=shellLocale() added to the
// environment, without blocking the caller. Standard output is handed to
// onOutput in pieces that end at a line break (several lines may come at
// once); a last line without a line break is handed over at the end. Bytes
// that are not UTF-8 are decoded with replacement characters. onExit runs
// after the child has ended and its output has been handed over. Both run on
// the run's own reader thread: callers hand changes to the main thread.
// A failed launch prints "⚠️ shell pipe executed with error" and the error
// on standard output and calls neither handler.
std::shared_ptr<ShellProcess> shellPipe(
    const QStringList& arguments, ShellOutputHandler onOutput = {}, ShellExitHandler onExit = {});

// The same with another shell binary; lets tests provoke a failed launch.
std::shared_ptr<ShellProcess> shellPipeWith(
    const QString& shell, const QStringList& arguments, ShellOutputHandler onOutput, ShellExitHandler onExit);

// The shell's LC_ALL: en_US.UTF-8 where it is installed, else C.UTF-8, which
// writes numbers with the same decimal point (bash told of a locale that is
// not installed complains into our log at every run). Decided at the first
// call.
QByteArray shellLocale();

// Whether the C library loads locale `name`; bash's setlocale looks in the
// same places (the locale archive, LOCPATH).
bool localeInstalled(const char* name);

// Length in bytes of the longest prefix of `bytes` that ends at a line break
// (LF, VT, FF, CR, NEL, LS, PS; CR LF counts as one). A CR at the very end
// is not a cut point unless `atEnd`, so that a CR LF split across two reads
// stays one line break. 0 when there is none.
qsizetype completeLinesLength(const QByteArray& bytes, bool atEnd);

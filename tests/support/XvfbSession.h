#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <memory>

namespace orbitshelf::test {

// A private X server with a window manager, one per test program.
//
// Xvfb picks its own display number (-displayfd), so test programs and other
// runs on the machine never collide. start() returns only once openbox
// actually manages new windows: openbox announces itself before it does, so
// a probe window is mapped and waited for in _NET_CLIENT_LIST first.
class XvfbSession final {
public:
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Starts Xvfb (width x height x 24) and openbox, sets DISPLAY for this
    // process and returns the session, or nullptr with lastError() set.
    static std::unique_ptr<XvfbSession> start(int width = 1920, int height = 1080);
    static QString lastError();

    // The running session of this program, if any.
    static XvfbSession* current();

    QString display() const { return m_display; }

private:
    XvfbSession() = default;
    qint64 m_xvfbPid = 0;
    qint64 m_wmPid = 0;
    QString m_display;
};

// Polls `condition` (processing Qt events in between) until it holds or
// `timeout` passes; returns whether it held. Use this instead of sleeps.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Runs a program to completion and returns its standard output (trimmed);
// empty on failure. For wmctrl / xdotool / xprop queries in tests.
QString runTool(const QString& program, const QStringList& arguments,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Starts a program detached in the test's display; returns its pid or 0.
qint64 spawn(const QString& program, const QStringList& arguments);

// Ends a spawned program (SIGTERM, then SIGKILL) and reaps it.
void terminate(qint64 pid);

} // namespace orbitshelf::test

// Shared helpers of the end-to-end platform tests (a *_test.cpp so that the
// folder's program picks it up).
#include "tests/e2e_platform/support.h"

#include "apps/AXEventThread.h"
#include "platform/x11/X11Platform.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace orbitshelf::test {

namespace {

std::unique_ptr<platform::Platform> g_platform;

// Ends the event thread and the platform before the program's statics go, so
// that nothing of them outlives the X server.
class PlatformTeardown final : public ::testing::Environment {
public:
    void TearDown() override
    {
        stopAXBackgroundWork();
        platform::setCurrent(nullptr);
        g_platform.reset();
    }
};
[[maybe_unused]] const auto* g_teardown = ::testing::AddGlobalTestEnvironment(new PlatformTeardown);

} // namespace

platform::Platform& x11()
{
    if (!g_platform) {
        QString error;
        g_platform = platform::x11::createX11Platform(&error);
        if (!g_platform)
            qFatal("no X11 platform: %s", qPrintable(error));
        platform::setCurrent(g_platform.get());
    }
    return *g_platform;
}

std::optional<platform::ServerWindow> listed(quint32 window)
{
    for (const platform::ServerWindow& w : x11().windowServer().windowList())
        if (w.id == window)
            return w;
    return std::nullopt;
}

Client startClient(const QString& title, const QString& klass, const QString& geometry)
{
    Client c;
    c.pid = spawn(QStringLiteral("xterm"), {QStringLiteral("-T"), title, QStringLiteral("-class"), klass,
                                            QStringLiteral("-geometry"), geometry});
    if (!c.pid)
        return c;
    waitUntil([&] {
        for (const platform::ServerWindow& w : x11().windowServer().windowList())
            if (w.pid == c.pid && w.title == title && w.onScreen) {
                c.window = w.id;
                return true;
            }
        return false;
    }, std::chrono::seconds(15));
    return c;
}

bool windowExists(quint32 window)
{
    QProcess probe;
    probe.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    probe.waitForFinished(5000);
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

} // namespace orbitshelf::test

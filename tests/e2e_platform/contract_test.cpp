// The X11 layer under the contract the scripted desktop keeps too: xterms
// are the applications, xdotool the user.
#include "tests/e2e_platform/X11Desktop.h"

#include "platform/x11/X11Platform.h"
#include "tests/support/PlatformContract.h"

#include <QThread>

namespace orbitshelf::test {
namespace {

    struct Shared {
        QThread thread;
        QObject runLoop;
        std::unique_ptr<platform::Platform> platform;
    };
    Shared* g_shared = nullptr;

    // The event reader ends with its thread; both go before the X server does.
    class SharedTeardown final : public ::testing::Environment {
    public:
        void TearDown() override
        {
            if (!g_shared)
                return;
            g_shared->thread.quit();
            g_shared->thread.wait();
            delete g_shared;
            g_shared = nullptr;
        }
    };
    [[maybe_unused]] const auto* g_teardown = ::testing::AddGlobalTestEnvironment(new SharedTeardown);

    Shared& shared()
    {
        if (!g_shared) {
            g_shared = new Shared;
            QString error;
            g_shared->platform = platform::x11::createX11Platform(&error);
            if (!g_shared->platform)
                qFatal("no X11 layer: %s", qPrintable(error));
            g_shared->runLoop.moveToThread(&g_shared->thread);
            g_shared->thread.start();
        }
        return *g_shared;
    }

    class X11Desktop final : public DesktopDriver {
    public:
        ~X11Desktop() override
        {
            for (qint64 pid : m_pids)
                terminate(pid);
        }
        platform::Platform& platform() override { return x11(); }
        QObject* runLoop() override { return x11RunLoop(); }
        OpenedWindow open(const QString& title, QPoint at) override
        {
            OpenedWindow opened {
                qint32(spawn(QStringLiteral("xterm"),
                    xtermArguments(title, QStringLiteral("40x10+%1+%2").arg(at.x()).arg(at.y())))),
                0
            };
            m_pids.push_back(opened.pid);
            waitUntil(
                [&] {
                    for (const platform::ServerWindow& w : x11().windowServer().windowList())
                        if (w.pid == opened.pid && w.title == title && w.onScreen)
                            opened.id = w.id;
                    return opened.id != 0;
                },
                std::chrono::seconds(10));
            return opened;
        }
        // xdotool writes both WM_NAME and _NET_WM_NAME, as toolkits do.
        void rename(const OpenedWindow& w, const QString& title) override
        {
            runTool(QStringLiteral("xdotool"), { "set_window", "--name", title, QString::number(w.id) });
        }
        void drag(const OpenedWindow& w, QPoint to) override
        {
            runTool(QStringLiteral("xdotool"),
                { "windowmove", QString::number(w.id), QString::number(to.x()), QString::number(to.y()) });
        }
        void quit(const OpenedWindow& w) override { terminate(w.pid); }
        bool eventually(const std::function<bool()>& condition) override { return waitUntil(condition); }

    private:
        std::vector<qint64> m_pids;
    };

    std::unique_ptr<DesktopDriver> makeX11Desktop()
    {
        return std::make_unique<X11Desktop>();
    }

} // namespace

platform::Platform& x11()
{
    return *shared().platform;
}
QObject* x11RunLoop()
{
    return &shared().runLoop;
}

INSTANTIATE_TEST_SUITE_P(X11, PlatformContract, ::testing::Values(&makeX11Desktop));

} // namespace orbitshelf::test

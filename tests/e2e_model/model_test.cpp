// The application model against real clients on a private display: xterms
// appear, are renamed and go away, and the model follows.
#include "app/AppState.h"
#include "app/UserDefaults.h"
#include "apps/AXEventThread.h"
#include "apps/RunningApps.h"
#include "platform/Platform.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/X11PlatformTest.h"
#include "tests/support/XvfbSession.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;
using namespace std::chrono_literals;

namespace {

class RealDesktopModel : public X11PlatformTest {
protected:
    void SetUp() override
    {
        if (!x11)
            GTEST_SKIP() << "no X11 layer: " << skipReason.toStdString();
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        platform::setCurrent(x11);
        startAXBackgroundWork();
        // The dock reload that the workspace's launch and quit notices start.
        reload = QObject::connect(
            &x11->workspace(), &platform::Workspace::applicationLaunched, [] { refreshRunningApps(); });
        reloadOnQuit = QObject::connect(
            &x11->workspace(), &platform::Workspace::applicationTerminated, [] { refreshRunningApps(); });
        refreshRunningApps();
    }
    void TearDown() override
    {
        if (!x11)
            return;
        QObject::disconnect(reload);
        QObject::disconnect(reloadOnQuit);
        AppState::shared().allApps.clear();
        stopAXBackgroundWork();
        platform::setCurrent(nullptr);
        UserDefaults::useFile({});
    }

    // The model's window with this title, if any.
    static std::shared_ptr<Windows> windowTitled(const QString& title)
    {
        for (const auto& app : std::as_const(AppState::shared().allApps)) {
            if (!app->windows)
                continue;
            for (const auto& w : *app->windows) {
                if (w->title == title)
                    return w;
            }
        }
        return nullptr;
    }

    static int modelWindowCount()
    {
        int n = 0;
        for (const auto& app : std::as_const(AppState::shared().allApps))
            n += app->windows ? int(app->windows->size()) : 0;
        return n;
    }

    // Polls like the bar's tick would, so that the test does not depend on
    // which notice arrives first.
    static bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
    {
        return waitUntil([&] { return condition() || (refreshRunningApps(), condition()); }, timeout);
    }

    QTemporaryDir dir;
    QMetaObject::Connection reload;
    QMetaObject::Connection reloadOnQuit;
};

} // namespace

TEST_F(RealDesktopModel, XtermAppearsIsRenamedAndGoes)
{
    // The shell inside renames its own window (the title escape sequence)
    // once the test has seen the first title.
    const QString trigger = dir.filePath("rename");
    const QString script = QStringLiteral(
        "while [ ! -e '%1' ]; do sleep 0.05; done; printf '\\033]2;model-e2e-renamed\\007'; exec sleep 600")
                               .arg(trigger);
    const qint64 pid
        = spawn("xterm", { "-T", "model-e2e-start", "-geometry", "40x5+20+20", "-e", "sh", "-c", script });
    ASSERT_GT(pid, 0);
    QElapsedTimer seen;
    seen.start();
    ASSERT_TRUE(waitUntil([] { return windowTitled("model-e2e-start") != nullptr; }, 5s));
    EXPECT_LT(seen.elapsed(), 1000) << "the new window took " << seen.elapsed() << " ms to reach the model";
    const auto window = windowTitled("model-e2e-start");
    ASSERT_TRUE(window->num.has_value());
    ASSERT_TRUE(AppState::shared().allApps.contains(static_cast<qint32>(pid)));
    EXPECT_TRUE(window->axObserver);

    int changes = 0;
    const auto counter = QObject::connect(&AppState::shared(), &AppState::titleChanged,
        [&](quint32 number) { changes += number == *window->num ? 1 : 0; });
    QFile(trigger).open(QIODevice::WriteOnly);
    // The title notice arrives on the event thread and is handled on ours;
    // nothing here refreshes the model.
    EXPECT_TRUE(waitUntil([] { return windowTitled("model-e2e-renamed") != nullptr; }, 3s));
    EXPECT_GE(changes, 1) << "the views were not told about the new title";
    QObject::disconnect(counter);

    terminate(pid);
    EXPECT_TRUE(
        waitUntil([&] { return !AppState::shared().allApps.contains(static_cast<qint32>(pid)); }, 3s));
    EXPECT_EQ(windowTitled("model-e2e-renamed"), nullptr);
}

TEST_F(RealDesktopModel, HundredOpenCloseCyclesLeaveNothingBehind)
{
    ASSERT_TRUE(eventually([] { return true; }, 1s));
    const int observersBefore = WindowObservation::liveCount();
    const int windowsBefore = modelWindowCount();
    const auto appsBefore = AppState::shared().allApps.size();

    for (int i = 0; i < 100; ++i) {
        const QString title = QStringLiteral("model-e2e-cycle-%1").arg(i);
        const qint64 pid = spawn("xterm", { "-T", title, "-geometry", "20x2+0+0" });
        ASSERT_GT(pid, 0);
        ASSERT_TRUE(eventually([&] { return windowTitled(title) != nullptr; }, 5s)) << "cycle " << i;
        terminate(pid);
        ASSERT_TRUE(eventually([&] { return windowTitled(title) == nullptr; }, 5s)) << "cycle " << i;
    }
    refreshRunningApps();
    EXPECT_EQ(WindowObservation::liveCount(), observersBefore);
    EXPECT_EQ(modelWindowCount(), windowsBefore);
    EXPECT_EQ(AppState::shared().allApps.size(), appsBefore);
}

// Activation and click tracking against real clients on a private display:
// xterms are minimised, shown, activated and clicked, and the window manager
// and the click history follow.
#include "app/AppState.h"
#include "app/UserDefaults.h"
#include "apps/Activation.h"
#include "apps/RunningApps.h"
#include "apps/WindowClickTracking.h"
#include "platform/Platform.h"
#include "platform/x11/X11ClickMonitor.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/X11PlatformTest.h"
#include "tests/support/XvfbSession.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;
using namespace std::chrono_literals;

namespace {

class RealDesktopActivation : public X11PlatformTest {
protected:
    void SetUp() override
    {
        if (!x11)
            GTEST_SKIP() << "no X11 layer: " << skipReason.toStdString();
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        platform::setCurrent(x11);
        resetWindowClickTracking();
    }
    void TearDown() override
    {
        // The model's windows go first: their notification subscriptions end
        // with them, so the xterms' exits below reach no model refresh.
        AppState::shared().allApps.clear();
        AppState::shared().appOrders.clear();
        AppState::shared().focusedWindow.clear();
        for (qint64 pid : spawned)
            terminate(pid);
        if (!x11)
            return;
        QCoreApplication::processEvents();
        platform::setCurrent(nullptr);
        UserDefaults::useFile({});
    }

    // Starts an xterm and waits until the model holds its window.
    std::shared_ptr<Windows> startXterm(const QString& title, const QString& geometry)
    {
        const qint64 pid = spawn("xterm", { "-T", title, "-geometry", geometry });
        if (pid <= 0)
            return nullptr;
        spawned.push_back(pid);
        std::shared_ptr<Windows> found;
        waitUntil(
            [&] {
                refreshRunningApps();
                for (const auto& app : std::as_const(AppState::shared().allApps))
                    for (const auto& w : app->windows.value_or(std::vector<std::shared_ptr<Windows>> {}))
                        if (w->title == title)
                            found = w;
                return found != nullptr;
            },
            5s);
        return found;
    }

    static QString wmState(quint32 window)
    {
        return runTool("xprop", { "-id", QString::number(window), "WM_STATE" });
    }
    static bool isIconic(quint32 window) { return wmState(window).contains("Iconic"); }
    static bool isNormal(quint32 window) { return wmState(window).contains("Normal"); }
    static quint32 activeWindow()
    {
        const QString text = runTool("xprop", { "-root", "_NET_ACTIVE_WINDOW" });
        const auto match = QRegularExpression("0x[0-9a-fA-F]+").match(text);
        return match.hasMatch() ? match.captured(0).toUInt(nullptr, 16) : 0;
    }
    static QPoint pointer()
    {
        const QString text = runTool("xdotool", { "getmouselocation" });
        const auto match = QRegularExpression("x:(\\d+) y:(\\d+)").match(text);
        return match.hasMatch() ? QPoint(match.captured(1).toInt(), match.captured(2).toInt())
                                : QPoint(-1, -1);
    }

    QTemporaryDir dir;
    std::vector<qint64> spawned;
};

} // namespace

TEST_F(RealDesktopActivation, AMinimisedWindowIsShownActivatedAndMinimisedAgainOnARepeatClick)
{
    const auto window = startXterm("act-minimised", "40x8+300+200");
    ASSERT_TRUE(window);
    const quint32 id = *window->num;

    runTool("xdotool", { "windowminimize", QString::number(id) });
    ASSERT_TRUE(waitUntil([&] { return isIconic(id); }, 5s)) << wmState(id).toStdString();

    activateWindow(*window, kClickSourceDock, true);
    EXPECT_TRUE(waitUntil([&] { return isNormal(id) && activeWindow() == id; }, 5s))
        << wmState(id).toStdString() << " active " << activeWindow();
    EXPECT_TRUE(runTool("xwininfo", { "-id", QString::number(id) }).contains("IsViewable"));

    // The same window, clicked again while shown as active: minimised.
    activateWindow(*window, kClickSourceDock, true);
    EXPECT_TRUE(waitUntil([&] { return isIconic(id); }, 5s)) << wmState(id).toStdString();
}

TEST_F(RealDesktopActivation, ASwitcherActivationPutsThePointerOnTheWindowsCentre)
{
    const auto window = startXterm("act-switcher", "50x10+500+300");
    ASSERT_TRUE(window);
    const quint32 id = *window->num;
    runTool("xdotool", { "mousemove", "3", "3" });
    AppState::shared().settings.setMouseMoveToWindowCenter(true);

    activateWindow(*window, kClickSourceSwitcher, false);
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == id; }, 5s));
    const auto frame = x11->windowServer().window(id)->frame;
    ASSERT_TRUE(frame.isValid());
    EXPECT_TRUE(waitUntil([&] { return (pointer() - frame.center()).manhattanLength() <= 2; }, 3s))
        << "pointer at " << pointer().x() << "," << pointer().y() << ", centre " << frame.center().x() << ","
        << frame.center().y();

    // A dock click leaves the pointer where it is.
    runTool("xdotool", { "mousemove", "3", "3" });
    activateWindow(*window, kClickSourceDock, false);
    EXPECT_EQ(pointer(), QPoint(3, 3));
}

TEST_F(RealDesktopActivation, ARealClickInAnXtermIsRecordedAsThatWindow)
{
    const auto first = startXterm("act-click-a", "30x6+100+600");
    const auto second = startXterm("act-click-b", "30x6+700+600");
    ASSERT_TRUE(first && second);
    activateWindow(*second, kClickSourceDock, false);
    ASSERT_EQ(windowClickOrder().back().windowNum, int32_t(*second->num));

    auto monitor = platform::x11::createX11ClickMonitor();
    ASSERT_TRUE(monitor->start());
    QObject::connect(monitor.get(), &platform::ClickMonitor::primaryButtonReleased,
        [](const platform::PointerClick& click) { onWindowClicked(click.window, {}); });

    runTool("xdotool", { "mousemove", "--window", QString::number(*first->num), "30", "30", "click", "1" });
    EXPECT_TRUE(waitUntil([&] { return windowClickOrder().back().windowNum == int32_t(*first->num); }, 5s));
    EXPECT_EQ(lastClickedWindowNumber.load(), int32_t(*first->num));
    EXPECT_TRUE(AppState::shared().focusedWindow.value(*first->num));
}

#include "platform/x11/X11ClickMonitor.h"
#include "tests/support/XvfbSession.h"

#include <vector>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// The X window id of the client titled `title`, 0 while it is not mapped.
quint32 windowTitled(const QString& title)
{
    const QString id = runTool("xdotool", { "search", "--onlyvisible", "--name", title });
    return id.isEmpty() ? 0 : id.split('\n').first().toUInt();
}

} // namespace

TEST(X11ClickMonitor, ReportsARealClickAsTheClientWindowUnderThePointer)
{
    auto monitor = platform::x11::createX11ClickMonitor();
    ASSERT_TRUE(monitor->start());
    std::vector<platform::PointerClick> clicks;
    QObject::connect(monitor.get(), &platform::ClickMonitor::primaryButtonReleased,
        [&](const platform::PointerClick& click) { clicks.push_back(click); });

    const qint64 pid = spawn("xterm", { "-T", "click-target", "-geometry", "40x10+200+150" });
    ASSERT_GT(pid, 0);
    quint32 window = 0;
    ASSERT_TRUE(waitUntil([&] { return (window = windowTitled("click-target")) != 0; }));

    // The pointer goes to the middle of the client; the click lands on it,
    // not on openbox's frame around it.
    runTool("xdotool", { "mousemove", "--window", QString::number(window), "60", "40", "click", "1" });
    ASSERT_TRUE(waitUntil([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks.front().window, window);
    clicks.clear();

    // A right click is not a primary release.
    runTool("xdotool", { "click", "3" });
    runTool("xdotool", { "mousemove", "5", "5", "click", "1" }); // the bare desktop
    ASSERT_TRUE(waitUntil([&] { return !clicks.empty(); }));
    ASSERT_EQ(clicks.size(), 1u) << "the right click must not be reported";
    EXPECT_NE(clicks.front().window, window);
    EXPECT_EQ(clicks.front().rootPosition, QPoint(5, 5));

    terminate(pid);
}

// The real orbitShelf on a private Xvfb + openbox: the bar's windows, where
// they stand, what they let through, and the auto-show strip.
#include "tests/support/X11TestTools.h"

#include "platform/x11/X11Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

constexpr auto kStart = std::chrono::seconds(20);

bool isBackground(const QColor& colour)
{
    return colour.isValid() && colour.red() < 8 && colour.green() < 8 && colour.blue() < 8;
}

// Where a screenshot of the bar is kept for people to look at.
QString screenshotPath(const QString& name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/e2e_dock_screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

TEST(DockOnX11, BarStandsAtTheBottomEdgeInADockWindow)
{
    DockRun run({});
    ASSERT_GT(run.start(), 0);
    const QString dock = waitForWindow(QStringLiteral("orbitShelf dock"));
    ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();

    EXPECT_TRUE(property(dock, "_NET_WM_WINDOW_TYPE").contains("_NET_WM_WINDOW_TYPE_DOCK"));
    const QString state = property(dock, "_NET_WM_STATE");
    EXPECT_TRUE(state.contains("_NET_WM_STATE_ABOVE")) << state.toStdString();
    EXPECT_TRUE(state.contains("_NET_WM_STATE_SKIP_TASKBAR")) << state.toStdString();
    EXPECT_TRUE(state.contains("_NET_WM_STATE_SKIP_PAGER")) << state.toStdString();
    EXPECT_TRUE(property(dock, "_NET_WM_DESKTOP").contains("4294967295"));

    // The window spans the screen's bottom 500 pixels; the bar sits on its
    // bottom edge, centred.
    EXPECT_EQ(windowGeometry(dock), QRect(0, 580, 1920, 500));
    EXPECT_TRUE(waitUntil([] { return !isBackground(pixelAt(960, 1053)); }))
        << "no bar drawn at the bottom centre";
    EXPECT_TRUE(isBackground(pixelAt(960, 700))) << "the dock window shows more than its bar";
    runTool("import", { "-window", "root", screenshotPath("bottom.png") });

    const QStringList strips = visibleWindowsNamed(QStringLiteral("orbitShelf auto-show strip"));
    ASSERT_EQ(strips.size(), 1);
    EXPECT_EQ(windowGeometry(strips.first()), QRect(-2, 1060, 1920, 20));
}

TEST(DockOnX11, ClickOutsideTheBarReachesTheWindowBelow)
{
    DockRun run({});
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty()) << run.log().toStdString();

    // An xterm under the dock window and under the bar, another one away
    // from it to hold the focus first.
    const qint64 below = spawn("xterm", { "-T", "below the dock", "-geometry", "80x12+700+860" });
    const qint64 other = spawn("xterm", { "-T", "elsewhere", "-geometry", "40x5+50+50" });
    const QString belowId = waitForWindow(QStringLiteral("below the dock"));
    const QString otherId = waitForWindow(QStringLiteral("elsewhere"));
    ASSERT_FALSE(belowId.isEmpty());
    ASSERT_FALSE(otherId.isEmpty());
    const QRect belowFrame = windowGeometry(belowId);
    ASSERT_TRUE(belowFrame.contains(960, 950)) << "xterm at " << belowFrame.x() << "," << belowFrame.y();

    runTool("xdotool", { "windowactivate", "--sync", otherId });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == otherId; }));

    // On the bar, left of its first button: the dock takes the click and
    // the focus stays.
    std::vector<LoggedBarItem> bar;
    ASSERT_TRUE(waitUntil([&] {
        bar = loggedBar(run.log());
        return !bar.empty();
    })) << run.log().toStdString();
    const QPoint onBar(bar.front().rect.left() - 4, bar.front().rect.center().y());
    runTool("xdotool",
        { "mousemove", "--sync", QString::number(onBar.x()), QString::number(onBar.y()), "click", "1" });
    QCoreApplication::processEvents();
    EXPECT_FALSE(waitUntil([&] { return activeWindow() == belowId; }, std::chrono::milliseconds(800)))
        << "a click on the bar reached the window below";

    // Inside the dock window but off the bar (and clear of the main button's
    // popover, which the click on the bar may have opened above it): the
    // xterm below gets it.
    runTool("xdotool", { "mousemove", "--sync", "730", "950", "click", "1" });
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == belowId; }))
        << "the click above the bar did not reach the xterm under the dock window";

    terminate(below);
    terminate(other);
}

TEST(DockOnX11, OwnWindowsStayOutOfTheWindowList)
{
    DockRun run({});
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("orbitShelf dock")).isEmpty()) << run.log().toStdString();
    const qint64 term = spawn("xterm", { "-T", "listed terminal", "-geometry", "40x5+50+50" });
    ASSERT_FALSE(waitForWindow(QStringLiteral("listed terminal")).isEmpty());

    QString error;
    const std::unique_ptr<platform::Platform> desktop = platform::x11::createX11Platform(&error);
    ASSERT_TRUE(desktop) << error.toStdString();
    QStringList titles;
    for (const platform::ServerWindow& window : desktop->windowServer().windowList())
        titles << window.title.value_or(QString());
    EXPECT_TRUE(titles.contains("listed terminal")) << titles.join(", ").toStdString();
    EXPECT_FALSE(titles.contains("orbitShelf dock")) << titles.join(", ").toStdString();
    EXPECT_FALSE(titles.contains("orbitShelf auto-show strip")) << titles.join(", ").toStdString();
    terminate(term);
}

struct SideRow {
    const char* position;
    QRect window;
    QPoint onBar;
};

TEST(DockOnX11, SidePositionsMoveTheBarToThoseEdges)
{
    const SideRow rows[] = {
        // Left: the window starts 20 left of the screen; the bar hugs x = 0.
        { "left", QRect(-20, 0, 500, 1080), QPoint(25, 1080 / 2 - 18) },
        // Right: the window hangs 10 past the right edge; the bar hugs it.
        { "right", QRect(1430, 0, 500, 1080), QPoint(1919 - 25, 1080 / 2 - 18) },
    };
    for (const SideRow& row : rows) {
        SCOPED_TRACE(row.position);
        DockRun run({ { "mainDockPosition", QString::fromLatin1(row.position) } });
        ASSERT_GT(run.start(), 0);
        const QString dock = waitForWindow(QStringLiteral("orbitShelf dock"));
        ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();
        EXPECT_EQ(windowGeometry(dock), row.window);
        EXPECT_TRUE(waitUntil([&] { return !isBackground(pixelAt(row.onBar.x(), row.onBar.y())); }))
            << "no bar at the " << row.position << " edge";
        EXPECT_TRUE(isBackground(pixelAt(960, 1053))) << "a bar is still drawn at the bottom";
        runTool("import", { "-window", "root", screenshotPath(QStringLiteral("%1.png").arg(row.position)) });
        run.stop();
        EXPECT_TRUE(
            waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf dock")).isEmpty(); }));
    }
}

TEST(DockOnX11, AutoShowStripBringsBackAnAutoHiddenBar)
{
    const QString screen = screenKeyOfOutput(QStringLiteral("screen"));
    DockRun run({ { "autoHideDock", mapRawValue({ { screen, QStringLiteral("true") } }) } });
    runTool("xdotool", { "mousemove", "--sync", "960", "400" });
    ASSERT_GT(run.start(), 0);
    const QString dock = waitForWindow(QStringLiteral("orbitShelf dock"));
    ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();

    // Hidden: nothing drawn where the bar would be, and clicks pass.
    ASSERT_FALSE(waitUntil([] { return !isBackground(pixelAt(960, 1053)); }, std::chrono::seconds(2)))
        << "an auto-hidden bar is drawn";

    // The pointer reaches the bottom edge: the strip shows the bar again.
    runTool("xdotool", { "mousemove", "--sync", "960", "1079" });
    EXPECT_TRUE(waitUntil([] { return !isBackground(pixelAt(960, 1053)); }))
        << "the bar did not come back when the pointer entered the strip\n"
        << run.log().toStdString();
    runTool("xdotool", { "mousemove", "--sync", "960", "400" });
}

} // namespace

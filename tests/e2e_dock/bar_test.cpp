// The real orbitShelf on the private display: the bar's windows, where they
// stand, what they let through, and the edges it moves to.
#include "platform/x11/X11Platform.h"
#include "state/MapSetting.h"
#include "tests/support/X11TestTools.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

const QPoint kBottomCentre(960, 1053);

// The pixels of `area` that show black: where nothing composites, a pixel
// inside a window's shape that the window did not paint. The root is
// given a colour of its own, so that black is never the background.
QStringList unpaintedPixels(const QRect& area)
{
    QStringList black;
    const QImage picture = screenArea(area);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (isBackground(picture.pixelColor(x, y)))
                black << QStringLiteral("%1,%2").arg(area.x() + x).arg(area.y() + y);
    return black;
}

} // namespace

TEST(Bar, IsADockWindowAlongTheBottomEdgeThatTheWindowListLeavesOut)
{
    Clients clients;
    clients.xterm(QStringLiteral("listed terminal"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const QString dock = waitForWindow(kDock);
    ASSERT_FALSE(dock.isEmpty()) << run.log().toStdString();

    EXPECT_TRUE(property(dock, QStringLiteral("_NET_WM_WINDOW_TYPE"))
                    .contains(QLatin1String("_NET_WM_WINDOW_TYPE_DOCK")));
    const QString state = property(dock, QStringLiteral("_NET_WM_STATE"));
    for (const char* flag :
        { "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" })
        EXPECT_TRUE(state.contains(QLatin1String(flag))) << flag;
    EXPECT_TRUE(property(dock, QStringLiteral("_NET_WM_DESKTOP")).contains(QLatin1String("4294967295")));

    // The window spans the screen's bottom 500 pixels; the bar alone is
    // drawn, on its bottom edge.
    EXPECT_EQ(windowGeometry(dock), QRect(0, 580, 1920, 500));
    EXPECT_TRUE(waitUntil([] { return !isBackground(pixelAt(kBottomCentre)); }))
        << "no bar at the bottom centre";
    EXPECT_TRUE(isBackground(pixelAt(QPoint(960, 700)))) << "the dock window shows more than its bar";
    const QStringList strips = visibleWindowsNamed(QStringLiteral("orbitShelf auto-show strip"));
    ASSERT_EQ(strips.size(), 1);
    // Kept inside the screen: its frame starts 2 left of it.
    EXPECT_EQ(windowGeometry(strips.first()), QRect(0, 1060, 1918, 20));

    // Seen from another process through the X11 layer.
    QString error;
    const auto desktop = platform::x11::createX11Platform(&error);
    ASSERT_TRUE(desktop) << error.toStdString();
    QStringList titles;
    for (const platform::ServerWindow& window : desktop->windowServer().windowList())
        titles << window.title.value_or(QString());
    EXPECT_EQ(titles, QStringList { QStringLiteral("listed terminal") });
}

TEST(Bar, AClickOffTheBarReachesTheWindowBelowIt)
{
    Clients clients;
    const auto below = clients.xterm(QStringLiteral("below the dock"), QStringLiteral("80x12+700+860"));
    const auto elsewhere = clients.xterm(QStringLiteral("elsewhere"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return !loggedBar(run.log()).empty(); })) << run.log().toStdString();
    ASSERT_TRUE(windowGeometry(below.id).contains(730, 950));
    xdotool({ "windowactivate", "--sync", elsewhere.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == elsewhere.id; }));

    // Inside the dock window, above the bar (every click test on the bar's
    // buttons shows that the bar itself takes its clicks).
    click(QPoint(730, 950));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == below.id; }))
        << "the dock window took a click off its bar";
}

TEST(Bar, AnAutoHiddenBarComesBackWhenThePointerReachesTheStrip)
{
    movePointer(QPoint(960, 400));
    DockRun run({ { "autoHideDock",
        mapRawValue({ { screenKeyOfOutput(QStringLiteral("screen")), QStringLiteral("true") } }) } });
    ASSERT_GT(run.start(), 0);
    // The strip is made after the dock window.
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("auto-show strip for")); }))
        << run.log().toStdString();
    EXPECT_TRUE(isBackground(pixelAt(kBottomCentre))) << "an auto-hidden bar is drawn";

    movePointer(QPoint(960, 1079));
    EXPECT_TRUE(waitUntil([] { return !isBackground(pixelAt(kBottomCentre)); })) << run.log().toStdString();
    movePointer(QPoint(960, 400));
}

TEST(Bar, TheSettingsMenuMovesTheBarToTheLeftEdge)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(openSettingsMenu(run)) << run.log().toStdString();
    // "Dock Position" is the first entry, "Left" the first of its submenu.
    xdotool({ "key", "Down", "Right", "Return" });

    // The window starts 20 left of the screen; the bar hugs x = 0.
    EXPECT_TRUE(waitUntil([&] { return windowGeometry(waitForWindow(kDock)) == QRect(-20, 0, 500, 1080); }))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([] { return !isBackground(pixelAt(QPoint(25, 1080 / 2 - 18))); }))
        << "no bar at the left edge";
    EXPECT_TRUE(isBackground(pixelAt(kBottomCentre))) << "a bar is still drawn at the bottom";
}

TEST(Bar, NothingUnpaintedAroundTheMainButtonOnABottomOrSideBar)
{
    ColouredRoot root;
    for (const char* edge : { "bottom", "left" }) {
        SCOPED_TRACE(edge);
        DockRun run(std::map<QString, QVariant> {
            { QStringLiteral("mainDockPosition"), QString::fromLatin1(edge) } });
        ASSERT_GT(run.start(), 0);
        std::optional<LoggedBarItem> main;
        ASSERT_TRUE(waitUntil([&] {
            for (const LoggedBarItem& item : loggedBar(run.log()))
                if (item.kind == LoggedBarItem::mainButton)
                    main = item;
            return main.has_value();
        })) << run.log().toStdString();
        // The pointer rests on it, as after a click.
        movePointer(main->rect.center());
        movePointer(main->rect.center() + QPoint(1, 0));
        const QRect button = main->rect;
        // The band beyond the bar's inner edge along the main button.
        const QRect band = QLatin1String(edge) == QLatin1String("left")
            ? QRect(button.right() + 1, button.top() - 8, 8, button.height() + 16)
            : QRect(button.left() - 8, button.top() - 8, button.width() + 16, 8);
        ASSERT_TRUE(waitUntil([&] { return !isBackground(pixelAt(button.center())); }))
            << "no bar drawn\n"
            << run.log().toStdString();
        // Half a second on: long enough for a shape that grows on hover.
        QElapsedTimer resting;
        resting.start();
        waitUntil([&] { return resting.elapsed() >= 500; });
        const QStringList black = unpaintedPixels(band);
        EXPECT_TRUE(black.isEmpty()) << black.size() << " unpainted pixels in the window's shape: "
                                     << black.mid(0, 12).join(' ').toStdString();
        movePointer(QPoint(960, 400));
    }
}

// The screen's edge along the bar: a user throws the pointer against it to
// reach the bar, and a hidden dock keeps its reveal strip on the same row.
#include "tests/e2e_wms/OtherDesktop.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// Where plank takes the pointer on the screen. Hidden, it is a strip along
// the edge: without a compositor plank moves its window below the screen,
// with one it cuts its input shape.
QRect plankReach(const QString& plank)
{
    const QRect window = windowGeometry(plank);
    const std::optional<QRegion> input = inputShape(plank.toUInt());
    return input ? input->boundingRect().translated(window.topLeft()).intersected(kScreen) : QRect();
}

bool plankHidden(const QString& plank)
{
    const QRect reach = plankReach(plank);
    return !reach.isEmpty() && reach.height() <= 2;
}

// What a failure shows: the window the pointer is on, and where the band
// under the bar takes it.
std::string whereThePointerIs()
{
    QString shown = xdotool({ "getmouselocation" });
    for (const QString& id : visibleWindowsNamed(QStringLiteral("orbitShelf dock edge")))
        for (const QRect& r : inputShape(id.toUInt()).value_or(QRegion()))
            shown += QStringLiteral("\nthe band at %1 takes %2,%3 %4x%5")
                         .arg(windowGeometry(id).x())
                         .arg(r.x())
                         .arg(r.y())
                         .arg(r.width())
                         .arg(r.height());
    return shown.toStdString();
}

} // namespace

// openbox, plank set to hide (hide-mode "auto") before it starts, and two
// xterms. The bar stands 2 points off the bottom edge, over plank's reveal
// strip: a click on the screen's last row under a window's button activates
// that window every time, and plank stays down while the pointer rests
// there. With the bar on the right, which touches its edge, the same on the
// last column.
TEST(BarEdge, AClickOnTheScreensEdgeUnderAWindowsButtonActivatesItOverAHiddenPlank)
{
    OtherDesktop desktop(WindowManager::openbox);
    movePointer(QPoint(960, 400));
    DockRun run;
    const UserSession session(run);
    ASSERT_FALSE(session.failed()) << "no session bus (dbus-daemon)";
    const QStringList& asUser = session.asUser();
    runTool(QStringLiteral("env"),
        asUser
            + QStringList { "gsettings", "set",
                "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/", "hide-mode", "auto" });

    Clients clients;
    const auto plank = clients.program(
        QStringLiteral("env"), asUser + QStringList { QStringLiteral("plank") }, QStringLiteral("plank"));
    ASSERT_FALSE(plank.id.isEmpty()) << "plank did not show";
    const auto one = plainTerminal(clients, QStringLiteral("edge one"), QStringLiteral("40x5+100+100"));
    const auto two = plainTerminal(clients, QStringLiteral("edge two"), QStringLiteral("40x5+700+100"));
    ASSERT_FALSE(one.id.isEmpty() || two.id.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return plankHidden(plank.id); })) << "plank did not hide";
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();

    // Six clicks at `edge` (from a button's rect) under the button of the
    // window that is not active: each activates that window. `resting`
    // watches while the pointer rests there before its click.
    auto clickEach = [&](qsizetype from, const std::function<QPoint(const QRect&)>& edge,
                         const std::function<void()>& resting) {
        std::map<QString, QRect> buttons;
        for (const QString& window : { one.id, two.id }) {
            const auto button = waitForBarItem(
                run, [&](const LoggedBarItem& i) { return i.window == window; }, from);
            ASSERT_TRUE(button) << run.log().toStdString();
            buttons[window] = button->rect;
        }
        for (int round = 0; round < 6; ++round) {
            SCOPED_TRACE(round);
            const QString target = activeWindow() == one.id ? two.id : one.id;
            movePointer(edge(buttons[target]));
            resting();
            xdotool({ "click", "1" });
            EXPECT_TRUE(waitUntil([&] { return activeWindow() == target; }, std::chrono::seconds(5)))
                << "active: " << activeWindow().toStdString() << "\n"
                << whereThePointerIs();
        }
    };

    {
        SCOPED_TRACE("bottom");
        // The first window's button stands over plank's strip.
        const auto over = waitForWindowButton(run, one.id);
        ASSERT_TRUE(over && plankReach(plank.id).contains(QPoint(over->rect.center().x(), kScreen.bottom())))
            << "plank takes " << plankReach(plank.id).x() << "+" << plankReach(plank.id).width();
        waitForWindow(QStringLiteral("orbitShelf dock edge"));
        clickEach(
            0, [](const QRect& b) { return QPoint(b.center().x(), kScreen.bottom()); },
            [&] {
                QElapsedTimer resting;
                resting.start();
                bool hidden = true;
                waitUntil([&] { return !(hidden = plankHidden(plank.id)) || resting.elapsed() >= 1000; },
                    std::chrono::seconds(5));
                EXPECT_TRUE(hidden) << "plank rose under the bar\n" << whereThePointerIs();
            });
        screenshot(QStringLiteral("edge-bottom"));
    }

    {
        SCOPED_TRACE("right");
        const qsizetype mark = run.log().size();
        ASSERT_TRUE(chooseFromBarMenuUntil(run, QStringLiteral("Dock Position"), { "Down", "Down", "Return" },
            [&] {
                const auto bar = loggedBar(run.log().mid(mark));
                return !bar.empty() && bar.front().rect.left() > 1800;
            }))
            << run.log().mid(mark).toStdString();
        ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();
        clickEach(
            mark, [](const QRect& b) { return QPoint(kScreen.right(), b.center().y()); }, [] {});
        screenshot(QStringLiteral("edge-right"));
    }
}

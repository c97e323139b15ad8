// Dragging buttons of the real orbitShelf's bar: a drop on another program's
// button puts the dragged one right after it, also from the far end; a drop
// on a button that is no program's, or off the bar, changes nothing.
#include "tests/e2e_dock_input/BarInput.h"

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// Drags from `from` to `onto` as a hand does: far enough for a drag to
// begin, then over the target in a few steps so that the drag sees it.
bool drag(const DockRun& run, QPoint from, QPoint onto)
{
    const qsizetype drags = run.log().count(QLatin1String("dragging application"));
    movePointer(from);
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 4; ++step)
        movePointer(from + QPoint(step * 6, -step));
    const bool began
        = waitUntil([&] { return run.log().count(QLatin1String("dragging application")) > drags; });
    for (int step = 1; step <= 5; ++step)
        movePointer(from + (onto - from) * step / 5);
    movePointer(onto + QPoint(1, 0));
    xdotool({ "mouseup", "1" });
    return began;
}

} // namespace

TEST(BarDrag, ADropReordersOnlyOnAnotherProgramsButton)
{
    Clients clients;
    const auto first = clients.xterm(QStringLiteral("drag first"), QStringLiteral("40x5+50+50"));
    const auto second = clients.xterm(QStringLiteral("drag second"), QStringLiteral("40x5+600+50"));
    const auto third = clients.xterm(QStringLiteral("drag third"), QStringLiteral("40x5+1200+50"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const std::vector<qint64> started { first.pid, second.pid, third.pid };
    const auto order = [&] {
        std::vector<qint64> pids;
        for (const LoggedBarItem& item : loggedBar(run.log()))
            if (std::find(started.begin(), started.end(), item.pid) != started.end())
                pids.push_back(item.pid);
        return pids;
    };
    ASSERT_TRUE(waitUntil([&] { return order().size() == 3; })) << run.log().toStdString();
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();
    const auto centreOf = [&](qint64 pid) {
        const auto item = waitForBarItem(
            run, [pid](const LoggedBarItem& i) { return i.pid == pid; },
            run.log().lastIndexOf(QLatin1String("bar rows of")));
        return item ? item->rect.center() : QPoint();
    };
    const auto main = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(main);

    // The last one dropped on the first: right after it.
    const std::vector<qint64> before = order();
    ASSERT_TRUE(drag(run, centreOf(before[2]), centreOf(before[0]))) << run.log().toStdString();
    const std::vector<qint64> moved { before[0], before[2], before[1] };
    EXPECT_TRUE(waitUntil([&] { return order() == moved; })) << run.log().toStdString();

    // Dropped on the main button, or off the bar: refused, nothing moves.
    // The bar's menu opens once the drag has ended.
    struct Refused {
        const char* what;
        QPoint onto;
    };
    for (const Refused& row : { Refused { "on the main button", main->rect.center() },
             Refused { "off the bar", QPoint(960, 400) } }) {
        SCOPED_TRACE(row.what);
        const qsizetype mark = run.log().size();
        ASSERT_TRUE(drag(run, centreOf(moved[0]), row.onto)) << run.log().toStdString();
        EXPECT_FALSE(openBarMenu(run).titles.isEmpty());
        ASSERT_TRUE(closeMenus(run));
        EXPECT_EQ(order(), moved);
        EXPECT_FALSE(run.log().mid(mark).contains(QLatin1String("moving application")))
            << run.log().mid(mark).toStdString();
    }
    movePointer(QPoint(960, 400));
}

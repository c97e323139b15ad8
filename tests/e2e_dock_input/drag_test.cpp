// Dragging buttons of the real orbitShelf's bar: a drop on another program's
// button puts the dragged one right after it (on its trailing half) or right
// before it (its leading half), also from the far end; a drop on the main
// button puts it first; a drop off the bar changes nothing.
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

TEST(BarDrag, ADropGoesBesideTheButtonItFellOnOrFirstFromTheMainButton)
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
    const auto rectOf = [&](qint64 pid) {
        const auto item = waitForBarItem(
            run, [pid](const LoggedBarItem& i) { return i.pid == pid; },
            run.log().lastIndexOf(QLatin1String("bar rows of")));
        return item ? item->rect : QRect();
    };
    const auto main = waitForKind(run, LoggedBarItem::mainButton);
    ASSERT_TRUE(main);

    // The last one dropped on the first's trailing half: right after it.
    const std::vector<qint64> before = order();
    ASSERT_TRUE(drag(run, rectOf(before[2]).center(), rectOf(before[0]).center())) << run.log().toStdString();
    std::vector<qint64> expected { before[0], before[2], before[1] };
    EXPECT_TRUE(waitUntil([&] { return order() == expected; })) << run.log().toStdString();

    // The last one on the first's leading half: before it, first of all.
    const QRect firstButton = rectOf(expected[0]);
    ASSERT_TRUE(drag(run, rectOf(expected[2]).center(),
        QPoint(firstButton.left() + firstButton.width() / 4, firstButton.center().y())))
        << run.log().toStdString();
    expected = { expected[2], expected[0], expected[1] };
    EXPECT_TRUE(waitUntil([&] { return order() == expected; })) << run.log().toStdString();

    // The last one on the main button: first again.
    ASSERT_TRUE(drag(run, rectOf(expected[2]).center(), main->rect.center())) << run.log().toStdString();
    expected = { expected[2], expected[0], expected[1] };
    EXPECT_TRUE(waitUntil([&] { return order() == expected; })) << run.log().toStdString();

    // Off the bar: refused, nothing moves. The bar's menu opens once the
    // drag has ended.
    const qsizetype mark = run.log().size();
    ASSERT_TRUE(drag(run, rectOf(expected[0]).center(), QPoint(960, 400))) << run.log().toStdString();
    EXPECT_FALSE(openBarMenu(run).titles.isEmpty());
    ASSERT_TRUE(closeMenus(run));
    EXPECT_EQ(order(), expected);
    EXPECT_FALSE(run.log().mid(mark).contains(QLatin1String("moving application")))
        << run.log().mid(mark).toStdString();
    movePointer(QPoint(960, 400));
}

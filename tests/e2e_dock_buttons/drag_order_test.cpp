// The real orbitShelf on a private Xvfb + openbox: dragging one
// application's button onto another's reorders the bar.
#include "tests/support/X11TestTools.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <vector>

using namespace orbitshelf::test;

namespace {

constexpr auto kStart = std::chrono::seconds(20);

struct BarButton {
    qint64 pid = 0;
    QRect rect;
};

// The newest "bar buttons:" line of the log: each button's process id and
// its rectangle on the screen, in bar order.
std::vector<BarButton> latestBarButtons(const QString& log)
{
    const qsizetype at = log.lastIndexOf(QStringLiteral("bar buttons:"));
    if (at < 0)
        return {};
    const QString line = log.mid(at).section(QLatin1Char('\n'), 0, 0);
    std::vector<BarButton> buttons;
    static const QRegularExpression entry(QStringLiteral("(\\d+)@(-?\\d+),(-?\\d+),(\\d+)x(\\d+)"));
    for (auto it = entry.globalMatch(line); it.hasNext();) {
        const auto m = it.next();
        buttons.push_back({ m.captured(1).toLongLong(),
            QRect(m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt(),
                m.captured(5).toInt()) });
    }
    return buttons;
}

std::vector<qint64> orderOf(const std::vector<BarButton>& buttons, const std::vector<qint64>& wanted)
{
    std::vector<qint64> order;
    for (const BarButton& b : buttons) {
        if (std::find(wanted.begin(), wanted.end(), b.pid) != wanted.end())
            order.push_back(b.pid);
    }
    return order;
}

// Where a picture of the bar is kept for people to look at.
QString screenshotPath(const QString& name)
{
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/e2e_dock_screenshots");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + name;
}

QString xdotool(const QStringList& arguments)
{
    return runTool(QStringLiteral("xdotool"), arguments);
}

QStringList moveTo(const QPoint& p)
{
    return { QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(p.x()),
        QString::number(p.y()) };
}

TEST(DockButtonsOnX11, DraggingAButtonOntoAnotherPutsItAfterThatOne)
{
    const qint64 first = spawn("xterm", { "-T", "first terminal", "-geometry", "40x5+50+50" });
    const qint64 second = spawn("xterm", { "-T", "second terminal", "-geometry", "40x5+50+300" });
    ASSERT_GT(first, 0);
    ASSERT_GT(second, 0);
    ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("first terminal").isEmpty(); }, kStart));
    ASSERT_TRUE(waitUntil([] { return !visibleWindowsNamed("second terminal").isEmpty(); }, kStart));

    DockRun run({});
    ASSERT_GT(run.start(), 0);
    const std::vector<qint64> terms { first, second };
    std::vector<BarButton> buttons;
    ASSERT_TRUE(waitUntil(
        [&] {
            buttons = latestBarButtons(run.log());
            return orderOf(buttons, terms).size() == 2;
        },
        kStart))
        << run.log().toStdString();

    const std::vector<qint64> before = orderOf(buttons, terms);
    auto rectOf = [&](qint64 pid) {
        for (const BarButton& b : buttons) {
            if (b.pid == pid)
                return b.rect;
        }
        return QRect();
    };
    const qint64 dragged = before[0];
    const qint64 target = before[1];
    const QPoint from = rectOf(dragged).center();
    const QPoint onto = rectOf(target).center();
    ASSERT_FALSE(rectOf(dragged).isEmpty());

    // Press on the first button and move far enough for a drag to begin.
    xdotool(moveTo(from));
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 4; ++step)
        xdotool(moveTo(from + QPoint(step * 6, -step)));
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QStringLiteral("dragging application")); }))
        << run.log().toStdString();
    // Over the target, a few steps so that the drag sees it, then release.
    for (int step = 1; step <= 5; ++step)
        xdotool(moveTo(from + (onto - from) * step / 5));
    xdotool({ "mousemove", "--sync", QString::number(onto.x() + 1), QString::number(onto.y()) });
    xdotool({ "mouseup", "1" });

    // moveAppOrder puts the dragged application right after the target, and
    // the bar shows the new order.
    const QString moved = QStringLiteral("moving application %1 next to %2").arg(dragged).arg(target);
    EXPECT_TRUE(waitUntil([&] { return run.log().contains(moved); }, std::chrono::seconds(10)))
        << run.log().toStdString();
    std::vector<qint64> after;
    EXPECT_TRUE(waitUntil(
        [&] {
            after = orderOf(latestBarButtons(run.log()), terms);
            return after == std::vector<qint64> { target, dragged };
        },
        std::chrono::seconds(10)))
        << run.log().toStdString();

    runTool("import", { "-window", "root", "-crop", "500x80+710+1000", screenshotPath("reordered.png") });
    run.stop();
    terminate(first);
    terminate(second);
}

} // namespace

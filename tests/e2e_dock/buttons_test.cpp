// The real orbitShelf's buttons under real pointer input: clicks that bring
// a window forward and minimise it, the window list of a stacked button, a
// drag that reorders the bar, and a pinned entry that launches.
#include "state/Persistence.h"
#include "tests/support/X11TestTools.h"

#include <QTemporaryDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

std::optional<LoggedBarItem> itemWhere(
    const DockRun& run, const std::function<bool(const LoggedBarItem&)>& wanted)
{
    for (const LoggedBarItem& item : loggedBar(run.log()))
        if (wanted(item))
            return item;
    return std::nullopt;
}

// The bar's item for this window, once the bar shows it.
std::optional<LoggedBarItem> buttonOf(const DockRun& run, const QString& window)
{
    std::optional<LoggedBarItem> item;
    waitUntil(
        [&] {
            return (item = itemWhere(run, [&](const auto& i) { return i.window == window; })).has_value();
        },
        std::chrono::seconds(10));
    return item;
}

} // namespace

TEST(BarButtons, AClickBringsTheWindowForwardAndASecondOneMinimisesIt)
{
    Clients clients;
    const auto other = clients.xterm(QStringLiteral("rows other"));
    const auto clicked = clients.xterm(QStringLiteral("rows clicked"), QStringLiteral("40x5+600+300"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto button = buttonOf(run, clicked.id);
    ASSERT_TRUE(button && buttonOf(run, other.id)) << run.log().toStdString();

    xdotool({ "windowactivate", "--sync", other.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == other.id; }));
    click(button->rect.center());
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == clicked.id; })) << run.log().toStdString();
    click(button->rect.center());
    EXPECT_TRUE(waitUntil([&] {
        return property(clicked.id, QStringLiteral("_NET_WM_STATE"))
            .contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
    })) << run.log().toStdString();
}

TEST(BarButtons, AfterAnotherProgramRestoredTheWindowTheFirstClickMinimisesIt)
{
    Clients clients;
    const auto other = clients.xterm(QStringLiteral("restore other"));
    const auto restored = clients.xterm(QStringLiteral("restored elsewhere"), QStringLiteral("40x5+600+300"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto button = buttonOf(run, restored.id);
    ASSERT_TRUE(button && buttonOf(run, other.id)) << run.log().toStdString();
    const auto hidden = [&] {
        return property(restored.id, QStringLiteral("_NET_WM_STATE"))
            .contains(QLatin1String("_NET_WM_STATE_HIDDEN"));
    };

    // Brought forward and minimised from the bar.
    click(button->rect.center());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == restored.id; })) << run.log().toStdString();
    click(button->rect.center());
    ASSERT_TRUE(waitUntil(hidden)) << run.log().toStdString();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // Brought back by another program, as a pager or a script does.
        runTool(QStringLiteral("wmctrl"), { "-i", "-a", restored.id });
        ASSERT_TRUE(waitUntil([&] { return !hidden() && activeWindow() == restored.id; }));
        click(button->rect.center());
        EXPECT_TRUE(waitUntil(hidden)) << "the first click after the restore did not minimise\n"
                                       << run.log().toStdString();
        if (!hidden())
            return;
    }
}

TEST(BarButtons, AStackedButtonListsItsWindowsAndTheClickedOneComesForward)
{
    Clients clients;
    QTemporaryDir logs;
    // A program with two windows, the second a moment after the first.
    const auto stacked = clients.own(QStringLiteral("second-window"), QStringLiteral("stacked program"),
        logs.filePath(QStringLiteral("client.log")), QStringLiteral("stacked program 1"), { QStringLiteral("200") });
    const QString secondId = waitForWindow(QStringLiteral("stacked program 2"));
    ASSERT_FALSE(secondId.isEmpty());
    const auto other = clients.xterm(QStringLiteral("other terminal"), QStringLiteral("40x5+50+300"));
    // With a limit of two (the least a stack takes), an application with two
    // windows is one stacked button.
    DockRun run({ { QStringLiteral("stackAppLimit"), 2 } });
    ASSERT_GT(run.start(), 0);
    std::optional<LoggedBarItem> button;
    ASSERT_TRUE(waitUntil([&] {
        return (button = itemWhere(run, [&](const auto& i) {
            return i.pid == stacked.pid && i.kind == LoggedBarItem::stackButton;
        })).has_value();
    })) << run.log().toStdString();
    xdotool({ "windowactivate", "--sync", other.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == other.id; }));

    click(button->rect.center());
    const QString list = waitForWindow(QStringLiteral("orbitShelf windows"));
    ASSERT_FALSE(list.isEmpty()) << run.log().toStdString();
    const QRect listRect = windowGeometry(list);
    EXPECT_EQ(listRect.width(), 300);
    // Its first row: one of the program's two windows.
    click(QPoint(listRect.center().x(), listRect.top() + 8));
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == stacked.id || activeWindow() == secondId; }))
        << run.log().toStdString();
    EXPECT_TRUE(
        waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf windows")).isEmpty(); }));
}

TEST(BarButtons, DraggingAButtonOntoAnotherPutsItAfterThatOne)
{
    Clients clients;
    const auto first = clients.xterm(QStringLiteral("first terminal"));
    const auto second = clients.xterm(QStringLiteral("second terminal"), QStringLiteral("40x5+50+300"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto order = [&] {
        std::vector<qint64> pids;
        for (const LoggedBarItem& item : loggedBar(run.log()))
            if (item.pid == first.pid || item.pid == second.pid)
                pids.push_back(item.pid);
        return pids;
    };
    ASSERT_TRUE(waitUntil([&] { return order().size() == 2; })) << run.log().toStdString();
    const std::vector<qint64> before = order();
    const QPoint from = itemWhere(run, [&](const auto& i) { return i.pid == before[0]; })->rect.center();
    const QPoint onto = itemWhere(run, [&](const auto& i) { return i.pid == before[1]; })->rect.center();

    // Far enough for a drag to begin, then over the target in a few steps
    // so that the drag sees it.
    movePointer(from);
    xdotool({ "mousedown", "1" });
    for (int step = 1; step <= 4; ++step)
        movePointer(from + QPoint(step * 6, -step));
    ASSERT_TRUE(waitUntil([&] { return run.log().contains(QLatin1String("dragging application")); }))
        << run.log().toStdString();
    for (int step = 1; step <= 5; ++step)
        movePointer(from + (onto - from) * step / 5);
    movePointer(onto + QPoint(1, 0));
    xdotool({ "mouseup", "1" });

    EXPECT_TRUE(waitUntil([&] {
        return order() == std::vector<qint64> { before[1], before[0] };
    })) << run.log().toStdString();
}

TEST(BarButtons, APinnedEntryLaunchesAndBecomesARunningApplication)
{
    Clients clients;
    const auto neighbour = clients.xterm(QStringLiteral("pin neighbour"));
    DockRun run;
    QDir().mkpath(run.dataHome() + QStringLiteral("/applications"));
    QFile entry(run.dataHome() + QStringLiteral("/applications/org.example.Pinned.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(
        "[Desktop Entry]\nType=Application\nName=Pinned\nExec=xmessage -geometry +900+300 pinned-launched\n");
    entry.close();
    {
        QDir().mkpath(QFileInfo(run.storePath()).absolutePath());
        QString error;
        auto store = PersistenceController::open(run.storePath(), &error);
        ASSERT_TRUE(store) << error.toStdString();
        ASSERT_TRUE(store->insert(Entity::PinnedApps,
            { { "appBundleName", "xmessage" }, { "appName", "Pinned" },
                { "bundleIdentifier", "org.example.Pinned.desktop" } }));
        ASSERT_TRUE(store->save());
    }
    ASSERT_GT(run.start(), 0);
    const auto isPinned = [](const LoggedBarItem& i) { return i.kind == LoggedBarItem::pinnedApp; };
    // Clicked only once the bar has settled with both buttons on it.
    ASSERT_TRUE(buttonOf(run, neighbour.id));
    std::optional<LoggedBarItem> pinned;
    ASSERT_TRUE(waitUntil([&] { return (pinned = itemWhere(run, isPinned)).has_value(); }))
        << run.log().toStdString();
    click(pinned->rect.center());

    const QString launched = waitForWindow(QStringLiteral("xmessage"));
    ASSERT_FALSE(launched.isEmpty()) << "the pinned entry did not start its program\n"
                                     << run.log().toStdString();
    EXPECT_TRUE(buttonOf(run, launched));
    EXPECT_TRUE(waitUntil([&] { return !itemWhere(run, isPinned); }))
        << "the pinned button stayed beside the running application";
    // The dock's child, not ours.
    xdotool({ "search", "--name", "^xmessage$", "windowkill" });
}

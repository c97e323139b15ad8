// The bar as a user meets it in the first hour: "Quit" lets a program ask to
// save, a program's second window gets its button at once, the focus marker
// follows focus moved elsewhere and shows on the window in front from the
// first bar after a start and a restart, every button stays on the screen
// and a shown bar keeps maximised windows off its edge.
#include "state/MapSetting.h"
#include "state/Persistence.h"
#include "tests/support/X11TestTools.h"

#include <QImage>
#include <QUrl>

#include <signal.h>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

std::optional<LoggedBarItem> barItemOf(const DockRun& run, const QString& window)
{
    std::optional<LoggedBarItem> found;
    waitUntil(
        [&] {
            for (const LoggedBarItem& item : loggedBar(run.log()))
                if (item.window == window)
                    found = item;
            return found.has_value();
        },
        std::chrono::seconds(10));
    return found;
}

// Opens a window button's menu and picks `entry`.
bool pickFromWindowMenu(const DockRun& run, const QRect& button, const QString& entry)
{
    const qsizetype menusBefore = run.log().count(QLatin1String("window menu:"));
    click(button.center(), 3);
    if (!waitUntil([&] { return run.log().count(QLatin1String("window menu:")) > menusBefore; }))
        return false;
    const std::optional<QRect> rect = run.loggedRect(QStringLiteral("window menu:.*%1@").arg(entry));
    if (!rect)
        return false;
    click(rect->center());
    return true;
}

// Whether the first bar in `log` that shows `window`'s button marks it
// focused: the last focus line before that bar names it.
bool markedOnItsFirstBar(const QString& log, const QString& window)
{
    const qsizetype button
        = log.indexOf(QRegularExpression(QStringLiteral("bar item .* window %1 at ").arg(window)));
    if (button < 0)
        return false;
    const QRegularExpression focusLine(QStringLiteral("marks window (\\d*) focused"));
    QString marked;
    for (auto it = focusLine.globalMatch(log.left(button)); it.hasNext();)
        marked = it.next().captured(1);
    return marked == window;
}

} // namespace

TEST(RealUse, QuitAsksTheProgramToCloseAndNeverSendsASignal)
{
    QTemporaryDir dir;
    const QString clientLog = dir.filePath(QStringLiteral("asking.log"));
    Clients clients;
    const auto asking = clients.own(
        QStringLiteral("asks"), QStringLiteral("unsaved draft"), clientLog, QStringLiteral("unsaved draft"));
    const auto xterm = clients.xterm(QStringLiteral("quit terminal"), QStringLiteral("40x5+600+300"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto askingButton = barItemOf(run, asking.id);
    ASSERT_TRUE(askingButton && barItemOf(run, xterm.id)) << run.log().toStdString();

    ASSERT_TRUE(pickFromWindowMenu(run, askingButton->rect, QStringLiteral("Quit")))
        << run.log().toStdString();
    EXPECT_FALSE(waitForWindow(QStringLiteral("Save changes?")).isEmpty())
        << "the program did not get to ask";
    EXPECT_TRUE(readText(clientLog).contains(QLatin1String("asked to close")));
    EXPECT_FALSE(readText(clientLog).contains(QLatin1String("signal"))) << readText(clientLog).toStdString();
    EXPECT_FALSE(childEnded(asking.pid)) << "the asking program ended";
    EXPECT_TRUE(barItemOf(run, asking.id)) << "it stays on the bar while it asks";

    // The question is a window of its own: the bar has moved its buttons.
    ASSERT_TRUE(waitUntil([&] {
        const auto bar = loggedBar(run.log());
        return std::count_if(bar.begin(), bar.end(), [&](const auto& i) { return i.pid == asking.pid; }) == 2;
    })) << run.log().toStdString();
    const auto movedXtermButton = barItemOf(run, xterm.id);
    ASSERT_TRUE(movedXtermButton);
    ASSERT_TRUE(pickFromWindowMenu(run, movedXtermButton->rect, QStringLiteral("Quit")))
        << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] { return childEnded(xterm.pid); })) << "xterm did not end\n"
                                                                  << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        const auto bar = loggedBar(run.log());
        return std::none_of(bar.begin(), bar.end(), [&](const auto& i) { return i.window == xterm.id; });
    })) << "xterm's button stayed";
}

TEST(RealUse, ASecondWindowOfARunningProgramGetsItsButtonAtOnce)
{
    QTemporaryDir dir;
    const QString clientLog = dir.filePath(QStringLiteral("second.log"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return !loggedBar(run.log()).empty(); })) << run.log().toStdString();
    Clients clients;
    const auto first = clients.own(QStringLiteral("second-window"), QStringLiteral("two windows"), clientLog,
        QStringLiteral("two windows 1"), { QStringLiteral("700") });
    ASSERT_TRUE(barItemOf(run, first.id)) << run.log().toStdString();

    const QString second = waitForWindow(QStringLiteral("two windows 2"));
    ASSERT_FALSE(second.isEmpty());
    const auto secondButton = barItemOf(run, second);
    ASSERT_TRUE(secondButton) << run.log().toStdString();
    // How soon after its map: bench_bar_reactions measures it, where a busy
    // machine makes a slow figure and not a failure.

    // The new window has the focus, and a click on the button of the
    // window in front minimises it: the first window comes forward first.
    click(windowGeometry(first.id).center());
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == first.id; }));
    click(secondButton->rect.center());
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == second; })) << run.log().toStdString();
}

TEST(RealUse, TheFocusMarkerFollowsFocusMovedWithoutTheBar)
{
    Clients clients;
    const auto one = clients.xterm(QStringLiteral("focus one"));
    const auto two = clients.xterm(QStringLiteral("focus two"), QStringLiteral("40x5+600+300"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto twoButton = barItemOf(run, two.id);
    ASSERT_TRUE(twoButton && barItemOf(run, one.id)) << run.log().toStdString();
    xdotool({ "windowactivate", "--sync", one.id });
    ASSERT_TRUE(waitUntil([&] {
        return run.log().contains(QStringLiteral("marks window %1 focused").arg(one.id));
    })) << run.log().toStdString();
    // The marker sits 20 below the icon's centre.
    const QPoint marker = twoButton->rect.center() + QPoint(0, 20);
    const QColor unmarked = pixelAt(marker);

    // How soon: bench_bar_reactions.
    const qsizetype mark = run.log().size();
    xdotool({ "windowactivate", two.id });
    ASSERT_TRUE(waitUntil([&] {
        return run.log().mid(mark).contains(QStringLiteral("marks window %1 focused").arg(two.id));
    })) << run.log().mid(mark).toStdString();
    EXPECT_TRUE(waitUntil([&] { return pixelAt(marker) != unmarked; }))
        << "no marker drawn under the activated window's button";
}

// The window in front as the program starts, and as the bar menu's
// "Restart" brings it back, is marked on the first bar that shows its
// button, with the focus left where it was.
TEST(RealUse, TheWindowInFrontIsMarkedFromTheFirstBarAfterAStartAndARestart)
{
    Clients clients;
    const auto behind = clients.xterm(QStringLiteral("behind terminal"));
    const auto front = clients.xterm(QStringLiteral("front terminal"), QStringLiteral("40x5+600+300"));
    xdotool({ "windowactivate", "--sync", front.id });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == front.id; }));
    DockRun run;
    const qint64 first = run.start();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(barItemOf(run, front.id) && barItemOf(run, behind.id)) << run.log().toStdString();
    EXPECT_TRUE(markedOnItsFirstBar(run.log(), front.id)) << run.log().toStdString();

    const std::optional<qsizetype> restartedAt = restartFromBarMenu(run);
    ASSERT_TRUE(restartedAt) << "no restart from the menu\n" << run.log().toStdString();
    const qsizetype restarted = *restartedAt;
    const qint64 second = newBarProcess(first);
    ASSERT_GT(second, 0) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] {
        return run.log().mid(restarted).contains(QStringLiteral("window %1 at").arg(front.id));
    })) << run.log().mid(restarted).toStdString();
    EXPECT_TRUE(markedOnItsFirstBar(run.log().mid(restarted), front.id))
        << run.log().mid(restarted).toStdString();
    EXPECT_EQ(activeWindow(), front.id) << "the focus stayed where it was";
    ::kill(pid_t(second), SIGTERM);
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(kDock).isEmpty(); }));
}

TEST(RealUse, EightyWindowsStayOnTheScreenOnEveryEdge)
{
    QTemporaryDir dir;
    Clients clients;
    const auto many = clients.own(QStringLiteral("many"), QStringLiteral("crowd"),
        dir.filePath(QStringLiteral("many.log")), QStringLiteral("crowd 80"), { QStringLiteral("80") });
    ASSERT_FALSE(many.id.isEmpty());
    const QRect screen(0, 0, 1920, 1080);
    for (const char* edge : { "bottom", "left", "right" }) {
        SCOPED_TRACE(edge);
        // Never stacked: one button per window, each with its title chip.
        DockRun run({ { QStringLiteral("mainDockPosition"), QString::fromLatin1(edge) },
            { QStringLiteral("stackAppLimit"), 1000 } });
        ASSERT_GT(run.start(), 0);
        std::vector<LoggedBarItem> bar;
        ASSERT_TRUE(waitUntil([&] {
            bar = loggedBar(run.log());
            return std::count_if(bar.begin(), bar.end(), [&](const auto& i) { return i.pid == many.pid; })
                == 80;
        })) << run.log().toStdString();
        for (const LoggedBarItem& item : bar)
            EXPECT_TRUE(screen.contains(item.rect))
                << "window " << item.window.toStdString() << " at " << item.rect.x() << "," << item.rect.y();
        if (QLatin1String(edge) == QLatin1String("bottom")) {
            const LoggedBarItem& last = bar.back();
            // A dock window just mapped may not take input yet.
            EXPECT_TRUE(waitUntil([&] {
                click(last.rect.center());
                return waitUntil(
                    [&] { return activeWindow() == last.window; }, std::chrono::milliseconds(1000));
            })) << run.log().toStdString();
        }
    }
}

TEST(RealUse, AShownBarKeepsMaximisedWindowsOffItsEdge)
{
    Clients clients;
    const auto xterm = clients.xterm(QStringLiteral("maximised terminal"));
    {
        DockRun run;
        ASSERT_GT(run.start(), 0);
        const auto button = barItemOf(run, xterm.id);
        ASSERT_TRUE(button) << run.log().toStdString();
        const QString dock = waitForWindow(kDock);
        const int reserved = 1080 - button->rect.top();
        EXPECT_TRUE(waitUntil([&] {
            return property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL"))
                .contains(QStringLiteral("= 0, 0, 0, %1,").arg(reserved));
        })) << property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL")).toStdString();
        runTool(
            QStringLiteral("wmctrl"), { "-i", "-r", xterm.id, "-b", "add,maximized_vert,maximized_horz" });
        EXPECT_TRUE(waitUntil([&] {
            const QRect frame = windowGeometry(xterm.id);
            return frame.height() > 500 && frame.bottom() < button->rect.top();
        })) << "the maximised window reaches "
            << windowGeometry(xterm.id).bottom();
        runTool(
            QStringLiteral("wmctrl"), { "-i", "-r", xterm.id, "-b", "remove,maximized_vert,maximized_horz" });
    }
    DockRun hiding({ { "autoHideDock",
        mapRawValue({ { screenKeyOfOutput(QStringLiteral("screen")), QStringLiteral("true") } }) } });
    ASSERT_GT(hiding.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return hiding.log().contains(QLatin1String("reserves nothing")); }))
        << hiding.log().toStdString();
    const QString dock = waitForWindow(kDock);
    // Zeros, not a deleted strut: some window managers keep the rows of a
    // strut deleted from a mapped window.
    QString strut;
    EXPECT_TRUE(waitUntil([&] {
        strut = property(dock, QStringLiteral("_NET_WM_STRUT_PARTIAL"));
        return strut.contains(QLatin1String("= 0, 0, 0, 0,"));
    })) << "an auto-hidden bar reserves its edge: "
        << strut.toStdString();
}

TEST(RealUse, AProgramsOwnIconShowsAndItsPinStartsItAgain)
{
    QTemporaryDir dir;
    const QString clientLog = dir.filePath(QStringLiteral("icon.log"));
    Clients clients;
    const auto own = clients.own(QStringLiteral("icon"), QStringLiteral("own icon client"), clientLog,
        QStringLiteral("own icon client"));
    DockRun run;
    ASSERT_GT(run.start(), 0);
    const auto button = barItemOf(run, own.id);
    ASSERT_TRUE(button) << run.log().toStdString();
    const auto isGreen = [](const QColor& c) {
        return std::abs(c.red() - 0x20) < 24 && std::abs(c.green() - 0xC0) < 24
            && std::abs(c.blue() - 0x40) < 24;
    };
    EXPECT_TRUE(waitUntil([&] { return isGreen(pixelAt(button->rect.center())); }))
        << "the button does not show the window's own icon: "
        << pixelAt(button->rect.center()).name().toStdString();

    ASSERT_TRUE(pickFromWindowMenu(run, button->rect, QStringLiteral("Keep in Dock")))
        << run.log().toStdString();
    std::optional<QString> iconFile;
    ASSERT_TRUE(waitUntil([&] {
        QString error;
        const auto store = PersistenceController::open(run.storePath(), &error);
        for (const Record& record : store ? store->fetchAll(Entity::PinnedApps) : std::vector<Record> {})
            iconFile = record.text(QStringLiteral("appIcon"));
        return iconFile.has_value();
    })) << run.log().toStdString();
    const QImage pinnedIcon(QUrl::fromPercentEncoding(iconFile->toUtf8()));
    EXPECT_TRUE(isGreen(pinnedIcon.pixelColor(pinnedIcon.rect().center())))
        << "the pin stored another picture than the program's own";

    ASSERT_TRUE(pickFromWindowMenu(run, button->rect, QStringLiteral("Quit"))) << run.log().toStdString();
    ASSERT_TRUE(waitUntil([&] { return childEnded(own.pid); })) << readText(clientLog).toStdString();
    std::optional<LoggedBarItem> pinned;
    ASSERT_TRUE(waitUntil([&] {
        for (const LoggedBarItem& item : loggedBar(run.log()))
            if (item.kind == LoggedBarItem::pinnedApp)
                pinned = item;
        return pinned.has_value();
    })) << run.log().toStdString();
    click(pinned->rect.center());
    const QString again = waitForWindow(QStringLiteral("own icon client"));
    EXPECT_FALSE(again.isEmpty()) << "the pinned button did not start the program again\n"
                                  << run.log().toStdString();
    // The dock's child, not ours: asked to close, it ends.
    if (!again.isEmpty())
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", again });
}

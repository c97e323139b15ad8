// Every kind of button on the real orbitShelf's bar under the left, middle
// and right button: what opens, what comes forward, what a click leaves
// alone, and the menus of a tool tile and a pinned program.
#include "dock/tiles/DesktopLauncher.h"
#include "tests/e2e_dock_input/BarInput.h"

#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

void writeExecutable(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The windows the window manager manages, bottom to top.
QStringList stackingOrder()
{
    QStringList ids;
    const QString list = runTool(QStringLiteral("xprop"), { "-root", "_NET_CLIENT_LIST_STACKING" });
    const QRegularExpression hex(QStringLiteral("0x[0-9a-fA-F]+"));
    for (auto it = hex.globalMatch(list); it.hasNext();)
        ids << QString::number(it.next().captured().toULongLong(nullptr, 16));
    return ids;
}

// The program's alerts on the screen: its managed windows named as the
// program (its menus are named so too, but no window manager manages them).
QStringList alertWindows(const DockRun& run)
{
    const QStringList managed = stackingOrder();
    QStringList alerts;
    for (const QString& id : searchVisibleWindows({ "--pid", QString::number(run.pid()) }))
        if (managed.contains(id) && xdotool({ "getwindowname", id }) == QLatin1String("orbitShelf"))
            alerts << id;
    return alerts;
}

} // namespace

TEST(BarClicks, EachKindOfButtonAnswersTheLeftMiddleAndRightButton)
{
    QTemporaryDir dir;
    // The first launcher the bar looks for, ours: it writes how it was called.
    const QString launched = dir.filePath(QStringLiteral("launched"));
    writeExecutable(
        dir.filePath(QStringLiteral("bin/rofi")), "#!/bin/sh\necho \"$@\" >> '" + launched.toUtf8() + "'\n");
    Clients clients;
    const auto one = clients.xterm(QStringLiteral("clicks one"), QStringLiteral("40x5+50+50"));
    const auto two = clients.xterm(QStringLiteral("clicks two"), QStringLiteral("40x5+600+50"));
    // Kept on the bar and quit below: a program none of the others is.
    const auto kept = clients.program(
        QStringLiteral("xmessage"), { "-geometry", "+900+300", "clicks kept" }, QStringLiteral("xmessage"));
    // Eight windows of one program: the bar stacks them behind one button.
    const auto crowd = clients.own(QStringLiteral("many"), QStringLiteral("crowd"),
        dir.filePath(QStringLiteral("crowd.log")), QStringLiteral("crowd 8"), { QStringLiteral("8") });
    DockRun run;
    run.setEnvironment(QStringLiteral("PATH"),
        dir.filePath(QStringLiteral("bin")) + QLatin1Char(':') + QString::fromLocal8Bit(qgetenv("PATH")));
    ASSERT_GT(run.start(), 0);
    for (const QString& id : { one.id, two.id, kept.id })
        ASSERT_TRUE(waitForWindowButton(run, id)) << run.log().toStdString();
    ASSERT_TRUE(installTools(run, { QStringLiteral("Pomodoro") }, true)) << run.log().toStdString();

    // A pinned program that is not running: kept, then quit.
    const auto keptButton = waitForWindowButton(run, kept.id);
    ASSERT_TRUE(keptButton) << run.log().toStdString();
    for (const QString& entry : { QStringLiteral("Keep in Dock"), QStringLiteral("Quit") }) {
        const LoggedMenu menu
            = clickForMenu(run, keptButton->rect.center(), 3, kWindowMenuLine, int(kWindowMenu.size()));
        ASSERT_TRUE(menu.place(entry)) << run.log().toStdString();
        click(menu.place(entry)->center());
        if (entry == QLatin1String("Keep in Dock")) {
            ASSERT_TRUE(waitUntil([&] {
                return !storedTexts(run, Entity::PinnedApps, QStringLiteral("appBundleName")).isEmpty();
            }));
        }
    }

    // The bar without the kept program, with its pin.
    const auto pinned = waitForKind(run, LoggedBarItem::pinnedApp);
    ASSERT_TRUE(pinned) << run.log().toStdString();
    const qsizetype settled = run.log().lastIndexOf(QLatin1String("bar rows of"));
    const auto main = waitForKind(run, LoggedBarItem::mainButton, settled);
    const auto launcher = waitForKind(run, LoggedBarItem::launchpad, settled);
    const auto tool = waitForKind(run, LoggedBarItem::tool, settled);
    const auto stack = waitForKind(run, LoggedBarItem::stackButton);
    ASSERT_TRUE(main && launcher && tool && pinned && stack) << run.log().toStdString();
    const auto window = waitForWindowButton(run, one.id);
    ASSERT_TRUE(window && waitForWindowButton(run, two.id)) << run.log().toStdString();
    ASSERT_EQ(stack->pid, crowd.pid);
    ASSERT_TRUE(barTakesInput(run)) << run.log().toStdString();

    // The main button's right click: its menu, the bar's settings.
    const auto settingsMenu = [&] {
        return clickForMenu(run, main->rect.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()));
    };
    EXPECT_EQ(settingsMenu().titles, kSettingsMenu) << run.log().toStdString();
    ASSERT_TRUE(closeMenus(run));

    // Clicks that do nothing. The bar handles clicks in order: once the main
    // button's menu, clicked next, is up, the click before it was handled.
    struct Quiet {
        const char* what;
        QRect button;
        int mouseButton;
    };
    const Quiet quiet[] = {
        { "middle click on the main button", main->rect, 2 },
        { "middle click on the launcher", launcher->rect, 2 },
        { "middle click on a tool tile", tool->rect, 2 },
        { "middle click on a pinned button", pinned->rect, 2 },
        { "middle click on a window button", window->rect, 2 },
        { "middle click on a stacked button", stack->rect, 2 },
        { "right click on a stacked button of many windows", stack->rect, 3 },
    };
    for (const Quiet& row : quiet) {
        SCOPED_TRACE(row.what);
        xdotool({ "windowactivate", "--sync", two.id });
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == two.id; }));
        const qsizetype mark = run.log().size();
        const QString launchedBefore = readText(launched);
        click(row.button.center(), row.mouseButton);
        EXPECT_EQ(settingsMenu().titles, kSettingsMenu);
        const QString since = run.log().mid(mark);
        EXPECT_FALSE(since.contains(QRegularExpression(
            QStringLiteral("window menu:|tool menu:|pinned menu:|listing the windows|clicked|alert:"))))
            << since.toStdString();
        EXPECT_EQ(activeWindow(), two.id);
        EXPECT_FALSE(minimised(two.id));
        EXPECT_FALSE(minimised(one.id));
        EXPECT_EQ(readText(launched), launchedBefore);
        for (const char* name : { "orbitShelf tools", "orbitShelf windows", "Pomodoro", "Tag" })
            EXPECT_TRUE(visibleWindowsNamed(QString::fromLatin1(name)).isEmpty()) << name;
        ASSERT_TRUE(closeMenus(run));
    }

    {
        SCOPED_TRACE("the launcher");
        EXPECT_EQ(clickForMenu(run, launcher->rect.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size()))
                      .titles,
            kSettingsMenu)
            << run.log().toStdString();
        ASSERT_TRUE(closeMenus(run));
        click(launcher->rect.center());
        EXPECT_TRUE(waitUntil([&] { return readText(launched) == QLatin1String("-show drun\n"); }))
            << readText(launched).toStdString() << run.log().toStdString();
    }

    {
        SCOPED_TRACE("the main button's left click");
        const qsizetype mark = run.log().size();
        // Two clicks a few pixels apart: at one spot they would be a double click.
        click(main->rect.center() - QPoint(8, 0));
        EXPECT_FALSE(waitForWindow(QStringLiteral("orbitShelf tools")).isEmpty()) << run.log().toStdString();
        // The hub lists the favourites and the installed tool.
        EXPECT_TRUE(waitUntil([&] {
            const QString since = run.log().mid(mark);
            return since.contains(QLatin1String("hub entry Favorite at"))
                && since.contains(QLatin1String("hub entry Pomodoro at"));
        })) << run.log().mid(mark).toStdString();
        click(main->rect.center() + QPoint(8, 0));
        EXPECT_TRUE(waitUntil([] {
            return visibleWindowsNamed(QStringLiteral("orbitShelf tools")).isEmpty();
        })) << "a second click closes the tool hub";
        EXPECT_EQ(settingsMenu().titles, kSettingsMenu);
        EXPECT_TRUE(visibleWindowsNamed(QStringLiteral("orbitShelf tools")).isEmpty())
            << "the tool hub came back";
        ASSERT_TRUE(closeMenus(run));
    }

    {
        SCOPED_TRACE("a window button");
        // Minimised, its button brings it back in front.
        xdotool({ "windowminimize", "--sync", one.id });
        ASSERT_TRUE(waitUntil([&] { return minimised(one.id); }));
        click(window->rect.center());
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == one.id && !minimised(one.id); }))
            << run.log().toStdString();
        EXPECT_EQ(
            clickForMenu(run, window->rect.center(), 3, kWindowMenuLine, int(kWindowMenu.size())).titles,
            kWindowMenu)
            << run.log().toStdString();
        ASSERT_TRUE(closeMenus(run));
    }

    {
        SCOPED_TRACE("a stacked button");
        click(stack->rect.center() - QPoint(8, 0));
        EXPECT_FALSE(waitForWindow(QStringLiteral("orbitShelf windows")).isEmpty())
            << run.log().toStdString();
        EXPECT_TRUE(
            run.log().contains(QStringLiteral("listing the windows of application %1").arg(crowd.pid)));
        click(stack->rect.center() + QPoint(8, 0));
        EXPECT_TRUE(waitUntil([] {
            return visibleWindowsNamed(QStringLiteral("orbitShelf windows")).isEmpty();
        })) << "a second click closes the list";
        EXPECT_EQ(settingsMenu().titles, kSettingsMenu);
        EXPECT_TRUE(visibleWindowsNamed(QStringLiteral("orbitShelf windows")).isEmpty())
            << "the list came back";
        ASSERT_TRUE(closeMenus(run));
    }

    {
        SCOPED_TRACE("a tool tile's menu");
        const LoggedMenu menu = clickForMenu(run, tool->rect.center(), 3, kToolMenuLine, 1);
        EXPECT_EQ(menu.titles, QStringList { QStringLiteral("UnPin") }) << run.log().toStdString();
        ASSERT_TRUE(menu.place(QStringLiteral("UnPin")));
        click(menu.place(QStringLiteral("UnPin"))->center());
        EXPECT_TRUE(waitUntil([&] { return !barHoldsKind(run, LoggedBarItem::tool); }))
            << run.log().toStdString();
        // Off the bar, still installed.
        EXPECT_TRUE(
            storedTexts(run, Entity::Plugins, QStringLiteral("name")).contains(QLatin1String("Pomodoro")));
    }

    {
        SCOPED_TRACE("a pinned button's menu");
        const auto now = waitForKind(run, LoggedBarItem::pinnedApp, run.log().lastIndexOf("bar rows of"));
        ASSERT_TRUE(now);
        const LoggedMenu menu = clickForMenu(run, now->rect.center(), 3, kPinnedMenuLine, 1);
        EXPECT_EQ(menu.titles, QStringList { QStringLiteral("Remove") }) << run.log().toStdString();
        ASSERT_TRUE(menu.place(QStringLiteral("Remove")));
        click(menu.place(QStringLiteral("Remove"))->center());
        EXPECT_TRUE(waitUntil([&] { return !barHoldsKind(run, LoggedBarItem::pinnedApp); }))
            << run.log().toStdString();
        EXPECT_TRUE(waitUntil(
            [&] { return storedTexts(run, Entity::PinnedApps, QStringLiteral("appBundleName")).isEmpty(); }));
    }

    {
        SCOPED_TRACE("the launcher's alert, with no launcher installed");
        ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("bin/rofi"))));
        if (const auto installed
            = findLauncher([](const QString& name) { return QStandardPaths::findExecutable(name); }))
            GTEST_SKIP() << "a launcher is installed here: " << installed->program.toStdString();
        const QString asked = QStringLiteral("alert: %1 / ").arg(noLauncherMessage());
        // Where they stand now, with the tool and the pin gone.
        const auto mainNow = waitForKind(run, LoggedBarItem::mainButton);
        const auto launcherNow = waitForKind(run, LoggedBarItem::launchpad);
        const auto oneButton = waitForWindowButton(run, one.id);
        ASSERT_TRUE(mainNow && launcherNow && oneButton) << run.log().toStdString();
        xdotool({ "windowactivate", "--sync", two.id });
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == two.id; }));
        click(launcherNow->rect.center());
        QString alert;
        ASSERT_TRUE(waitUntil([&] {
            const QStringList shown = alertWindows(run);
            return shown.size() == 1 && !(alert = shown.first()).isEmpty();
        })) << run.log().toStdString();

        // The bar answers as ever: a window button, the main button's menu.
        click(oneButton->rect.center());
        EXPECT_TRUE(waitUntil([&] { return activeWindow() == one.id; })) << run.log().toStdString();
        EXPECT_EQ(
            clickForMenu(run, mainNow->rect.center(), 3, kSettingsMenuLine, int(kSettingsMenu.size())).titles,
            kSettingsMenu)
            << run.log().toStdString();
        ASSERT_TRUE(closeMenus(run));

        // Asked for three times more, the one alert comes forward.
        for (int i = 0; i < 3; ++i) {
            const qsizetype before = run.log().count(asked);
            // Never twice at one spot: that would be a double click.
            click(launcherNow->rect.center() + QPoint(i % 2 ? 8 : -8, 0));
            EXPECT_TRUE(waitUntil([&] { return run.log().count(asked) > before; }))
                << run.log().toStdString();
        }
        EXPECT_EQ(alertWindows(run), QStringList { alert });

        // A click on a maximised window raises that window, never over the
        // alert.
        runTool(QStringLiteral("wmctrl"), { "-i", "-r", one.id, "-b", "add,maximized_vert,maximized_horz" });
        ASSERT_TRUE(waitUntil([&] {
            return property(one.id, QStringLiteral("_NET_WM_STATE"))
                .contains(QLatin1String("MAXIMIZED_HORZ"));
        }));
        xdotool({ "windowactivate", "--sync", two.id });
        ASSERT_TRUE(waitUntil([&] {
            const QStringList order = stackingOrder();
            return order.indexOf(two.id) > order.indexOf(one.id);
        }));
        const QPoint beside(300, 400);
        ASSERT_FALSE(windowGeometry(alert).contains(beside) || windowGeometry(two.id).contains(beside));
        click(beside);
        EXPECT_TRUE(waitUntil([&] {
            const QStringList order = stackingOrder();
            return activeWindow() == one.id && order.indexOf(one.id) > order.indexOf(two.id);
        })) << "the click did not raise the maximised window";
        const QStringList order = stackingOrder();
        EXPECT_GT(order.indexOf(alert), order.indexOf(one.id)) << order.join(u' ').toStdString();
        EXPECT_TRUE(
            property(alert, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_ABOVE")));

        // Closed from its frame, as a user would.
        runTool(QStringLiteral("wmctrl"), { "-i", "-c", alert });
        EXPECT_TRUE(waitUntil([&] { return alertWindows(run).isEmpty(); }));
    }
    movePointer(QPoint(960, 400));
}

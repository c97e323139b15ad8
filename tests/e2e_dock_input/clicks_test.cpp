// Every kind of button on the real orbitShelf's bar under the left, middle
// and right button: what opens, what comes forward, what a click leaves
// alone, and the menus of a tool tile and a pinned program.
#include "tests/e2e_dock_input/BarInput.h"

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
    movePointer(QPoint(960, 400));
}

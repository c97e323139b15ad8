// The "Themes" page of the real orbitShelf: a palette tile recolours the bar
// at once; a new button theme restarts the program.
#include "tests/support/X11TestTools.h"

#include <QSettings>

#include <csignal>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// Opens the settings window through the bar's menu, chooses "Themes" and
// waits for the page.
bool openThemesPage(DockRun& run)
{
    const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("Themes"));
    return tab && waitUntil([&] {
        click(tab->center());
        return waitUntil([&] { return run.log().contains(QLatin1String("appearance page shown")); },
            std::chrono::milliseconds(500));
    });
}

} // namespace

TEST(ThemesPage, APaletteTileRepaintsTheBarInItsColour)
{
    DockRun run;
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(openThemesPage(run)) << run.log().toStdString();
    std::optional<QRect> tile;
    ASSERT_TRUE(waitUntil([&] {
        return (tile = run.loggedRect(QStringLiteral("appearance page shown:.*\\bdockColor-6c5ce7@")))
            .has_value();
    })) << run.log().toStdString();
    std::optional<QRect> mainButton = run.loggedRect(QStringLiteral("main button at "));
    ASSERT_TRUE(mainButton);
    // Just right of the main button's picture: the bar itself.
    const QPoint onBar(mainButton->right() + 3, mainButton->center().y());
    const QColor before = pixelAt(onBar);
    ASSERT_GT(before.green(), before.red()) << "not on the teal bar: " << before.name().toStdString();
    click(tile->center());
    EXPECT_TRUE(waitUntil(
        [&] { return storedSetting(run, QStringLiteral("dockColor")) == QLatin1String("6c5ce7"); }));
    // 6c5ce7 is a violet: blue above red above green, where the default teal
    // has green far above red.
    EXPECT_TRUE(waitUntil([&] {
        const QColor now = pixelAt(onBar);
        return now.blue() > now.red() && now.red() > now.green();
    })) << before.name().toStdString()
        << " -> " << pixelAt(onBar).name().toStdString();
}

TEST(ThemesPage, ANewThemeRestartsTheProgram)
{
    DockRun run(
        std::map<QString, QVariant> { { QStringLiteral("buttonTheme"), QStringLiteral("onlyIcon") } });
    const qint64 first = run.start();
    ASSERT_GT(first, 0);
    ASSERT_TRUE(openThemesPage(run)) << run.log().toStdString();
    std::optional<QRect> tile;
    ASSERT_TRUE(waitUntil([&] {
        return (tile = run.loggedRect(QStringLiteral("appearance page shown:.*\\bButtonTheme-2@")))
            .has_value();
    })) << run.log().toStdString();
    click(tile->center());
    std::optional<QRect> ok;
    ASSERT_TRUE(waitUntil([&] {
        return (ok = run.loggedRect(QStringLiteral("question shown:.*\\bOK@"))).has_value();
    })) << run.log().toStdString();
    // A box just mapped may not take input yet.
    EXPECT_TRUE(waitUntil([&] {
        click(ok->center());
        return waitUntil([&] { return !run.running(); }, std::chrono::milliseconds(1000));
    })) << "the old process is gone";
    EXPECT_EQ(storedSetting(run, QStringLiteral("buttonTheme")), QStringLiteral("bigIcon"));
    // The new process logs its bar into the same log.
    qint64 second = 0;
    EXPECT_TRUE(waitUntil([&] {
        const QStringList docks = visibleWindowsNamed(QStringLiteral("orbitShelf dock"));
        if (docks.isEmpty())
            return false;
        const QString pid = property(docks.first(), QStringLiteral("_NET_WM_PID")).section(u'=', 1).trimmed();
        second = pid.toLongLong();
        return second > 0 && second != first;
    })) << run.log().toStdString();
    if (second > 0 && second != first)
        ::kill(pid_t(second), SIGTERM);
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("orbitShelf dock")).isEmpty(); }));
}

// The onboarding as a new user meets it, and "Launch at startup" ticked on
// the settings window's "General" tab.
#include "tests/support/X11TestTools.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

TEST(Onboarding, ShowsOnceSetsTheFirstRunValuesAndStep4ClosesIt)
{
    DockRun run { DockRun::FirstRun {} };
    ASSERT_GT(run.start(), 0);
    const QString id = waitForWindow(QStringLiteral("Onboarding Window"));
    ASSERT_FALSE(id.isEmpty()) << run.log().toStdString();
    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    EXPECT_TRUE(waitUntil([&] {
        const QString text = readText(conf);
        return text.contains(QLatin1String("firstInstalled=false"))
            && text.contains(QLatin1String("disablePreview=true"));
    })) << readText(conf).toStdString();

    // Made private at the first start, as the data folder is.
    EXPECT_EQ(modeOf(conf), 0600);
    EXPECT_EQ(modeOf(run.configHome() + QStringLiteral("/orbitShelf")), 0700);

    // In its 800 by 670 window everything is in view at once: the tour
    // scrolls within itself and the page has no second scroll bar.
    const QRect window = windowGeometry(id);
    std::optional<QRect> step4;
    ASSERT_TRUE(waitUntil([&] {
        return (step4 = run.loggedRect(QStringLiteral("onboarding step 4 at "))).has_value();
    })) << run.log().toStdString();
    EXPECT_TRUE(window.contains(*step4)) << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QLatin1String("onboarding scroll bars shown: 1")))
        << run.log().toStdString();
    // Shown already knowing the permissions (none are needed here).
    EXPECT_TRUE(run.log().contains(QLatin1String("onboarding steps: access green capture green")));
    // The first click may come before the window takes input.
    EXPECT_TRUE(waitUntil([&] {
        // Its newest place: the window manager moves the window once shown.
        click(run.loggedRect(QStringLiteral("onboarding step 4 at "))->center());
        return waitUntil([] { return visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty(); },
            std::chrono::milliseconds(500));
    })) << run.log().toStdString();
    EXPECT_TRUE(run.running());
    run.stop();

    const qsizetype firstLog = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().mid(firstLog).contains(QLatin1String("bar rows of")); }));
    EXPECT_TRUE(visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty());
}

TEST(LaunchAtLogin, TickingTheGeneralSwitchWritesTheAutostartEntryAndReadsOnAfterARestart)
{
    DockRun run;
    const QString entry = run.configHome() + QStringLiteral("/autostart/io.orbitshelf.OrbitShelf.desktop");
    // Everything is looked for in the log of this start only.
    auto openGeneralPage = [&run](qsizetype from) -> std::optional<QRect> {
        const std::optional<QRect> tab = openSettingsTab(run, QStringLiteral("General"), from);
        if (!tab)
            return std::nullopt;
        std::optional<QRect> toggle;
        waitUntil([&] {
            click(tab->center());
            return waitUntil(
                [&] {
                    return (toggle
                        = loggedRectIn(run.log().mid(from), QStringLiteral("launch at startup \\w+ at ")))
                        .has_value();
                },
                std::chrono::milliseconds(500));
        });
        return toggle;
    };

    ASSERT_GT(run.start(), 0);
    const std::optional<QRect> toggle = openGeneralPage(0);
    ASSERT_TRUE(toggle) << run.log().toStdString();
    EXPECT_TRUE(run.log().contains(QLatin1String("launch at startup off at")));
    click(QPoint(toggle->left() + 8, toggle->center().y()));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(entry); })) << run.log().toStdString();
    EXPECT_TRUE(readText(entry).contains(QStringLiteral("Exec=") + QStringLiteral(ORBITSHELF_BINARY)))
        << readText(entry).toStdString();
    run.stop();

    const qsizetype firstLog = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(openGeneralPage(firstLog)) << run.log().toStdString();
    EXPECT_TRUE(run.log().mid(firstLog).contains(QLatin1String("launch at startup on at")))
        << run.log().mid(firstLog).toStdString();
}

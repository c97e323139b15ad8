// The onboarding as a new user meets it, and "Launch at startup" ticked on
// the settings window's "General" tab.
#include "tests/support/X11TestTools.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {

// Scrolls the onboarding page down until its step 4 button lies inside the
// window, then answers where it is.
std::optional<QRect> scrollToStep4(DockRun& run, const QRect& window)
{
    std::optional<QRect> step4;
    const bool found = waitUntil([&] {
        step4 = run.loggedRect(QStringLiteral("onboarding step 4 at "));
        if (step4 && window.contains(step4->center()) && step4->center().y() < window.bottom() - 20)
            return true;
        // Below the tour, which scrolls on its own.
        click(QPoint(window.center().x() + 300, window.bottom() - 60), 5);
        return false;
    });
    return found ? step4 : std::nullopt;
}

} // namespace

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

    const std::optional<QRect> step4 = scrollToStep4(run, windowGeometry(id));
    ASSERT_TRUE(step4) << run.log().toStdString();
    click(step4->center());
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty(); }));
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

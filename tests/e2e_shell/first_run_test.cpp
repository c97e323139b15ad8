// The real orbitShelf started for the first time on the private display.
#include "tests/support/X11TestTools.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

TEST(FirstRun, ShowsTheOnboardingWindowOutsideTheTaskbarAndKeepsRunningWithoutIt)
{
    DockRun run { DockRun::FirstRun {} };
    ASSERT_GT(run.start(), 0);
    const QString id = waitForWindow(QStringLiteral("Onboarding Window"));
    ASSERT_FALSE(id.isEmpty()) << run.log().toStdString();
    EXPECT_TRUE(waitUntil([&] {
        const QString state = property(id, QStringLiteral("_NET_WM_STATE"));
        return state.contains(QLatin1String("_NET_WM_STATE_SKIP_TASKBAR"))
            && state.contains(QLatin1String("_NET_WM_STATE_SKIP_PAGER"));
    })) << property(id, QStringLiteral("_NET_WM_STATE")).toStdString();
    EXPECT_EQ(windowGeometry(id).size(), QSize(800, 670));

    // The first run writes its values and makes the store.
    EXPECT_TRUE(waitUntil([&] {
        QFile f(run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf"));
        return f.open(QIODevice::ReadOnly) && f.readAll().contains("buttonTheme=onlyIcon");
    }));
    EXPECT_TRUE(QFile::exists(run.storePath()));

    runTool(QStringLiteral("wmctrl"), { "-i", "-c", id });
    EXPECT_TRUE(waitUntil([] { return visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty(); }));
    EXPECT_TRUE(run.running()) << "orbitShelf quit with its last window";
}

TEST(FirstRun, EndsWithTheFirstLaunchAndTheUsersChoicesSurviveARestart)
{
    DockRun run { DockRun::FirstRun {} };
    ASSERT_GT(run.start(), 0);
    ASSERT_FALSE(waitForWindow(QStringLiteral("Onboarding Window")).isEmpty()) << run.log().toStdString();
    const QString conf = run.configHome() + QStringLiteral("/orbitShelf/orbitShelf.conf");
    EXPECT_TRUE(waitUntil([&] { return readText(conf).contains(QLatin1String("firstInstalled=false")); }))
        << readText(conf).toStdString();
    run.stop();

    // The user turns previews on, then starts the bar again.
    UserDefaults::useFile(conf);
    UserDefaults::setValue(QStringLiteral("disablePreview"), false);
    UserDefaults::useFile(QString());
    const qsizetype firstRunLog = run.log().size();
    ASSERT_GT(run.start(), 0);
    ASSERT_TRUE(waitUntil([&] { return run.log().mid(firstRunLog).contains(QLatin1String("bar rows of")); }))
        << run.log().toStdString();
    EXPECT_TRUE(visibleWindowsNamed(QStringLiteral("Onboarding Window")).isEmpty())
        << "the onboarding came back";
    EXPECT_TRUE(readText(conf).contains(QLatin1String("disablePreview=false")))
        << readText(conf).toStdString();
}

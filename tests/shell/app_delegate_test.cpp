#include "shell/AppDelegate.h"
#include "state/AppState.h"
#include "shell/AppWindows.h"
#include "tests/support/TempStores.h"

#include <QWidget>
#include <gtest/gtest.h>

using orbitshelf::test::TempUserDefaults;

namespace {

class Launch : public ::testing::Test {
protected:
    LaunchSteps recording()
    {
        LaunchSteps s;
        s.buildDockWindows = [this] { calls << QStringLiteral("buildDockWindows"); };
        s.registerAppListeners = [this] { calls << QStringLiteral("registerAppListeners"); };
        s.recordPomodoroRun = [this] { calls << QStringLiteral("recordPomodoroRun"); };
        s.setAccessoryActivationPolicy = [this] { calls << QStringLiteral("setAccessoryActivationPolicy"); };
        s.startAXBackgroundWork = [this] { calls << QStringLiteral("startAXBackgroundWork"); };
        return s;
    }
    TempUserDefaults defaults;
    QStringList calls;
    CustomSettings settings;
};

} // namespace

TEST_F(Launch, FirstRunWritesTheFirstRunValuesKeepsTheOnboardingOpenAndResumesAPomodoro)
{
    AppState::shared().setNeedRestorePomodoro(true);
    QWidget onboarding;
    registerAppWindow(&onboarding);
    onboarding.show();
    AppDelegate(recording()).finishLaunching();
    EXPECT_EQ(settings.buttonTheme(), QStringLiteral("onlyIcon"));
    EXPECT_TRUE(settings.disablePreview());
    EXPECT_TRUE(settings.fullScreenDock());
    EXPECT_EQ(settings.dockBackgroundHeight(), 50.0);
    EXPECT_FALSE(settings.firstInstalled()) << "the first run ends with its launch";
    EXPECT_TRUE(onboarding.isVisible());
    EXPECT_EQ(calls,
        (QStringList { "buildDockWindows", "registerAppListeners", "recordPomodoroRun",
            "setAccessoryActivationPolicy", "startAXBackgroundWork" }));
}

TEST_F(Launch, OnlyTheFirstLaunchWritesTheFirstRunValues)
{
    AppDelegate(recording()).finishLaunching();
    settings.setButtonTheme(QStringLiteral("noIcon"));
    settings.setDisablePreview(false);
    settings.setDockBackgroundHeight(80.0);
    AppDelegate(recording()).finishLaunching();
    EXPECT_EQ(settings.buttonTheme(), QStringLiteral("noIcon"));
    EXPECT_FALSE(settings.disablePreview()) << "the user's choice survives a restart";
    EXPECT_EQ(settings.dockBackgroundHeight(), 80.0);
}

TEST_F(Launch, LaterRunsCloseOnlyTheFirstWindowAndWriteNothing)
{
    settings.setFirstInstalled(false);
    ASSERT_TRUE(appWindows().isEmpty());
    AppDelegate(recording()).finishLaunching();
    EXPECT_EQ(calls.size(), 4) << "no window to close: the launch goes on, without a Pomodoro to resume";

    QWidget onboarding, other;
    registerAppWindow(&onboarding);
    registerAppWindow(&other);
    onboarding.show();
    other.show();
    const QByteArray storedBefore = defaults.readRaw();
    AppDelegate(recording()).finishLaunching();
    EXPECT_FALSE(onboarding.isVisible());
    EXPECT_TRUE(other.isVisible());
    EXPECT_EQ(defaults.readRaw(), storedBefore);
    EXPECT_EQ(settings.buttonTheme(), QStringLiteral("bigIcon"));
}

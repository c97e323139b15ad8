#include "settings/OnboardingState.h"

#include "state/AppState.h"
#include "tests/support/TempStores.h"

#include <QGuiApplication>
#include <QWidget>

#include <gtest/gtest.h>

using namespace orbitshelf::test;

namespace {
PermissionChecks checks(int& asked, bool& trusted)
{
    return { [&] {
                ++asked;
                return trusted;
            },
        [&] {
            ++asked;
            return true;
        } };
}
} // namespace

TEST(OnboardingState, SeedsFromTheStoredPreviewChoiceAndShowingTurnsPreviewsOffAndReadsTheFlags)
{
    TempUserDefaults defaults;
    AppState state;
    int asked = 0;
    bool trusted = true;
    state.settings.setFirstInstalled(false);
    state.settings.setDisablePreview(true);
    EXPECT_TRUE(OnboardingState(state, checks(asked, trusted)).disablePreview);

    state.settings.setDisablePreview(false);
    state.settings.setFirstInstalled(true);
    QWidget view;
    auto* onboarding = new OnboardingState(state, checks(asked, trusted), &view);
    onboarding->attach(&view);
    EXPECT_FALSE(onboarding->disablePreview);
    EXPECT_EQ(onboarding->step, 0);
    view.show();
    EXPECT_TRUE(onboarding->disablePreview);
    EXPECT_TRUE(state.settings.disablePreview());
    // Read as it shows: a window opened while the program is already active
    // sees no activation to wait for.
    EXPECT_TRUE(onboarding->checkAccessPerm);
    EXPECT_TRUE(onboarding->checkScreenRecordPerm);
    EXPECT_EQ(asked, 2);
}

TEST(OnboardingState, EachActivationRefreshesBothFlags)
{
    TempUserDefaults defaults;
    AppState state;
    int asked = 0;
    bool trusted = false;
    QWidget view;
    auto* onboarding = new OnboardingState(state, checks(asked, trusted), &view);
    onboarding->attach(&view);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_FALSE(onboarding->checkAccessPerm);
    EXPECT_TRUE(onboarding->checkScreenRecordPerm);
    trusted = true;
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_TRUE(onboarding->checkAccessPerm);
    EXPECT_EQ(asked, 4);
}

#include "state/AppState.h"
#include "tests/support/TempStores.h"

#include "tests/support/ChangeCounter.h"
#include <gtest/gtest.h>

using orbitshelf::test::TempUserDefaults;

namespace {
Record plugin(std::optional<QString> name)
{
    Record r;
    r.entity = Entity::Plugins;
    if (name)
        r.values.insert(QStringLiteral("name"), *name);
    r.values.insert(QStringLiteral("installed"), true);
    return r;
}
} // namespace

TEST(AppState, IsPluginInstalledMatchesExactNamesAnywhereInTheList)
{
    AppState state;
    EXPECT_FALSE(state.isPluginInstalled(QStringLiteral("Pomodoro")));
    state.installedPlugins = { plugin(QStringLiteral("pomodoro")) };
    EXPECT_FALSE(state.isPluginInstalled(QStringLiteral("Pomodoro")));
    state.installedPlugins
        = { plugin(std::nullopt), plugin(QStringLiteral("Note")), plugin(QStringLiteral("Pomodoro")) };
    EXPECT_TRUE(state.isPluginInstalled(QStringLiteral("Pomodoro")));
    EXPECT_FALSE(state.isPluginInstalled(QString()));
}

TEST(AppState, WritesThroughItsSettingsSendTheChangeNoticeOtherStoredWritesDoNot)
{
    TempUserDefaults defaults;
    AppState state;
    const CustomSettings copy = state.settings;
    orbitshelf::test::ChangeCounter spy(state);
    state.settings.setDockBadge(false);
    EXPECT_EQ(spy.count, 1);
    CustomSettings().setMainDockPosition(QStringLiteral("left"));
    state.setNeedRestorePomodoro(true);
    EXPECT_EQ(spy.count, 1);
    // The Pomodoro's tick and the note's draft write while nothing needs to
    // redraw; the appearance page publishes once after the icon size.
    state.pomodoro.setCurrentRound(1);
    state.note.setContent(QStringLiteral("draft"));
    state.appIcon.setHeight(60);
    EXPECT_EQ(spy.count, 1);
    // The record holds no values: copies see each other's writes.
    EXPECT_EQ(copy.mainDockPosition(), QStringLiteral("left"));
    EXPECT_FALSE(copy.dockBadge());
}

TEST(AppState, StartsARunningOneSecondClockForThePomodoro)
{
    AppState state;
    ASSERT_NE(state.pomodoroTimer, nullptr);
    EXPECT_TRUE(state.pomodoroTimer->isActive());
    EXPECT_EQ(state.pomodoroTimer->interval(), 1000);
}

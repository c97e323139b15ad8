#include "state/AppState.h"
#include "state/UserDefaults.h"
#include "tools/PomodoroRun.h"
#include "tools/PomodoroView.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(PomodoroTimeLeft, ShowsMinutesOrHoursAndNeverGoesNegative)
{
    struct Row {
        qint64 elapsed, minutes;
        const char* shown;
    };
    for (const Row& row : {
             Row { 0, 30, "30 : 00" },
             Row { 0, 61, "01:01:00" },
             Row { 0, 60, "01:00:00" },
             Row { 1799, 30, "00 : 01" },
             Row { 1800, 30, "00 : 00" },
             Row { 5000, 30, "00 : 00" },
             Row { 150, 2, "00 : 00" },
         })
        EXPECT_EQ(pomodoroTimeLeftText(row.elapsed, row.minutes), QString::fromLatin1(row.shown))
            << row.elapsed << " of " << row.minutes;
}

namespace {

class PomodoroPanel : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        UserDefaults::useFile(dir.filePath("defaults.conf"));
        pomodoroRunning = false;
        pomodoroViewVisible = false;
    }
    void TearDown() override { pomodoroRunning = false; }

    QTemporaryDir dir;
    AppState state;
};

} // namespace

TEST_F(PomodoroPanel, FieldsRefuseOutOfRangeInputAndShowTheStoredValue)
{
    PomodoroView view(state);
    EXPECT_EQ(view.timeLeftText(), QStringLiteral("30 : 00"));
    QLineEdit* tomato = view.field(QStringLiteral("tomato"));
    ASSERT_NE(tomato, nullptr);

    tomato->setText(QStringLiteral("61"));
    emit tomato->editingFinished();
    EXPECT_EQ(state.pomodoro.tomatoMinute(), 61);
    EXPECT_EQ(view.timeLeftText(), QStringLiteral("01:01:00"));

    for (const char* bad : { "0", "-3", "1441", "9223372036854775807", "x" }) {
        tomato->setText(QString::fromLatin1(bad));
        emit tomato->editingFinished();
        EXPECT_EQ(state.pomodoro.tomatoMinute(), 61) << bad;
        EXPECT_EQ(tomato->text(), QStringLiteral("61")) << bad;
    }
    QLineEdit* loop = view.field(QStringLiteral("loop"));
    loop->setText(QStringLiteral("100"));
    emit loop->editingFinished();
    EXPECT_EQ(state.pomodoro.loopRounds(), 8);
}

TEST_F(PomodoroPanel, RoundListAndVisibilityFollowTheState)
{
    PomodoroView view(state);
    EXPECT_TRUE(view.roundTexts().isEmpty());
    state.pomodoro.setCurrentRound(3);
    state.publish();
    EXPECT_EQ(view.roundTexts(), (QStringList { "Round 1 / 8", "Round 2 / 8", "Current 3" }));

    view.show();
    EXPECT_TRUE(pomodoroViewVisible);
    view.hide();
    EXPECT_FALSE(pomodoroViewVisible);
}

#include "app/CustomPomodoro.h"

#include "app/UserDefaults.h"

using namespace UserDefaults;

int CustomPomodoro::secondsElapsed() const
{
    return readInt(QStringLiteral("pomodoro_seconds"), 0);
}
void CustomPomodoro::setSecondsElapsed(int v) const
{
    setValue(QStringLiteral("pomodoro_seconds"), v);
}
int CustomPomodoro::tomatoMinute() const
{
    return readInt(QStringLiteral("pomodoro_tomato_minute"), 30);
}
void CustomPomodoro::setTomatoMinute(int v) const
{
    setValue(QStringLiteral("pomodoro_tomato_minute"), v);
}
int CustomPomodoro::loopRounds() const
{
    return readInt(QStringLiteral("pomodoro_loop_round"), 8);
}
void CustomPomodoro::setLoopRounds(int v) const
{
    setValue(QStringLiteral("pomodoro_loop_round"), v);
}
int CustomPomodoro::restMinute() const
{
    return readInt(QStringLiteral("pomodoro_rest_minute"), 5);
}
void CustomPomodoro::setRestMinute(int v) const
{
    setValue(QStringLiteral("pomodoro_rest_minute"), v);
}
QString CustomPomodoro::lastRunTime() const
{
    return readText(QStringLiteral("pomodoro_last_run_time"), QString());
}
void CustomPomodoro::setLastRunTime(const QString& v) const
{
    setValue(QStringLiteral("pomodoro_last_run_time"), v);
}
int CustomPomodoro::currentRound() const
{
    return readInt(QStringLiteral("pomodoro_current_round"), 0);
}
void CustomPomodoro::setCurrentRound(int v) const
{
    setValue(QStringLiteral("pomodoro_current_round"), v);
}
QString CustomPomodoro::hintText() const
{
    return readText(QStringLiteral("pomodoro_text"),
        QStringLiteral("Take a break, stretch your legs, and have some water."));
}
void CustomPomodoro::setHintText(const QString& v) const
{
    setValue(QStringLiteral("pomodoro_text"), v);
}

#include "app/CustomPomodoro.h"

#include "app/UserDefaults.h"

#include <optional>

using namespace UserDefaults;

namespace {
// The count not yet written, with the settings file it belongs to: a count
// never reads through into another file. Main thread only, as the Pomodoro is.
struct CountedSeconds {
    QString file;
    qint64 value = 0;
};
std::optional<CountedSeconds>& countedSeconds()
{
    static std::optional<CountedSeconds> counted;
    return counted;
}
const CountedSeconds* unsavedCount()
{
    const std::optional<CountedSeconds>& counted = countedSeconds();
    return counted && counted->file == fileName() ? &*counted : nullptr;
}
} // namespace

qint64 CustomPomodoro::secondsElapsed() const
{
    if (const CountedSeconds* counted = unsavedCount())
        return counted->value;
    return readInt64(QStringLiteral("pomodoro_seconds"), 0);
}
void CustomPomodoro::setSecondsElapsed(qint64 v) const
{
    countedSeconds().reset();
    setValue(QStringLiteral("pomodoro_seconds"), v);
}
void CustomPomodoro::countSecondsElapsed(qint64 v) const
{
    countedSeconds() = CountedSeconds { fileName(), v };
}
void CustomPomodoro::saveSecondsElapsed() const
{
    const CountedSeconds* counted = unsavedCount();
    if (counted)
        setSecondsElapsed(counted->value);
    countedSeconds().reset();
}
bool CustomPomodoro::secondsElapsedUnsaved() const
{
    return unsavedCount() != nullptr;
}
qint64 CustomPomodoro::tomatoMinute() const
{
    return readInt64(QStringLiteral("pomodoro_tomato_minute"), 30);
}
void CustomPomodoro::setTomatoMinute(qint64 v) const
{
    setValue(QStringLiteral("pomodoro_tomato_minute"), v);
}
qint64 CustomPomodoro::loopRounds() const
{
    return readInt64(QStringLiteral("pomodoro_loop_round"), 8);
}
void CustomPomodoro::setLoopRounds(qint64 v) const
{
    setValue(QStringLiteral("pomodoro_loop_round"), v);
}
qint64 CustomPomodoro::restMinute() const
{
    return readInt64(QStringLiteral("pomodoro_rest_minute"), 5);
}
void CustomPomodoro::setRestMinute(qint64 v) const
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
qint64 CustomPomodoro::currentRound() const
{
    return readInt64(QStringLiteral("pomodoro_current_round"), 0);
}
void CustomPomodoro::setCurrentRound(qint64 v) const
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

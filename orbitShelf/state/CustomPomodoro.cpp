#include "state/CustomPomodoro.h"

#include "state/UserDefaults.h"

#include <optional>

#define ORBITSHELF_POMODORO_RECORD(...) ORBITSHELF_SETTING_DEFINITIONS(CustomPomodoro, (void)0, __VA_ARGS__)
ORBITSHELF_POMODORO_SETTINGS(ORBITSHELF_POMODORO_RECORD)
#undef ORBITSHELF_POMODORO_RECORD

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
    return counted && counted->file == UserDefaults::fileName() ? &*counted : nullptr;
}
} // namespace

qint64 CustomPomodoro::secondsElapsed() const
{
    if (const CountedSeconds* counted = unsavedCount())
        return counted->value;
    return storedSecondsElapsed();
}
void CustomPomodoro::setSecondsElapsed(qint64 v) const
{
    countedSeconds().reset();
    setStoredSecondsElapsed(v);
}
void CustomPomodoro::countSecondsElapsed(qint64 v) const
{
    countedSeconds() = CountedSeconds { UserDefaults::fileName(), v };
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

#include "state/CustomSettings.h"

#include "state/UserDefaults.h"

#include <algorithm>
#include <limits>
#include <optional>

std::optional<SettingRange> settingRange(const QString& key)
{
    if (key == QLatin1String("dockBackgroundHeight"))
        return SettingRange { kDockHeightMinimum, kDockHeightMaximum };
    if (key == QLatin1String("dockIconHeight"))
        return SettingRange { kIconHeightMinimum, kIconHeightMaximum };
    if (key == QLatin1String("stackAppLimit"))
        return SettingRange { double(kStackAppLimitMinimum), double(std::numeric_limits<int>::max()) };
    if (key == QLatin1String("pomodoro_tomato_minute") || key == QLatin1String("pomodoro_rest_minute"))
        return SettingRange { 1, double(kPomodoroMaxMinutes) };
    if (key == QLatin1String("pomodoro_loop_round"))
        return SettingRange { 1, double(kPomodoroMaxRounds) };
    return std::nullopt;
}

double largestIconHeight(double dockHeight)
{
    return std::max(kIconHeightMinimum, std::min(kIconHeightMaximum, dockHeight - kIconMarginInDock));
}

double iconHeightWithin(double iconHeight, double dockHeight)
{
    return std::clamp(iconHeight, kIconHeightMinimum, largestIconHeight(dockHeight));
}

StringMap readStoredMap(const QString& key)
{
    const QString text = UserDefaults::readText(key, QString());
    return mapFromRawValue(text).value_or(StringMap());
}

void writeStoredMap(const QString& key, const StringMap& map)
{
    UserDefaults::setValue(key, mapRawValue(map));
}

namespace settings_detail {

bool readStored(const char* key, bool def)
{
    return UserDefaults::readBool(QString::fromLatin1(key), def);
}
int readStored(const char* key, int def)
{
    const QString name = QString::fromLatin1(key);
    const int value = UserDefaults::readInt(name, def);
    const std::optional<SettingRange> range = settingRange(name);
    return range ? int(range->held(value)) : value;
}
qint64 readStored(const char* key, qint64 def)
{
    // Held in whole numbers: a count of seconds may exceed what a double
    // holds exactly.
    const QString name = QString::fromLatin1(key);
    const qint64 value = UserDefaults::readInt64(name, def);
    const std::optional<SettingRange> range = settingRange(name);
    return range ? std::clamp(value, qint64(range->minimum), qint64(range->maximum)) : value;
}
double readStored(const char* key, double def)
{
    const QString name = QString::fromLatin1(key);
    const double value = UserDefaults::readReal(name, def);
    const std::optional<SettingRange> range = settingRange(name);
    return range ? range->held(value) : value;
}
QString readStored(const char* key, const QString& def)
{
    return UserDefaults::readText(QString::fromLatin1(key), def);
}
StringMap readStored(const char* key, const StringMap&)
{
    return readStoredMap(QString::fromLatin1(key));
}

void writeStored(const char* key, bool value)
{
    UserDefaults::setValue(QString::fromLatin1(key), value);
}
void writeStored(const char* key, int value)
{
    UserDefaults::setValue(QString::fromLatin1(key), value);
}
void writeStored(const char* key, qint64 value)
{
    UserDefaults::setValue(QString::fromLatin1(key), value);
}
void writeStored(const char* key, double value)
{
    UserDefaults::setValue(QString::fromLatin1(key), value);
}
void writeStored(const char* key, const QString& value)
{
    UserDefaults::setValue(QString::fromLatin1(key), value);
}
void writeStored(const char* key, const StringMap& value)
{
    writeStoredMap(QString::fromLatin1(key), value);
}

} // namespace settings_detail

#define ORBITSHELF_SETTINGS_RECORD(...) ORBITSHELF_SETTING_DEFINITIONS(CustomSettings, written(), __VA_ARGS__)
ORBITSHELF_SETTINGS(ORBITSHELF_SETTINGS_RECORD)
#undef ORBITSHELF_SETTINGS_RECORD

QStringList CustomSettings::dockIconList() const
{
    QStringList names { QStringLiteral("Finder") };
    for (int i = 2; i <= 12; ++i)
        names << QStringLiteral("Finder%1").arg(i);
    return names;
}

namespace {

QVariant asVariant(bool v)
{
    return v;
}
QVariant asVariant(int v)
{
    return v;
}
QVariant asVariant(qint64 v)
{
    return v;
}
QVariant asVariant(double v)
{
    return v;
}
QVariant asVariant(const QString& v)
{
    return v;
}
QVariant asVariant(const StringMap& v)
{
    return QVariant::fromValue(v);
}

} // namespace

const std::vector<SettingDefinition>& settingsTable()
{
    static const std::vector<SettingDefinition> table = {
#define ORBITSHELF_SETTING_ROW(member, setter, key, type, def)                                               \
    { #member, key, SettingType::type, asVariant(settings_detail::type##T(def)) },
        ORBITSHELF_ALL_SETTINGS(ORBITSHELF_SETTING_ROW)
#undef ORBITSHELF_SETTING_ROW
    };
    return table;
}

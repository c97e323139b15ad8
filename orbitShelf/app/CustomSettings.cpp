#include "app/CustomSettings.h"

#include "app/UserDefaults.h"

#include <QMutex>
#include <QMutexLocker>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

int heldInt(const QString& key, int value)
{
    const std::optional<SettingRange> range = settingRange(key);
    return range ? int(range->held(value)) : value;
}
double heldReal(const QString& key, double value)
{
    const std::optional<SettingRange> range = settingRange(key);
    return range ? range->held(value) : value;
}

bool readT(const char* key, bool def)
{
    return UserDefaults::readBool(QString::fromLatin1(key), def);
}
int readT(const char* key, int def)
{
    const QString name = QString::fromLatin1(key);
    return heldInt(name, UserDefaults::readInt(name, def));
}
double readT(const char* key, double def)
{
    const QString name = QString::fromLatin1(key);
    return heldReal(name, UserDefaults::readReal(name, def));
}
QString readT(const char* key, const QString& def)
{
    return UserDefaults::readText(QString::fromLatin1(key), def);
}
StringMap readT(const char* key, const StringMap&)
{
    return readStoredMap(QString::fromLatin1(key));
}

void writeT(const char* key, bool v)
{
    UserDefaults::setValue(QString::fromLatin1(key), v);
}
void writeT(const char* key, int v)
{
    UserDefaults::setValue(QString::fromLatin1(key), v);
}
void writeT(const char* key, double v)
{
    UserDefaults::setValue(QString::fromLatin1(key), v);
}
void writeT(const char* key, const QString& v)
{
    UserDefaults::setValue(QString::fromLatin1(key), v);
}
void writeT(const char* key, const StringMap& v)
{
    writeStoredMap(QString::fromLatin1(key), v);
}

QVariant asVariant(bool v)
{
    return v;
}
QVariant asVariant(int v)
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

std::optional<SettingRange> settingRange(const QString& key)
{
    if (key == QLatin1String("dockBackgroundHeight"))
        return SettingRange { kDockHeightMinimum, kDockHeightMaximum };
    if (key == QLatin1String("dockIconHeight"))
        return SettingRange { kIconHeightMinimum, kIconHeightMaximum };
    if (key == QLatin1String("stackAppLimit"))
        return SettingRange { double(kStackAppLimitMinimum), double(std::numeric_limits<int>::max()) };
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

namespace {

// The value of one setting as last read, kept until the user defaults change.
// The bar reads the same settings for every button on every change; turning
// the key into text, looking it up and parsing the value (a map is decoded
// from its text) each time cost more than the rest of an activation's model
// work.
template <typename T> class KeptRead final {
public:
    template <typename Read> T get(Read read)
    {
        const quint64 generation = UserDefaults::generation();
        {
            QMutexLocker lock(&m_lock);
            if (m_value && m_generation == generation)
                return *m_value;
        }
        // Read outside the lock; a write meanwhile changes the generation, so
        // a value kept from before it is never taken for a later one.
        T value = read();
        QMutexLocker lock(&m_lock);
        m_value = value;
        m_generation = generation;
        return value;
    }

private:
    QMutex m_lock;
    quint64 m_generation = 0;
    std::optional<T> m_value;
};

} // namespace

#define ORBITSHELF_SETTING_DEFINE(member, setter, key, type, def)                                            \
    settings_detail::type##T CustomSettings::member() const                                                  \
    {                                                                                                        \
        static KeptRead<settings_detail::type##T> kept;                                                      \
        return kept.get([] { return readT(key, settings_detail::type##T(def)); });                           \
    }                                                                                                        \
    void CustomSettings::setter(const settings_detail::type##T& value) const                                 \
    {                                                                                                        \
        writeT(key, value);                                                                                  \
        written();                                                                                           \
    }
ORBITSHELF_SETTINGS(ORBITSHELF_SETTING_DEFINE)
#undef ORBITSHELF_SETTING_DEFINE

QStringList CustomSettings::dockIconList() const
{
    QStringList names { QStringLiteral("Finder") };
    for (int i = 2; i <= 12; ++i)
        names << QStringLiteral("Finder%1").arg(i);
    return names;
}

const std::vector<SettingDefinition>& settingsTable()
{
    static const std::vector<SettingDefinition> table = {
#define ORBITSHELF_SETTING_ROW(member, setter, key, type, def)                                               \
    { #member, key, SettingType::type, asVariant(settings_detail::type##T(def)) },
        ORBITSHELF_SETTINGS(ORBITSHELF_SETTING_ROW)
#undef ORBITSHELF_SETTING_ROW
    };
    return table;
}

QVariant settingValue(const SettingDefinition& row)
{
    const QString key = QString::fromLatin1(row.key);
    switch (row.type) {
    case SettingType::Bool:
        return UserDefaults::readBool(key, row.defaultValue.toBool());
    case SettingType::Int:
        return heldInt(key, UserDefaults::readInt(key, row.defaultValue.toInt()));
    case SettingType::Real:
        return heldReal(key, UserDefaults::readReal(key, row.defaultValue.toDouble()));
    case SettingType::Text:
        return UserDefaults::readText(key, row.defaultValue.toString());
    case SettingType::Map:
        return QVariant::fromValue(readStoredMap(key));
    }
    return row.defaultValue;
}

bool setSettingValue(const SettingDefinition& row, const QVariant& value)
{
    const QString key = QString::fromLatin1(row.key);
    switch (row.type) {
    case SettingType::Bool:
        if (value.typeId() != QMetaType::Bool)
            return false;
        UserDefaults::setValue(key, value.toBool());
        return true;
    case SettingType::Int:
        if (value.typeId() != QMetaType::Int)
            return false;
        UserDefaults::setValue(key, value.toInt());
        return true;
    case SettingType::Real:
        if (value.typeId() != QMetaType::Double && value.typeId() != QMetaType::Int)
            return false;
        UserDefaults::setValue(key, value.toDouble());
        return true;
    case SettingType::Text:
        if (value.typeId() != QMetaType::QString)
            return false;
        UserDefaults::setValue(key, value.toString());
        return true;
    case SettingType::Map:
        if (!value.canConvert<StringMap>() || value.typeId() != QMetaType::fromType<StringMap>().id())
            return false;
        writeStoredMap(key, value.value<StringMap>());
        return true;
    }
    return false;
}

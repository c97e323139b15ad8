#include "app/CustomSettings.h"

#include "app/UserDefaults.h"

namespace {

bool readT(const char* key, bool def)
{
    return UserDefaults::readBool(QString::fromLatin1(key), def);
}
int readT(const char* key, int def)
{
    return UserDefaults::readInt(QString::fromLatin1(key), def);
}
double readT(const char* key, double def)
{
    return UserDefaults::readReal(QString::fromLatin1(key), def);
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

StringMap readStoredMap(const QString& key)
{
    const QString text = UserDefaults::readText(key, QString());
    return mapFromRawValue(text).value_or(StringMap());
}

void writeStoredMap(const QString& key, const StringMap& map)
{
    UserDefaults::setValue(key, mapRawValue(map));
}

#define ORBITSHELF_SETTING_DEFINE(member, setter, key, type, def)                                            \
    settings_detail::type##T CustomSettings::member() const                                                  \
    {                                                                                                        \
        return readT(key, settings_detail::type##T(def));                                                    \
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

#include "KeyComboKit/KCCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLocale>
#include <QMutex>

// Debug lines (cache hits, activities) stay off unless asked for.
Q_LOGGING_CATEGORY(lcKeyComboKit, "keycombokit", QtInfoMsg)

KCAssertionFailure::KCAssertionFailure(const QString& description, const char* source, int line)
    : KCException(description.toStdString())
    , description(description)
    , source(QString::fromLatin1(source))
    , line(line)
{
}

QString KCBundle::version() const
{
    const QJsonValue v = info.value(QLatin1String("version"));
    return v.isDouble() ? QString::number(v.toDouble()) : v.toString();
}

namespace {

QMutex candidatesLock;
std::optional<QStringList> candidateOverride;

std::optional<QJsonObject> readJsonObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

} // namespace

QStringList KCResourceBundleCandidates()
{
    {
        QMutexLocker locker(&candidatesLock);
        if (candidateOverride)
            return *candidateOverride;
    }
    const QString appDir = QCoreApplication::applicationDirPath();
    return {
        QDir::cleanPath(appDir + QLatin1String("/../share/") + QCoreApplication::applicationName()),
        QStringLiteral(":/KeyComboKit"),
        appDir,
    };
}

void KCSetResourceBundleCandidates(std::optional<QStringList> folders)
{
    QMutexLocker locker(&candidatesLock);
    candidateOverride = std::move(folders);
}

KCBundle KCResourceBundle()
{
    const QString dirName = QStringLiteral("%1.bundle").arg(kcBundleName);
    for (const QString& folder : KCResourceBundleCandidates()) {
        const QString path = folder + QLatin1Char('/') + dirName;
        if (auto info = readJsonObject(path + QLatin1String("/Info.json")))
            return { path, *info };
    }
    throw KCBundleNotFoundException(
        QStringLiteral("unable to find bundle named %1").arg(kcBundleName).toStdString());
}

QString KCLocalizedString(const QString& key)
{
    const KCBundle bundle = KCResourceBundle();
    const auto table = readJsonObject(bundle.path + QLatin1String("/KeyComboKit.json"));
    if (!table)
        return key;
    const QLocale locale;
    for (const QString& language :
        { locale.name(), QLocale::languageToCode(locale.language()), QStringLiteral("en") }) {
        const QJsonValue text = table->value(language).toObject().value(key);
        if (text.isString() && !text.toString().isEmpty())
            return text.toString();
    }
    return key;
}

QImage KCImageNamed(const QString& name)
{
    const KCBundle bundle = KCResourceBundle();
    for (const char* suffix : { ".png", ".svg" }) {
        const QString path = bundle.path + QLatin1String("/images/") + name + QLatin1String(suffix);
        if (QFile::exists(path))
            return QImage(path);
    }
    return {};
}

KCActivity::KCActivity(const char* name)
{
    qCDebug(lcKeyComboKit).noquote() << "activity:" << name;
}

bool KCClass::isSubclassOf(const KCClass& other) const
{
    for (const KCClass* c = this; c; c = c->super)
        if (c == &other)
            return true;
    return false;
}

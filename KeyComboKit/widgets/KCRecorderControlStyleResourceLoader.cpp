#include "KeyComboKit/widgets/KCRecorderControlStyleResourceLoader.h"

#include <QApplication>
#include <QFile>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPalette>

namespace {

QString& applicationFolder()
{
    static QString folder = QStringLiteral(":/");
    return folder;
}

[[noreturn]] void failInconsistent(const QString& reason)
{
    throw KCInternalInconsistencyException(reason.toStdString());
}

QString typeName(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Object:
        return QStringLiteral("NSDictionary");
    case QJsonValue::Array:
        return QStringLiteral("NSArray");
    case QJsonValue::String:
        return QStringLiteral("NSString");
    case QJsonValue::Double:
    case QJsonValue::Bool:
        return QStringLiteral("NSNumber");
    case QJsonValue::Null:
        return QStringLiteral("NSNull");
    default:
        return QStringLiteral("(null)");
    }
}

void expect(const QJsonValue& v, QJsonValue::Type type, const QString& keyPath)
{
    const bool ok = type == QJsonValue::Double ? (v.isDouble() || v.isBool()) : v.type() == type;
    if (!ok)
        failInconsistent(QStringLiteral("%1: expected %2 but got %3")
                             .arg(keyPath, typeName(QJsonValue(type)), typeName(v)));
}

qreal number(const QJsonValue& v, const QString& keyPath)
{
    expect(v, QJsonValue::Double, keyPath);
    return v.toDouble();
}

quint64 boundedNumber(const QJsonObject& o, const QString& key, const QString& path, int limit)
{
    if (!o.contains(key))
        return 0;
    const QString keyPath = path + QLatin1Char('.') + key;
    const qreal value = number(o.value(key), keyPath);
    if (value >= limit)
        failInconsistent(QStringLiteral("%1: value >= %2").arg(keyPath).arg(limit));
    if (value < 0)
        failInconsistent(QStringLiteral("%1: value < 0").arg(keyPath));
    return quint64(value);
}

QJsonObject exactObject(const QJsonValue& v, const QString& keyPath, const QStringList& keys)
{
    expect(v, QJsonValue::Object, keyPath);
    const QJsonObject o = v.toObject();
    if (o.size() != keys.size())
        failInconsistent(QStringLiteral("%1: unexpected keys").arg(keyPath));
    for (const QString& key : keys)
        if (!o.contains(key))
            failInconsistent(QStringLiteral("%1: missing %2").arg(keyPath, key));
    return o;
}

QSizeF size(const QJsonValue& v, const QString& keyPath)
{
    const QJsonObject o = exactObject(v, keyPath, { QStringLiteral("width"), QStringLiteral("height") });
    return QSizeF(
        number(o.value("width"), keyPath + ".width"), number(o.value("height"), keyPath + ".height"));
}

QMarginsF insets(const QJsonValue& v, const QString& keyPath)
{
    const QJsonObject o = exactObject(v, keyPath,
        { QStringLiteral("top"), QStringLiteral("left"), QStringLiteral("bottom"), QStringLiteral("right") });
    const qreal top = number(o.value("top"), keyPath + ".top");
    const qreal left = number(o.value("left"), keyPath + ".left");
    const qreal bottom = number(o.value("bottom"), keyPath + ".bottom");
    const qreal right = number(o.value("right"), keyPath + ".right");
    return QMarginsF(left, top, right, bottom);
}

// The colour names the styles use, on the palette's roles.
QColor namedColor(const QString& catalog, const QString& name)
{
    static const QHash<QString, QPalette::ColorRole> roles = {
        { QStringLiteral("labelColor"), QPalette::Text },
        { QStringLiteral("controlTextColor"), QPalette::ButtonText },
        { QStringLiteral("disabledControlTextColor"), QPalette::PlaceholderText },
        { QStringLiteral("secondaryLabelColor"), QPalette::PlaceholderText },
        { QStringLiteral("selectedTextColor"), QPalette::HighlightedText },
        { QStringLiteral("textColor"), QPalette::Text },
    };
    const QPalette palette = QApplication::palette();
    if (catalog == QLatin1String("System") && roles.contains(name))
        return palette.color(roles.value(name));
    qCWarning(lcKeyComboKit).noquote()
        << QStringLiteral("#Error Colour %1 of %2 not found; the text colour stands in").arg(name, catalog);
    return palette.color(QPalette::Text);
}

KCLabelAttributes labelAttributes(const QJsonValue& v, const QString& keyPath)
{
    const QJsonObject o = exactObject(v, keyPath,
        { QStringLiteral("fontName"), QStringLiteral("fontSize"), QStringLiteral("fontColorCatalogName"),
            QStringLiteral("fontColorName") });
    expect(o.value("fontName"), QJsonValue::String, keyPath + ".fontName");
    const qreal fontSize = number(o.value("fontSize"), keyPath + ".fontSize");
    expect(o.value("fontColorCatalogName"), QJsonValue::String, keyPath + ".fontColorCatalogName");
    expect(o.value("fontColorName"), QJsonValue::String, keyPath + ".fontColorName");

    KCLabelAttributes a;
    const QString fontName = o.value("fontName").toString();
    a.font = QApplication::font();
    if (fontName != QLatin1String(".AppleSystemUIFont")) {
        QFont named(fontName);
        if (QFontInfo(named).family().compare(fontName, Qt::CaseInsensitive) == 0)
            a.font = named;
        else
            qCWarning(lcKeyComboKit).noquote()
                << QStringLiteral("#Error Font %1 not found; the system font stands in").arg(fontName);
    }
    if (fontSize > 0)
        a.font.setPointSizeF(fontSize);
    a.color = namedColor(o.value("fontColorCatalogName").toString(), o.value("fontColorName").toString());
    a.minimalDrawableWidth = QFontMetricsF(a.font).horizontalAdvance(QChar(0x2026));
    return a;
}

QByteArray dataAsset(const QString& name)
{
    for (const QString& path :
        { KCResourceBundle().path + QLatin1String("/data/") + name + QLatin1String(".json"),
            applicationFolder() + QLatin1String("/data/") + name + QLatin1String(".json") }) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            return f.readAll();
    }
    return {};
}

QImage applicationImage(const QString& name)
{
    return QImage(applicationFolder() + QLatin1String("/images/") + name + QLatin1String(".png"));
}

QString componentsKey(const QString& identifier, const KCRecorderControlStyleComponents& c)
{
    // The hash tells every value apart; the suffix would not (accessibility
    // none and unspecified both add nothing).
    return QStringLiteral("%1|%2").arg(identifier).arg(c.hash());
}

} // namespace

KCRecorderControlStyleResourceLoader& KCRecorderControlStyleResourceLoader::shared()
{
    static KCRecorderControlStyleResourceLoader loader;
    return loader;
}

void KCRecorderControlStyleResourceLoader::setApplicationResourceFolder(const QString& folder)
{
    applicationFolder() = folder;
}

void KCRecorderControlStyleResourceLoader::clearCache()
{
    QMutexLocker locker(&m_lock);
    m_info.clear();
    m_prefixes.clear();
    m_images.clear();
}

std::shared_ptr<const KCRecorderControlStyleInfo> KCRecorderControlStyleResourceLoader::info(
    const QString& identifier)
{
    KCActivity activity("-[KCRecorderControlStyleResourceLoader infoForStyle:]");
    QMutexLocker locker(&m_lock);
    if (auto cached = m_info.value(identifier))
        return cached;

    const QString name = QStringLiteral("%1-info").arg(identifier);
    const QByteArray data = dataAsset(name);
    if (data.isEmpty())
        failInconsistent(QStringLiteral("Missing %1").arg(name));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError)
        failInconsistent(QStringLiteral("%1 is an invalid JSON: %2").arg(name, error.errorString()));
    const QJsonObject root = doc.object();

    auto info = std::make_shared<KCRecorderControlStyleInfo>();
    const QString supportedKey = QStringLiteral("supportedComponents");
    expect(root.value(supportedKey), QJsonValue::Array, supportedKey);
    const QJsonArray supported = root.value(supportedKey).toArray();
    for (qsizetype i = 0; i < supported.size(); ++i) {
        const QString path = QStringLiteral("%1.[%2]").arg(supportedKey).arg(i);
        expect(supported.at(i), QJsonValue::Object, path);
        const QJsonObject o = supported.at(i).toObject();
        const quint64 appearance = boundedNumber(o, "appearance", path, 5);
        quint64 accessibility = 0;
        if (o.contains("accessibility")) {
            const QString keyPath = path + ".accessibility";
            const qreal value = number(o.value("accessibility"), keyPath);
            if (value < 0 || value != qreal(quint64(value)) || (quint64(value) & ~quint64(3)))
                failInconsistent(QStringLiteral("%1: value must be with mask 3").arg(keyPath));
            accessibility = quint64(value);
        }
        const quint64 direction = boundedNumber(o, "layoutDirection", path, 3);
        const quint64 tint = boundedNumber(o, "tint", path, 3);
        info->supportedComponents.append(
            KCRecorderControlStyleComponents(appearance, accessibility, direction, tint));
    }
    info->supportedComponents.append(KCRecorderControlStyleComponents());

    expect(root.value("metrics"), QJsonValue::Object, QStringLiteral("metrics"));
    const QJsonObject m = root.value("metrics").toObject();
    KCRecorderControlStyleMetrics& metrics = info->metrics;
    metrics.minSize = size(m.value("minSize"), "minSize");
    metrics.labelToCancel = number(m.value("labelToCancel"), "labelToCancel");
    metrics.cancelToClear = number(m.value("cancelToClear"), "cancelToClear");
    metrics.buttonToAlignment = number(m.value("buttonToAlignment"), "buttonToAlignment");
    metrics.baselineFromTop = number(m.value("baselineFromTop"), "baselineFromTop");
    metrics.alignmentToLabel = number(m.value("alignmentToLabel"), "alignmentToLabel");
    metrics.labelToAlignment = number(m.value("labelToAlignment"), "labelToAlignment");
    metrics.baselineLayoutOffsetFromBottom
        = number(m.value("baselineLayoutOffsetFromBottom"), "baselineLayoutOffsetFromBottom");
    metrics.baselineDrawingOffsetFromBottom
        = number(m.value("baselineDrawingOffsetFromBottom"), "baselineDrawingOffsetFromBottom");
    metrics.focusRingCornerRadius = size(m.value("focusRingCornerRadius"), "focusRingCornerRadius");
    metrics.focusRingInsets = insets(m.value("focusRingInsets"), "focusRingInsets");
    metrics.alignmentInsets = insets(m.value("alignmentInsets"), "alignmentInsets");
    metrics.normalLabelAttributes
        = labelAttributes(m.value("normalLabelAttributes"), "normalLabelAttributes");
    metrics.recordingLabelAttributes
        = labelAttributes(m.value("recordingLabelAttributes"), "recordingLabelAttributes");
    metrics.disabledLabelAttributes
        = labelAttributes(m.value("disabledLabelAttributes"), "disabledLabelAttributes");

    m_info.insert(identifier, info);
    return info;
}

QStringList KCRecorderControlStyleResourceLoader::lookupPrefixes(
    const QString& identifier, const KCRecorderControlStyleComponents& components)
{
    KCActivity activity("-[KCRecorderControlStyleResourceLoader lookupPrefixesForStyle:]");
    QMutexLocker locker(&m_lock);
    const QString key = componentsKey(identifier, components);
    if (auto it = m_prefixes.constFind(key); it != m_prefixes.cend())
        return *it;
    QList<KCRecorderControlStyleComponents> sorted = info(identifier)->supportedComponents;
    std::stable_sort(sorted.begin(), sorted.end(),
        [&](const auto& a, const auto& b) { return a.compare(b, components) < 0; });
    QStringList prefixes;
    for (const auto& c : sorted)
        prefixes.append(identifier + c.stringRepresentation());
    m_prefixes.insert(key, prefixes);
    return prefixes;
}

QImage KCRecorderControlStyleResourceLoader::imageNamed(
    const QString& name, const QString& identifier, const KCRecorderControlStyleComponents& components)
{
    KCActivity activity("-[KCRecorderControlStyleResourceLoader imageNamed:forStyle:]");
    QMutexLocker locker(&m_lock);
    const QString key = componentsKey(identifier, components) + QLatin1Char('|') + name;
    if (auto it = m_images.constFind(key); it != m_images.cend())
        return it->second ? KCImageNamed(it->first) : applicationImage(it->first);
    for (const QString& prefix : lookupPrefixes(identifier, components)) {
        const QString fullName = QStringLiteral("%1-%2").arg(prefix, name);
        QImage image = KCImageNamed(fullName);
        bool fromBundle = true;
        if (image.isNull()) {
            image = applicationImage(fullName);
            fromBundle = false;
        }
        if (!image.isNull()) {
            m_images.insert(key, { fullName, fromBundle });
            return image;
        }
    }
    failInconsistent(QStringLiteral("Missing image named %1").arg(name));
}

std::optional<bool> KCRecorderControlStyleResourceLoader::cachedImageIsFromBundle(
    const QString& name, const QString& identifier, const KCRecorderControlStyleComponents& components) const
{
    QMutexLocker locker(&m_lock);
    const QString key = componentsKey(identifier, components) + QLatin1Char('|') + name;
    if (auto it = m_images.constFind(key); it != m_images.cend())
        return it->second;
    return std::nullopt;
}

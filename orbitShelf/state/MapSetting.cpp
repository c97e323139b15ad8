#include "state/MapSetting.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace {

bool hasLoneSurrogate(const QString& s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 >= s.size() || !s.at(i + 1).isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}

} // namespace

QString mapRawValue(const StringMap& map)
{
    QJsonObject object;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        // A lone surrogate has no UTF-8 form: the JSON writer would replace
        // it silently, so the map could not be read back as written.
        if (hasLoneSurrogate(it.key()) || hasLoneSurrogate(it.value()))
            return QStringLiteral("[:]");
        object.insert(it.key(), it.value());
    }
    const QByteArray bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QStringLiteral("[:]");
    return text;
}

std::optional<StringMap> mapFromRawValue(const QString& text)
{
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    StringMap map;
    const QJsonObject object = doc.object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!it.value().isString())
            return std::nullopt;
        map.insert(it.key(), it.value().toString());
    }
    return map;
}

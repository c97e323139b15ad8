#include "state/RandomString.h"

#include <QRandomGenerator>

QString randomAlphanumericString(int length)
{
    static const QLatin1StringView alphabet("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QString text;
    text.reserve(std::max(0, length));
    for (int i = 0; i < length; ++i)
        text.append(QChar(alphabet[QRandomGenerator::system()->bounded(int(alphabet.size()))]));
    return text;
}

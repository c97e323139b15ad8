#include "platform/Clipboard.h"

#include <QBuffer>
#include <QImageReader>

namespace platform {

namespace {

    const QString kSecretHint = QStringLiteral("x-kde-passwordManagerHint");

    // In the order they are tried. A bare "text/plain" is UTF-8 in practice (and
    // ASCII otherwise, which reads the same).
    const char* const kUtf8TextTargets[] = { "UTF8_STRING", "text/plain;charset=utf-8", "text/plain" };

    QStringList imageTargetsIn(const QStringList& targets)
    {
        QStringList found;
        if (targets.contains(QStringLiteral("image/png")))
            found << QStringLiteral("image/png");
        const QList<QByteArray> decodable = QImageReader::supportedMimeTypes();
        for (const QString& t : targets)
            if (t != QLatin1String("image/png") && t.startsWith(QLatin1String("image/"))
                && decodable.contains(t.toLatin1()))
                found << t;
        return found;
    }

    ClipboardRead tooLarge(const QString& detail)
    {
        ClipboardRead r;
        r.outcome = ClipboardRead::Outcome::TooLarge;
        r.detail = detail;
        return r;
    }

} // namespace

ClipboardRead readClipboardTargets(
    const QStringList& offered, const FetchClipboardTarget& fetch, const ClipboardLimits& limits)
{
    // An owner that cannot list its targets is still asked for text, as
    // older clients only answer the plain forms.
    const QStringList targets = offered.isEmpty()
        ? QStringList { QStringLiteral("UTF8_STRING"), QStringLiteral("STRING") }
        : offered;

    if (targets.contains(kSecretHint)) {
        const auto hint = fetch(kSecretHint);
        if (hint && hint->trimmed() == "secret") {
            ClipboardRead r;
            r.outcome = ClipboardRead::Outcome::Secret;
            return r;
        }
    }

    for (const QString& target : imageTargetsIn(targets)) {
        auto data = fetch(target);
        if (!data || data->isEmpty())
            continue;
        QBuffer buffer(&*data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // The header alone: a picture is decoded once, by whoever keeps it.
        const QSize size = reader.size();
        if (!size.isValid() || size.isEmpty())
            continue;
        if (qint64(size.width()) * size.height() > limits.maxImagePixels)
            return tooLarge(QStringLiteral("an image of %1x%2 pixels").arg(size.width()).arg(size.height()));
        ClipboardRead r;
        r.outcome = ClipboardRead::Outcome::Image;
        r.imageFormat = reader.format();
        r.imageSize = size;
        buffer.close();
        r.imageData = std::move(*data);
        r.detail = target;
        return r;
    }

    auto readText = [&](const QString& target, bool latin1) -> std::optional<ClipboardRead> {
        if (!targets.contains(target))
            return std::nullopt;
        const auto data = fetch(target);
        if (!data)
            return std::nullopt;
        if (data->size() > limits.maxTextBytes)
            return tooLarge(QStringLiteral("a text of %1 bytes").arg(data->size()));
        ClipboardRead r;
        r.outcome = ClipboardRead::Outcome::Text;
        r.text = latin1 ? QString::fromLatin1(*data) : QString::fromUtf8(*data);
        r.detail = target;
        return r;
    };
    for (const char* target : kUtf8TextTargets)
        if (auto r = readText(QString::fromLatin1(target), false))
            return *r;
    if (auto r = readText(QStringLiteral("STRING"), true))
        return *r;
    return {};
}

} // namespace platform

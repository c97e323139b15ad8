#include "platform/fake/FakeClipboardReader.h"

#include <QBuffer>
#include <QMetaObject>

namespace platform::fake {

void FakeClipboardReader::read(
    const ClipboardLimits& limits, QObject* context, std::function<void(ClipboardRead)> done)
{
    ++reads;
    ClipboardRead result;
    if (!answers) {
        result.outcome = ClipboardRead::Outcome::NoAnswer;
        result.detail = QStringLiteral("the scripted owner does not answer");
    } else {
        result = readClipboardTargets(
            offered.keys(),
            [this](const QString& target) -> std::optional<QByteArray> {
                const auto it = offered.constFind(target);
                return it == offered.cend() ? std::nullopt : std::optional<QByteArray>(*it);
            },
            limits);
        result.ownerKnown = namesOwner;
        result.ownerPid = ownerPid;
        result.ownerClass = ownerClass;
    }
    QMetaObject::invokeMethod(
        context, [done = std::move(done), result] { done(result); }, Qt::QueuedConnection);
}

void FakeClipboardReader::setText(const QString& text)
{
    offered.clear();
    offered.insert(QStringLiteral("UTF8_STRING"), text.toUtf8());
    offered.insert(QStringLiteral("text/plain;charset=utf-8"), text.toUtf8());
}

void FakeClipboardReader::setImage(const QImage& image)
{
    offered.clear();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    offered.insert(QStringLiteral("image/png"), png);
}

} // namespace platform::fake

#include "platform/ScreenIdentity.h"

namespace platform {

namespace {
    // Our own namespace for display UUIDs; changing it changes every stored key.
    const QUuid kDisplayNamespace(QStringLiteral("{6f1c2b9e-3d4a-5e8f-9b07-c2d41a6e5f38}"));
    // The base block holds vendor, product and serial; extension blocks can be
    // rewritten by some drivers, so they stay out of the identity.
    constexpr qsizetype kEdidBaseBlock = 128;
} // namespace

QUuid displayUuid(const DisplayDescription& display)
{
    if (!display.edid.isEmpty()) {
        QByteArray name = QByteArrayLiteral("edid:") + display.edid.left(kEdidBaseBlock);
        if (display.edidSharedWithAnotherOutput)
            name += QByteArray("\0output:", 8) + display.outputName.toUtf8();
        return QUuid::createUuidV5(kDisplayNamespace, name);
    }
    if (!display.outputName.isEmpty())
        return QUuid::createUuidV5(
            kDisplayNamespace, QByteArrayLiteral("output:") + display.outputName.toUtf8());
    return {};
}

QString uuidText(const QUuid& uuid)
{
    return uuid.toString(QUuid::WithoutBraces).toUpper();
}

} // namespace platform

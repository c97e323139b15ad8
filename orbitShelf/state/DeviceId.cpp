#include "state/DeviceId.h"

#include "state/Logging.h"

#include <QFile>
#include <QMessageAuthenticationCode>

#include <algorithm>
#include <cctype>

namespace {
// Keys the machine id so that what leaves this program cannot be traced
// back to it: machine-id(5) asks applications never to expose the raw id.
const QByteArray kDeviceIdKey = QByteArrayLiteral("orbitShelf device id v1");
} // namespace

std::optional<QString> deviceUUIDFromMachineId(const QByteArray& machineId)
{
    const QByteArray id = machineId.trimmed().toLower();
    if (id.size() != 32
        || !std::all_of(id.cbegin(), id.cend(), [](char c) { return std::isxdigit(uchar(c)); }))
        return std::nullopt;
    QByteArray bytes
        = QMessageAuthenticationCode::hash(id, kDeviceIdKey, QCryptographicHash::Sha256).left(16);
    // Mark it as a random (version 4, RFC 4122 variant) UUID, as it is one in effect.
    bytes[6] = char((uchar(bytes[6]) & 0x0F) | 0x40);
    bytes[8] = char((uchar(bytes[8]) & 0x3F) | 0x80);
    const QByteArray hex = bytes.toHex().toUpper();
    return QString::fromLatin1(hex.mid(0, 8) + '-' + hex.mid(8, 4) + '-' + hex.mid(12, 4) + '-'
        + hex.mid(16, 4) + '-' + hex.mid(20, 12));
}

std::optional<QString> deviceUUID()
{
    for (const char* path : { "/etc/machine-id", "/var/lib/dbus/machine-id" }) {
        QFile f(QString::fromLatin1(path));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        if (auto uuid = deviceUUIDFromMachineId(f.read(64)))
            return uuid;
    }
    qCWarning(lcApp) << "no readable machine id; no device id";
    return std::nullopt;
}

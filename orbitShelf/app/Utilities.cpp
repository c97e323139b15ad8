#include "app/Utilities.h"

#include "app/Logging.h"
#include "platform/Platform.h"

#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QLoggingCategory>
#include <QMessageAuthenticationCode>
#include <QMetaObject>
#include <QMutex>
#include <QRandomGenerator>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {
Q_LOGGING_CATEGORY(lcUtil, "orbitshelf.app")

QMutex presenterMutex;
AlertPresenter& presenterSlot()
{
    static AlertPresenter presenter;
    return presenter;
}
AlertPresenter& defaultPresenterSlot()
{
    static AlertPresenter presenter;
    return presenter;
}

long channel(float component)
{
    // Extended-range colours can leave 0…1; two hex digits cannot.
    return std::clamp(std::lround(component * 255.0f), 0L, 255L);
}

// Keys the machine id so that what leaves this program cannot be traced
// back to it: machine-id(5) asks applications never to expose the raw id.
const QByteArray kDeviceIdKey = QByteArrayLiteral("orbitShelf device id v1");
} // namespace

void customPrint(const QString& text)
{
    // Diagnostics, not messages for the user: quiet unless the log rules
    // ask for them.
    if (!lcCustom().isDebugEnabled())
        return;
    const QByteArray line = limitLogLine(QStringLiteral("[custom] -  ") + text).toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

std::optional<QImage> captureWindowImage(bool bestResolution, quint32 windowNumber)
{
    if (!platform::hasCurrent())
        return std::nullopt;
    std::optional<QImage> image = platform::current().windowServer().windowImage(windowNumber);
    if (!image || image->isNull())
        return std::nullopt;
    const qreal ratio
        = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? qApp->devicePixelRatio() : 1.0;
    if (!bestResolution && ratio > 1.0)
        return image->scaled(
            (QSizeF(image->size()) / ratio).toSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

std::optional<QString> hexString(const QColor& color)
{
    if (!color.isValid())
        return std::nullopt;
    const QColor rgb
        = color.spec() == QColor::Rgb || color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    const long r = channel(rgb.redF());
    const long g = channel(rgb.greenF());
    const long b = channel(rgb.blueF());
    const float alpha = rgb.alphaF();
    if (alpha != 1.0f)
        return QString::asprintf("%02lX%02lX%02lX%02lX", r, g, b, channel(alpha));
    return QString::asprintf("%02lX%02lX%02lX", r, g, b);
}

QString formatDate(const QDateTime& date, const QString& format)
{
    return QLocale(QStringLiteral("zh_CN")).toString(date.toLocalTime(), format);
}

QString formatDuration(qint64 from, qint64 to, bool withHours)
{
    qint64 d = 0;
    if (__builtin_sub_overflow(to, from, &d)) {
        // Cannot happen with real timestamps; saturate rather than wrap.
        qCWarning(lcUtil) << "duration out of range:" << from << to;
        d = to < from ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    }
    const qint64 hours = d / 3600;
    const qint64 minutes = (d % 3600) / 60;
    const qint64 seconds = d % 60;
    if (withHours)
        return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(hours),
            static_cast<long long>(minutes), static_cast<long long>(seconds));
    return QString::asprintf(
        "%02lld : %02lld", static_cast<long long>(minutes), static_cast<long long>(seconds));
}

void setAlertPresenter(AlertPresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    presenterSlot() = std::move(presenter);
}

void setDefaultAlertPresenter(AlertPresenter presenter)
{
    QMutexLocker lock(&presenterMutex);
    defaultPresenterSlot() = std::move(presenter);
}

void showAlert(const QString& message, const QString& informative)
{
    AlertPresenter presenter;
    {
        QMutexLocker lock(&presenterMutex);
        presenter = presenterSlot() ? presenterSlot() : defaultPresenterSlot();
    }
    if (presenter) {
        presenter(message, informative);
        return;
    }
    qCWarning(lcUtil) << "alert without a window system:" << message << informative;
}

bool openAccessibilitySettings()
{
    qCInfo(lcUtil) << "X11 has no Accessibility permission page; nothing to open";
    return false;
}

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
    qCWarning(lcUtil) << "no readable machine id; no device id";
    return std::nullopt;
}

std::optional<qsizetype> indexOfFrameContaining(const QList<QRect>& frames, const QPointF& point)
{
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QRect& f = frames[i];
        if (point.x() >= f.x() && point.x() < f.x() + f.width() && point.y() >= f.y()
            && point.y() < f.y() + f.height())
            return i;
    }
    return std::nullopt;
}

QScreen* screenContaining(const QPointF& point)
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> frames;
    for (const QScreen* s : screens)
        frames << s->geometry();
    const auto i = indexOfFrameContaining(frames, point);
    return i ? screens[*i] : nullptr;
}

QString randomString()
{
    static const char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    QString out;
    out.reserve(6);
    for (int i = 0; i < 6; ++i)
        out += QLatin1Char(kAlphabet[QRandomGenerator::global()->bounded(62)]);
    return out;
}

ThreadQoS qualityOfService(DispatchQoS qos)
{
    switch (qos) {
    case DispatchQoS::userInteractive:
        return ThreadQoS::userInteractive;
    case DispatchQoS::userInitiated:
        return ThreadQoS::userInitiated;
    case DispatchQoS::utility:
        return ThreadQoS::utility;
    case DispatchQoS::background:
        return ThreadQoS::background;
    case DispatchQoS::defaultQoS:
    case DispatchQoS::unspecified:
        break;
    }
    return ThreadQoS::defaultQoS;
}

QThread::Priority threadPriority(ThreadQoS qos)
{
    switch (qos) {
    case ThreadQoS::userInteractive:
        return QThread::HighestPriority;
    case ThreadQoS::userInitiated:
        return QThread::HighPriority;
    case ThreadQoS::utility:
        return QThread::LowPriority;
    case ThreadQoS::background:
        return QThread::LowestPriority;
    case ThreadQoS::defaultQoS:
        break;
    }
    return QThread::NormalPriority;
}

QString formatFloat(float value, int fractionDigits, const QLocale& locale)
{
    // QLocale rounds a tie away from zero; the C library rounds the exact
    // binary value half to even ("%.0f" of 2.5 is "2", "%.2f" of 0.125 is
    // "0.12"). The rounded number then goes through the locale for its
    // separator and digits; at that precision it is no longer a tie.
    const int digits = std::clamp(fractionDigits, 0, 60);
    if (!std::isfinite(value))
        return QString::number(double(value));
    char rounded[512];
    std::snprintf(rounded, sizeof rounded, "%.*f", digits, double(value));
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    const QString text = plain.toString(std::strtod(rounded, nullptr), 'f', digits);
    return text.isEmpty() ? QString::number(double(value)) : text;
}

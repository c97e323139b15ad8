#include "state/TextFormats.h"

#include "state/Logging.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

QString formatDate(const QDateTime& date, const QString& format)
{
    return QLocale(QStringLiteral("zh_CN")).toString(date.toLocalTime(), format);
}

QString formatDuration(qint64 from, qint64 to, bool withHours)
{
    qint64 d = 0;
    if (__builtin_sub_overflow(to, from, &d)) {
        // Cannot happen with real timestamps; saturate rather than wrap.
        qCWarning(lcApp) << "duration out of range:" << from << to;
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

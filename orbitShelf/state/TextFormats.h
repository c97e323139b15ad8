#pragma once

// Dates, durations and numbers as the bar shows them.

#include <QDateTime>
#include <QLocale>
#include <QString>

// Formats with the "zh_CN" locale in the current time zone; the formats in
// use are "yyyy-MM-dd" and "yyyy-MM-dd HH:mm:ss".
QString formatDate(const QDateTime& date, const QString& format);

// "HH:MM:SS" (withHours) or "MM : SS" of to − from; negative durations give
// negative fields.
QString formatDuration(qint64 from, qint64 to, bool withHours);

// Formats a number for people: the locale's decimal separator, no grouping,
// exactly `fractionDigits` digits after the separator. Falls back to the
// plain decimal text when the locale gives nothing.
QString formatFloat(float value, int fractionDigits, const QLocale& locale = QLocale());

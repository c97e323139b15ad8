#pragma once

#include <QDebug>
#include <QLoggingCategory>
#include <QString>

// Categories of the application shell. Other subsystems declare their own
// next to their code (orbitshelf.dock, orbitshelf.apps …).
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
// customPrint's diagnostics: printed only while its debug level is on.
Q_DECLARE_LOGGING_CATEGORY(lcCustom)

// No log line is longer than this many characters.
inline constexpr qsizetype kMaxLogLineLength = 300;

// `line` as it may be written: cut to kMaxLogLineLength characters, the last
// of them "…", when longer. A surrogate pair is never split.
QString limitLogLine(const QString& line);

// The process's log policy, installed by main before anything logs: debug
// and info lines are off unless QT_LOGGING_RULES (or QT_LOGGING_CONF) turns
// them on, as in any Qt program, and every written line is cut by
// limitLogLine.
void installLogPolicy();

// Writes "[custom] -  " and the value's text to standard output, one line,
// while the category orbitshelf.custom has its debug level on (the default
// of Qt, which the program's log policy turns off). Cut like a log line.
void customPrint(const QString& text);
template <typename T> void customPrint(const T& value)
{
    QString text;
    QDebug(&text).noquote().nospace() << value;
    customPrint(text);
}

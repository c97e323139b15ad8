#include "state/Logging.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>

Q_LOGGING_CATEGORY(lcApp, "orbitshelf.app")
Q_LOGGING_CATEGORY(lcStore, "orbitshelf.store")
Q_LOGGING_CATEGORY(lcCustom, "orbitshelf.custom")

QString limitLogLine(const QString& line)
{
    if (line.size() <= kMaxLogLineLength)
        return line;
    qsizetype keep = kMaxLogLineLength - 1;
    if (line.at(keep - 1).isHighSurrogate())
        --keep;
    return line.left(keep) + QChar(0x2026);
}

namespace {

void writeLimitedLines(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QString formatted = qFormatLogMessage(type, context, message);
    QByteArray out;
    for (const QString& line : formatted.split(u'\n'))
        out += limitLogLine(line).toUtf8() + '\n';
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

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

void installLogPolicy()
{
    // Rules set here rank below QT_LOGGING_CONF and QT_LOGGING_RULES, so the
    // user's rules still turn any category back on.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    qInstallMessageHandler(&writeLimitedLines);
}

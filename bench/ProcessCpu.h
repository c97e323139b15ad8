#pragma once

// The CPU time another process has used so far, as the benchmarks that
// drive a whole orbitShelf read it.
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <unistd.h>

// User plus system seconds of process `pid`, counted in the kernel's clock
// ticks (10 ms here); -1 when it cannot be read.
inline double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command's closing parenthesis; utime and stime are
    // the 14th and 15th of the line.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

#pragma once

// What the benchmark programs share: reading this process's memory figures
// and printing a goal line.

#include <QByteArray>
#include <QFile>
#include <QList>

#include <cstdio>

namespace benchsupport {

// A "kB" field of /proc/self/status ("VmRSS:", "VmHWM:"); -1 when unknown.
inline qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Sets the peak resident size back to the present one, so that what
// follows is measured alone; false where the system does not allow it.
inline bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// One goal line, ending in "met" or "MISSED".
inline void goal(const QByteArray& what, bool met)
{
    std::printf("%s: %s\n", what.constData(), met ? "met" : "MISSED");
    std::fflush(stdout);
}

} // namespace benchsupport

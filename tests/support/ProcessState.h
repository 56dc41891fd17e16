#pragma once

// Whether a process of a test still runs. A process that has ended but is
// not yet reaped (a zombie, left to the system to collect) runs no more.

#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/types.h>

namespace testprocess {

inline bool running(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray fields = stat.readAll();
        const qsizetype nameEnd = fields.lastIndexOf(')');
        return nameEnd > 0 && fields.size() > nameEnd + 2 && fields.at(nameEnd + 2) != 'Z';
    }
    return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == 0;
}

} // namespace testprocess
#endif

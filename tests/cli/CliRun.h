#pragma once

// The harness the command tests share: a command run in the test's own
// process as msgdesk-cli runs it, what it wrote, and the files it made.

#include "CliCommands.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringList>

namespace clirun {

struct Result
{
    int status = -1;
    QByteArray out;
    QByteArray err;

    // Standard output line by line, without the last line's end.
    QList<QByteArray> lines() const
    {
        QList<QByteArray> l = out.split('\n');
        if (!l.isEmpty() && l.last().isEmpty())
            l.removeLast();
        return l;
    }
    // Each line read as a JSON object (the --json forms).
    QList<QJsonObject> objects() const
    {
        QList<QJsonObject> list;
        for (const QByteArray& line : lines())
            list.append(QJsonDocument::fromJson(line).object());
        return list;
    }
};

inline Result run(const QStringList& args, const PasswordSource& password = {})
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    Result r;
    r.status = cli::run(args, &out, &err, password);
    r.out = out.data();
    r.err = err.data();
    return r;
}

// A password source that always answers with this password.
inline PasswordSource fixedPassword(const QByteArray& value)
{
    return [value](const phonebackup::BackupInfo&, QByteArray* password) {
        *password = value;
        return true;
    };
}

inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace clirun

#pragma once

// Why a backup of the phone failed, read from what the backup tool printed,
// and what the user can do about it. Plain functions, so that a table of
// real output lines can test them.
//
//   const auto cause = backupfailure::recognise(lines);
//   if (cause != backupfailure::Cause::Unknown)
//       message += backupfailure::advice(cause, backupfailure::contextOf(lines, root, identifier));

#include <QString>
#include <QStringList>

namespace backupfailure {

enum class Cause {
    Unknown,
    DeviceLocked,   // "Device locked", error 208: the phone wants to be unlocked
    ProtocolTooOld, // "Could not perform backup protocol version exchange"
    NotPaired,      // "Invalid HostID" and other pairing errors
    DiskFull,       // too little free space for the backup
};

// The first cause the lines name, looked for from the last line back (the
// tool's last words are the ones that ended it); Unknown when none.
Cause recognise(const QStringList& lines);

struct Context
{
    // The device library the backup tool was built on ("libimobiledevice
    // 1.3.0"), as the tool names it in a "Device library: ..." line;
    // empty when it did not.
    QString deviceLibrary;
    // Free bytes where the backup is written; -1 when unknown.
    qint64 freeBytes = -1;
    // Bytes the phone's previous backup takes; -1 when there is none.
    qint64 lastBackupBytes = -1;
};

// The device library named in the lines, free space under backupRoot and the
// size of the phone's backup folder in it.
Context contextOf(const QStringList& lines, const QString& backupRoot, const QString& identifier);

// What to tell the user: the cause and what to do. Empty for Unknown.
QString advice(Cause cause, const Context& context);

// "1.5 GB", "640 MB", "12 kB": sizes as the messages show them.
QString sizeText(qint64 bytes);

} // namespace backupfailure

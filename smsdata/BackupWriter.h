#pragma once

// Writes a ".sms" backup file: a copy of the phone's message database plus
// the contact table "AddressBook111" (name, tel). The copy is a whole,
// consistent database of its own: what the phone's write-ahead log holds is
// in it, and the phone's files are only read. The writer never overwrites a
// file and never leaves a half-made backup behind: when any step fails, the
// file it created is removed again.

#include "MessageRecord.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace backupwriter {

enum class Result {
    Written,
    TargetExists,   // a file of that name is already there; it is left untouched
    CopyFailed,     // the source is missing or unreadable, or the disk is full
    NotADatabase,   // the source is not an SQLite database (or the copy has the table already)
    ContactsFailed, // the contact rows could not be committed
};

// "yyyy.MM.dd.hh.mm.ss.sms" of the given local time.
QString backupFileName(const QDateTime& when);

// The statement that creates the contact table; readers rely on its exact shape.
QByteArray createContactTableStatement();

// The rows of the contact table, in order. First one row per contact, as
// older readers expect it: name = firstName + " " + lastName (the
// organisation for a contact with neither), tel = number. Then one row per
// further phone or e-mail value of a contact, the name repeated, so that
// every number survives in the backup without changing whom the first rows
// name.
QVector<QPair<QByteArray, QByteArray>> contactRows(const QVector<ContactRecord>& contacts);

// Copies the database sourceDb to target and adds the contact rows inside
// one transaction. sourceWal names the source's write-ahead log when it does
// not lie beside it as sourceDb + "-wal" (a phone backup stores it under a
// name of its own); empty for the usual place.
Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts,
                   const QString& sourceWal = QString());

} // namespace backupwriter

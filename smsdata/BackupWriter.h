#pragma once

// Writes a ".sms" backup file: a byte-for-byte copy of the phone's message
// database plus the contact table "AddressBook111" (name, tel). The writer
// never overwrites a file and never leaves a half-made backup behind: when
// any step fails, the file it created is removed again.

#include "MessageRecord.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace backupwriter {

enum class Result {
    Written,
    TargetExists,   // a file of that name is already there; it is left untouched
    CopyFailed,     // the source is missing or unreadable, or the disk is full
    NotADatabase,   // the copy is not an SQLite database (or the table exists)
    ContactsFailed, // the contact rows could not be committed
};

// "yyyy.MM.dd.hh.mm.ss.sms" of the given local time.
QString backupFileName(const QDateTime& when);

// The statement that creates the contact table; readers rely on its exact shape.
QByteArray createContactTableStatement();

// Copies sourceDb to target and adds the contacts: name = firstName + " " +
// lastName, tel = number, in the given order, inside one transaction.
Result writeBackup(const QString& sourceDb, const QString& target, const QVector<ContactRecord>& contacts);

} // namespace backupwriter

#pragma once

// The plain-text export: the lines written for a whole conversation list, for
// the open conversation and for one single message, and the file writer. The
// line layout is a file format other tools read, so every blank, asterisk and
// line break is deliberate (timeText carries its own trailing '\n').

#include "MessageRecord.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

namespace textexport {

// 54, 45 and 43 asterisks.
QString longRule();
QString rule();
QString shortRule();

// The first of the two lines each message gives: "From  " + address +
// " at:" + timeText + " :" (its text is the second).
QString fromLine(const MessageRecord& m);

// One conversation as the list-page export writes it: the rule, then every
// message newest first, each followed by the rule.
QStringList conversationBlock(const QVector<MessageRecord>& conversation);

// The open conversation as the chat-page export writes it: a three-line header
// naming the first record's address, then every message oldest first. No open
// conversation gives no lines at all.
QStringList chatPageLines(const QVector<MessageRecord>& conversation);

// The first record of conversation with this rowId, as three lines; no lines
// when none matches.
QStringList singleMessageLines(const QVector<MessageRecord>& conversation, qint64 rowId);

// Writes every line followed by "\r\n" as UTF-8 without a byte-order mark,
// replacing the file. False when the file cannot be written completely.
bool writeLines(const QString& path, const QStringList& lines);

// The local time as "yyyy.MM.dd.hh.mm.ss", the stem of backup and export names.
QString timeStamp(const QDateTime& when);
// folder + "/" + time stamp + ".txt".
QString defaultExportPath(const QString& folder, const QDateTime& when);

} // namespace textexport

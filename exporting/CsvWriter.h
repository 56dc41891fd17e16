#pragma once

// The csv export for spreadsheets and scripts: RFC 4180 (a field with a
// comma, a quote or a line break is quoted, its quotes doubled; records end
// in CR LF), UTF-8 with a byte-order mark so that spreadsheet programs take
// it as UTF-8. The header row names the columns:
//
//   key,name,rowid,incoming,sender,utc,text,attachments
//
// then one row per message, conversations in the list's order, messages
// oldest first. Attachments are their names joined by "; ".
//
// Texts are written exactly as they are, so that the file reads back to the
// same texts. A field that a spreadsheet could take for a formula (it
// starts with "=", "+", "-", "@", a tab or a CR) is quoted; a spreadsheet
// that is told to treat quoted fields as text then shows it as the text it
// is. Nothing is added to such a text: an apostrophe in front would be a
// change of the message itself for every script that reads the file.

#include "FormatWriter.h"

#include <QByteArray>

namespace exporting {

class CsvWriter : public FormatWriter
{
public:
    bool begin(QIODevice* file, const QString& folder, QString* why) override;
    bool write(const ExportConversation& conversation, QString* why) override;
    bool finish(QString* why) override;

    // One field as it stands in a row: quoted when needed.
    static void appendField(QByteArray* row, const QByteArray& utf8);

private:
    QIODevice* m_out = nullptr;
    QByteArray m_row;
};

} // namespace exporting

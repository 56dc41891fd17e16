#pragma once

// The html export: a folder that opens offline in any browser.
//   index.html                the conversations, each linking to its page
//   conversation-0001.html    one page per conversation, in the list's order
//   attachments/              the attachments' files, when included
// A page shows the messages oldest first as bubbles, received on the left
// and sent on the right as the chat page does, with the group sender's
// name, the time, a line for each new day, the reactions as a badge and
// the pictures inline (HEIC and other pictures browsers cannot show are
// converted to JPEG). Every text is escaped; file names are ours or made
// safe, and links only ever point inside the folder.
//
// Pages are streamed to their files message by message; what the index
// needs is a few facts per conversation, so memory does not grow with the
// number of messages.

#include "FormatWriter.h"

#include <QFile>
#include <QVector>

struct AttachmentRecord;

namespace exporting {

class HtmlWriter : public FormatWriter
{
public:
    // The subfolder the attachments are copied to.
    static QString attachmentFolder();
    // The page of the n-th conversation (from 1): "conversation-0001.html".
    static QString pageName(int n);

    bool begin(QIODevice* file, const QString& folder, QString* why) override;
    bool write(const ExportConversation& conversation, QString* why) override;
    bool finish(QString* why) override;

private:
    // What the index shows of a conversation.
    struct Entry
    {
        QString name;
        QString key;
        QString page;
        qint64 messages = 0;
        qint64 latest = 0;
    };

    bool put(QFile& file, const QString& text, QString* why);
    // local: the message's localTimeText().
    QString messageHtml(const ExportConversation& conversation, const MessageRecord& message, const QString& local);
    QString attachmentHtml(const AttachmentRecord& attachment);
    QString pictureHtml(const AttachmentRecord& attachment, const QString& copied);
    // Copies the attachment's content into the attachment folder under a
    // safe unique name; the path of the copy, or empty with *why.
    QString copyIn(const AttachmentRecord& attachment, QString* why);

    QString m_folder;
    bool m_attachmentFolderMade = false;
    QVector<Entry> m_entries;
};

} // namespace exporting

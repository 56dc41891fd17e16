#pragma once

// A store of conversations that every export format is tried on: accents,
// CJK, emoji, markup-like text, quotes, commas and line breaks, a group
// chat with senders and reactions, and attachments (a picture, a file, one
// missing, one with a hostile name). Built in memory, with attachment
// content held by InMemoryFiles.

#include "AttachmentFiles.h"
#include "MessageStore.h"

#include <QHash>
#include <QTemporaryDir>

namespace exportfixture {

// Times in seconds since 1970; the tests run in Asia/Shanghai (UTC+8).
constexpr qint64 kDay1 = 1709647200; // 2024-03-05 22:00 local
constexpr qint64 kDay2 = kDay1 + 86400;
constexpr qint64 kDay3 = kDay1 + 2 * 86400;

// Conversation keys: a person with a name, a group, and a number nobody named.
extern const QByteArray kAnna;  // "+4915112345678", "Berg Anna"
extern const QByteArray kGroup; // "chat123456", "Family"
extern const QByteArray kPlain; // "10086", no name

// Fills store: Anna (6 messages), the group (4 messages, 2 senders, reactions,
// attachments), the plain number (2 messages). Row ids ascend in time order.
void fill(MessageStore& store);

// Attachment content kept in memory, keyed by relativePath; a record whose
// path is not in the map is "not in this backup".
class InMemoryFiles final : public AttachmentFiles
{
public:
    void add(const QByteArray& relativePath, const QByteArray& content) { m_content.insert(relativePath, content); }
    bool isPresent(const AttachmentRecord& attachment) override;
    QString localFile(const AttachmentRecord& attachment, QString* why) override;

private:
    QHash<QByteArray, QByteArray> m_content;
    QTemporaryDir m_dir;
    int m_written = 0;
};

// The content fill() gives its attachments: a small JPEG and a PDF-like file.
void addContent(InMemoryFiles& files);

} // namespace exportfixture

#include "ExportFixture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace exportfixture {

const QByteArray kAnna = QByteArrayLiteral("+4915112345678");
const QByteArray kGroup = QByteArrayLiteral("chat123456");
const QByteArray kPlain = QByteArrayLiteral("10086");

namespace {

MessageRecord record(qint64 rowId, const QByteArray& key, const QByteArray& name, const QByteArray& text, qint64 time,
                     bool incoming, const QByteArray& sender = {})
{
    MessageRecord m;
    m.rowId = rowId;
    m.address = key;
    m.contactName = name;
    m.text = text;
    m.time = time;
    m.isIncoming = incoming;
    m.sender = sender;
    return m;
}

AttachmentRecord attachment(const QByteArray& name, const QByteArray& mime, const QByteArray& path, qint64 bytes)
{
    AttachmentRecord a;
    a.name = name;
    a.mimeType = mime;
    a.relativePath = path;
    a.bytes = bytes;
    return a;
}

} // namespace

void fill(MessageStore& store)
{
    const QByteArray anna = "Berg Anna";
    const QByteArray family = "Family";
    const QByteArray obj = "\xef\xbf\xbc"; // U+FFFC, where an attachment stands
    store.messages = {
        record(1, kAnna, anna,
               "Caf\xc3\xa9 at 8? cr\xc3\xa8me br\xc3\xbbl\xc3\xa9"
               "e for you",
               kDay1, true),
        record(2, kAnna, anna, "Sure, \"at 8\", see you\nsecond line", kDay1 + 60, false),
        record(3, kPlain, "NULL", "Your code is 1234, valid 5 min", kDay1 + 120, true),
        record(4, kGroup, family, "<script>alert('x')</script> & <b>bold</b>", kDay1 + 180, true, "+15550001111"),
        record(5, kGroup, family, "\xe6\x88\x91\xe4\xbb\xac\xe6\x98\x8e\xe5\xa4\xa9\xe8\xa7\x81 \xf0\x9f\x98\x80",
               kDay2, true, "mia@example.org"),
        record(6, kGroup, family, obj + "Look" + obj, kDay2 + 60, false),
        record(7, kAnna, anna, obj, kDay2 + 120, true),
        record(8, kGroup, family, obj, kDay2 + 180, true, "+15550001111"),
        record(9, kAnna, anna, "a,b;c\r\nd\te", kDay3, false),
        record(10, kPlain, "NULL", "", kDay3 + 60, true),
        record(11, kAnna, anna, "\xe2\x80\x8f\xd9\x85\xd8\xb1\xd8\xad\xd8\xa8\xd8\xa7 \xf0\x9f\x91\x8b\xf0\x9f\x8f\xbd",
               kDay3 + 120, true),
        record(12, kAnna, anna, "last one", kDay3 + 180, false),
    };
    store.messageCount = int(store.messages.size());
    store.buildConversationList();

    ConversationInfo group;
    group.isGroup = true;
    group.displayName = family;
    group.members = {"+15550001111", "mia@example.org"};
    store.setConversationInfo(kGroup, group);
    store.setSenderName("+15550001111", "Jonas");
    store.addReaction(4, {100, 2000, "mia@example.org", {}});
    store.addReaction(4, {101, 2000, {}, {}});
    store.addReaction(5, {102, 2001, "+15550001111", {}});

    store.addAttachment(6, attachment("IMG_0001.JPG", "image/jpeg", "Library/SMS/Attachments/01/IMG_0001.JPG", 700));
    store.addAttachment(6, attachment("report.pdf", "application/pdf", "Library/SMS/Attachments/02/report.pdf", 40));
    store.addAttachment(7, attachment("IMG_0002.HEIC", "image/heic", "Library/SMS/Attachments/03/IMG_0002.HEIC",
                                      12345)); // not in the backup
    store.addAttachment(8, attachment("../../etc/passwd\n<img src=x>.jpg", "image/jpeg",
                                      "Library/SMS/Attachments/04/hostile.jpg", 700));
}

bool InMemoryFiles::isPresent(const AttachmentRecord& attachment)
{
    return m_content.contains(attachment.relativePath);
}

QString InMemoryFiles::localFile(const AttachmentRecord& attachment, QString* why)
{
    const auto it = m_content.constFind(attachment.relativePath);
    if (it == m_content.constEnd()) {
        *why = attachmentfiles::notInBackup();
        return QString();
    }
    QFile file(m_dir.filePath(QString::number(++m_written)));
    if (!file.open(QIODevice::WriteOnly) || file.write(*it) != it->size()) {
        *why = QStringLiteral("the file cannot be written");
        return QString();
    }
    return file.fileName();
}

void addContent(InMemoryFiles& files)
{
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(QColor(30, 120, 200));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    files.add("Library/SMS/Attachments/01/IMG_0001.JPG", jpeg);
    files.add("Library/SMS/Attachments/02/report.pdf", "%PDF-1.4 not really\n");
    files.add("Library/SMS/Attachments/04/hostile.jpg", jpeg);
}

} // namespace exportfixture

#pragma once

// What a message carries besides its text: one record per attachment, in the
// order its U+FFFC placeholders stand in the text. Everything here comes
// from the phone and is not trusted: the name may hold "/", "..", control
// characters or be very long, so it is only ever shown, or passed through
// safeFileName() (SafeFileName.h) before it names a file.

#include <QByteArray>
#include <QString>
#include <QVector>

struct AttachmentRecord
{
    enum class Kind : quint8 { Picture, Video, Voice, File };

    // The sender's name for it (transfer_name), else the last part of its
    // file name, else the part's content location (legacy files).
    QByteArray name;
    QByteArray mimeType;
    QByteArray uti;
    // Size as the phone records it; -1 when unknown.
    qint64 bytes = -1;
    bool isSticker = false;
    // Where the file lies in a backup of the phone: domain "MediaDomain",
    // path "Library/SMS/Attachments/..." (or ".../Parts/..." in legacy
    // files). Empty when the row names no usable file.
    QByteArray relativePath;

    Kind kind() const;
    QString shownName() const;
};

namespace attachments {

extern const char* const kMediaDomain; // "MediaDomain"

// The backup path of a phone-side file name: "~/Library/SMS/..." and
// "/var/mobile/Library/SMS/..." both give "Library/SMS/...". Names that do
// not lie under Library/, or that climb out of it with "..", give empty.
QByteArray backupPathOf(const QByteArray& phoneFileName);

// The backup path of a legacy MMS part named by its content location.
QByteArray legacyPartPath(const QByteArray& contentLocation);

// The kind a viewer shows, from the MIME type, else the UTI, else the
// name's extension.
AttachmentRecord::Kind kindOf(const QByteArray& mimeType, const QByteArray& uti, const QByteArray& name);

// "12 KB", "3.4 MB": the size as a tile shows it; empty for unknown sizes.
QString sizeText(qint64 bytes);

// What is left of a message's text where its attachments are shown by
// themselves: each attachment's placeholder (its "[name]", or a U+FFFC where
// it has no name) taken out in order, with the space or line break that set
// it apart, and the ends trimmed. A message of attachments alone gives empty.
// The stored text keeps its placeholders; this is only for showing it.
QByteArray textBesideAttachments(const QByteArray& text, const QVector<AttachmentRecord>& attachments);

} // namespace attachments

#pragma once

// The catalogue of iOS 4 to 9 backups, the binary Manifest.mbdb: the header
// "mbdb" 0x05 0x00, then one record per file, folder or link. A record is
// five strings (domain, relative path, link target, SHA-1 of the content,
// encryption key; each a 2-byte big-endian length and that many bytes,
// 0xFFFF meaning none), mode (2 bytes), inode (8), user and group id (4
// each), modification, access and change time (4 each), size (8),
// protection class (1), a property count (1) and that many name/value
// string pairs. Integers are big-endian. The reader is bounded: a record
// cut off or running past the end is an error, never a read beyond it.
// A file's content lies at the backup's root under the SHA-1 of its domain,
// "-" and relative path.

#include "Catalogue.h"

#include <QHash>
#include <QPair>

namespace phonebackup {

struct MbdbRecord
{
    QString domain;
    QString relativePath;
    QString linkTarget;
    QByteArray digest;
    QByteArray encryptionKey;
    quint16 mode = 0;
    quint64 inode = 0;
    quint32 userId = 0;
    quint32 groupId = 0;
    quint32 modified = 0;
    quint32 accessed = 0;
    quint32 changed = 0;
    quint64 size = 0;
    quint8 protectionClass = 0;
    QVector<QPair<QByteArray, QByteArray>> properties;

    CatalogueEntry::Kind kind() const;
};

// Parses a whole Manifest.mbdb; nullopt with *error naming the first fault.
std::optional<QVector<MbdbRecord>> parseMbdb(const QByteArray& bytes, QString* error = nullptr);
// The same form written back (the fixture builder's).
QByteArray serializeMbdb(const QVector<MbdbRecord>& records);

class MbdbCatalogue : public Catalogue
{
public:
    // Catalogues larger than this are refused; a real one of a phone with
    // a hundred thousand files is about 20 MB.
    static constexpr qint64 kMaxBytes = 512LL * 1024 * 1024;

    // Reads and parses the folder's Manifest.mbdb; nullptr with *error when
    // it is missing, not a regular file, damaged or cut off.
    static std::unique_ptr<MbdbCatalogue> open(const QString& canonicalFolder, QString* error);

    BackupLayout layout() const override { return BackupLayout::ManifestMbdb; }
    std::optional<QVector<CatalogueEntry>> find(const QString& domain, const QString& relativePath,
                                                QString* error) override;

private:
    MbdbCatalogue(const QString& canonicalFolder, QVector<MbdbRecord> records);

    QString m_folder;
    QVector<MbdbRecord> m_records;
    QHash<QString, QVector<int>> m_index;
};

} // namespace phonebackup

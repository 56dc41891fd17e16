#pragma once

// The catalogue of iOS 10 and later backups, the SQLite Manifest.db: table
// Files(fileID, domain, relativePath, flags, file), flags 1 a file, 2 a
// folder, 4 a link; a file's content lies at "<first two hex digits of
// fileID>/<fileID>" (some copies keep it flat as "<fileID>"). `file` is the
// file's record, a keyed archive of class MBFile (Size, ProtectionClass
// and, in encrypted backups, EncryptionKey).
//
// A lookup is one query on the indexed domain and relativePath. The
// catalogue inside a backup folder is opened read-only and immutable, so
// the folder gains no file and stays byte for byte as it was.

#include "Catalogue.h"

struct sqlite3;
struct sqlite3_stmt;

namespace phonebackup {

// What a Files.file record says about its file.
struct FileRecord
{
    qint64 size = -1;
    quint32 protectionClass = 0;
    QByteArray encryptionKey;
};

// Reads an MBFile keyed archive; nullopt when the blob is not one.
std::optional<FileRecord> parseFileRecord(const QByteArray& blob);

class ManifestDbCatalogue : public Catalogue
{
public:
    ~ManifestDbCatalogue() override;

    // Opens the catalogue at dbPath for the folder canonicalFolder. With
    // `immutable` the file is opened so that nothing beside it is made or
    // changed; a private copy is opened read-only in the usual way, so that
    // its write-ahead log is read. nullptr with *error when the file is not
    // a database or has no usable Files table.
    static std::unique_ptr<ManifestDbCatalogue> open(const QString& dbPath, const QString& canonicalFolder,
                                                     bool immutable, QString* error);

    BackupLayout layout() const override { return BackupLayout::ManifestDb; }
    std::optional<QVector<CatalogueEntry>> find(const QString& domain, const QString& relativePath,
                                                QString* error) override;

private:
    ManifestDbCatalogue() = default;

    QString m_folder;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_find = nullptr;
};

} // namespace phonebackup

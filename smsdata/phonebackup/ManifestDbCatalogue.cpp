#include "ManifestDbCatalogue.h"

#include "FileChecks.h"
#include "PlistValue.h"

#include <QFile>
#include <QUrl>

#include <sqlite3.h>

#include <limits>

namespace phonebackup {

namespace {

constexpr quint64 kFlagFile = 1;
constexpr quint64 kFlagFolder = 2;
constexpr quint64 kFlagLink = 4;

QString sqliteError(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
}

// The names of a table's columns, empty when it has none (no such table).
QStringList columnsOf(sqlite3* db, const char* table)
{
    QStringList names;
    sqlite3_stmt* stmt = nullptr;
    const QByteArray sql = QByteArray("PRAGMA table_info(") + table + ")";
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1))).toLower());
    }
    sqlite3_finalize(stmt);
    return names;
}

// In a keyed archive, values are often references to an entry of
// $objects; NSData may be wrapped in a dictionary holding NS.data.
plistvalue::Node resolve(plistvalue::Node objects, plistvalue::Node value)
{
    for (int hop = 0; hop < 4; ++hop) {
        const std::optional<quint64> ref = plistvalue::uid(value);
        if (!ref)
            break;
        if (*ref >= plistvalue::arraySize(objects))
            return nullptr;
        value = plistvalue::arrayItem(objects, quint32(*ref));
    }
    if (plistvalue::isDict(value)) {
        if (plistvalue::Node inner = plistvalue::item(value, "NS.data"))
            return inner;
    }
    return value;
}

CatalogueEntry::Kind kindOf(sqlite3_stmt* stmt, int column)
{
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
        return CatalogueEntry::Kind::File;
    switch (quint64(sqlite3_column_int64(stmt, column))) {
    case kFlagFile:
        return CatalogueEntry::Kind::File;
    case kFlagFolder:
        return CatalogueEntry::Kind::Folder;
    case kFlagLink:
        return CatalogueEntry::Kind::Link;
    default:
        return CatalogueEntry::Kind::Other;
    }
}

} // namespace

std::optional<FileRecord> parseFileRecord(const QByteArray& blob)
{
    const plistvalue::Tree root = plistvalue::parse(blob, plistvalue::kRecordBounds);
    const plistvalue::Node objects = plistvalue::item(root.get(), "$objects");
    const plistvalue::Node top = plistvalue::item(plistvalue::item(root.get(), "$top"), "root");
    const plistvalue::Node file = resolve(objects, top);
    if (!plistvalue::isDict(file))
        return std::nullopt;
    FileRecord record;
    if (const std::optional<quint64> size = plistvalue::integer(resolve(objects, plistvalue::item(file, "Size"))))
        record.size = *size > quint64(std::numeric_limits<qint64>::max()) ? -1 : qint64(*size);
    if (const std::optional<quint64> cls =
            plistvalue::integer(resolve(objects, plistvalue::item(file, "ProtectionClass"))))
        record.protectionClass = quint32(qMin<quint64>(*cls, 0xFFFFFFFFu));
    if (const std::optional<QByteArray> key =
            plistvalue::data(resolve(objects, plistvalue::item(file, "EncryptionKey"))))
        record.encryptionKey = *key;
    return record;
}

ManifestDbCatalogue::~ManifestDbCatalogue()
{
    sqlite3_finalize(m_find);
    sqlite3_close(m_db);
}

std::unique_ptr<ManifestDbCatalogue> ManifestDbCatalogue::open(const QString& dbPath, const QString& canonicalFolder,
                                                               bool immutable, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("The backup's catalogue (Manifest.db) cannot be read: %1.").arg(why);
        return nullptr;
    };
    std::unique_ptr<ManifestDbCatalogue> catalogue(new ManifestDbCatalogue);
    catalogue->m_folder = canonicalFolder;
    QByteArray uri = QUrl::fromLocalFile(dbPath).toEncoded();
    uri += immutable ? "?mode=ro&immutable=1" : "?mode=ro";
    const int rc = sqlite3_open_v2(uri.constData(), &catalogue->m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK)
        return fail(sqliteError(catalogue->m_db));

    const QStringList columns = columnsOf(catalogue->m_db, "Files");
    if (columns.isEmpty()) {
        // Either not a database at all, or one without the file table.
        sqlite3_stmt* probe = nullptr;
        const int probed = sqlite3_prepare_v2(catalogue->m_db, "SELECT 1 FROM sqlite_master", -1, &probe, nullptr);
        sqlite3_finalize(probe);
        return fail(probed == SQLITE_OK ? QStringLiteral("it has no Files table") : sqliteError(catalogue->m_db));
    }
    for (const char* needed : {"fileid", "domain", "relativepath"}) {
        if (!columns.contains(QLatin1String(needed)))
            return fail(QStringLiteral("its Files table has no %1 column").arg(QLatin1String(needed)));
    }
    // Copies made by other tools may lack the flags or the records.
    const QByteArray flags = columns.contains(QStringLiteral("flags")) ? "flags" : "NULL";
    const QByteArray file = columns.contains(QStringLiteral("file")) ? "file" : "NULL";
    // "+fileID" keeps the planner from walking the primary key for the order
    // instead of using the index on the path.
    const QByteArray sql = "SELECT fileID, " + flags + ", " + file +
                           " FROM Files WHERE domain = ?1 AND relativePath = ?2 ORDER BY +fileID";
    if (sqlite3_prepare_v2(catalogue->m_db, sql.constData(), -1, &catalogue->m_find, nullptr) != SQLITE_OK)
        return fail(sqliteError(catalogue->m_db));
    return catalogue;
}

std::optional<QVector<CatalogueEntry>> ManifestDbCatalogue::find(const QString& domain, const QString& relativePath,
                                                                 QString* error)
{
    const QByteArray domainBytes = domain.toUtf8();
    const QByteArray pathBytes = relativePath.toUtf8();
    sqlite3_reset(m_find);
    sqlite3_bind_text(m_find, 1, domainBytes.constData(), int(domainBytes.size()), SQLITE_TRANSIENT);
    sqlite3_bind_text(m_find, 2, pathBytes.constData(), int(pathBytes.size()), SQLITE_TRANSIENT);
    QVector<CatalogueEntry> found;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(m_find)) == SQLITE_ROW) {
        CatalogueEntry entry;
        entry.domain = domain;
        entry.relativePath = relativePath;
        const auto* id = reinterpret_cast<const char*>(sqlite3_column_text(m_find, 0));
        entry.fileId = QString::fromUtf8(id ? id : "");
        entry.kind = kindOf(m_find, 1);
        // Only a file id of forty hex digits names a file of the folder;
        // anything else ("..", "a/b", "") could point elsewhere.
        if (files::isFileId(entry.fileId)) {
            entry.dataPaths =
                QStringList{m_folder + QLatin1Char('/') + entry.fileId.left(2) + QLatin1Char('/') + entry.fileId,
                            m_folder + QLatin1Char('/') + entry.fileId};
        }
        if (sqlite3_column_type(m_find, 2) == SQLITE_BLOB) {
            const QByteArray blob(static_cast<const char*>(sqlite3_column_blob(m_find, 2)),
                                  sqlite3_column_bytes(m_find, 2));
            if (const std::optional<FileRecord> record = parseFileRecord(blob)) {
                entry.size = record->size;
                entry.protectionClass = record->protectionClass;
                entry.encryptionKey = record->encryptionKey;
            } else {
                entry.recordDamaged = true;
            }
        }
        found.append(entry);
    }
    sqlite3_reset(m_find);
    if (rc != SQLITE_DONE) {
        if (error)
            *error = QStringLiteral("The backup's catalogue (Manifest.db) cannot be read: %1.").arg(sqliteError(m_db));
        return std::nullopt;
    }
    return found;
}

} // namespace phonebackup

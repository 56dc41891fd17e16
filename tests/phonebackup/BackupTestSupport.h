#pragma once

// Helpers of the backup tests: a digest of a whole folder (links and special
// files taken as what they are, never followed or opened), capture of what
// the process writes to standard output and error, a database in WAL form
// with content in its log, and the sample phone the fixture backups hold.

#include "BackupBuilder.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

inline bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Names, kinds, link targets, sizes, times and contents of everything in
// the folder.
inline QByteArray folderDigest(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(it.next());
    names.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString& name : names) {
        struct stat st;
        if (::lstat(QFile::encodeName(name).constData(), &st) != 0)
            continue;
        hash.addData(name.toUtf8());
        hash.addData(QByteArray::number(qint64(st.st_mode)) + ' ' + QByteArray::number(qint64(st.st_size)) + ' ' +
                     QByteArray::number(qint64(st.st_mtime)));
        if (S_ISLNK(st.st_mode))
            hash.addData(QFile::symLinkTarget(name).toUtf8());
        else if (S_ISREG(st.st_mode))
            hash.addData(readFile(name));
    }
    return hash.result().toHex();
}

// What the process writes to file descriptors 1 and 2 while it lives.
class OutputCapture
{
public:
    OutputCapture()
    {
        m_file.open();
        std::fflush(stdout);
        std::fflush(stderr);
        m_out = ::dup(1);
        m_err = ::dup(2);
        ::dup2(m_file.handle(), 1);
        ::dup2(m_file.handle(), 2);
    }
    ~OutputCapture() { restore(); }

    QByteArray text()
    {
        restore();
        return readFile(m_file.fileName());
    }

private:
    void restore()
    {
        if (m_out < 0)
            return;
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_out, 1);
        ::dup2(m_err, 2);
        ::close(m_out);
        ::close(m_err);
        m_out = m_err = -1;
    }

    QTemporaryFile m_file;
    int m_out = -1;
    int m_err = -1;
};

// A database in WAL form whose log holds rows the main file lacks, as a
// phone's file often is when it is backed up: *main gets the main file's
// bytes, *wal the log's. `rows` rows are in the log, one is in the main file.
inline bool walDatabase(int rows, QByteArray* main, QByteArray* wal)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("w.db")));
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(path.constData(), &db) == SQLITE_OK &&
              sqlite3_exec(db,
                           "PRAGMA journal_mode=WAL; CREATE TABLE message (ROWID INTEGER PRIMARY KEY, text TEXT);"
                           "INSERT INTO message (text) VALUES ('in the main file');"
                           "PRAGMA wal_checkpoint(TRUNCATE);",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < rows; ++i)
        ok = sqlite3_exec(db, "INSERT INTO message (text) VALUES ('only in the log')", nullptr, nullptr, nullptr) ==
             SQLITE_OK;
    // Taken while the connection is open, so the log is not folded back.
    *main = readFile(dir.filePath(QStringLiteral("w.db")));
    *wal = readFile(dir.filePath(QStringLiteral("w.db-wal")));
    sqlite3_close(db);
    return ok && !main->isEmpty() && !wal->isEmpty();
}

// Rows of `message` in a database opened with its log beside it.
inline int messageRows(const QString& path)
{
    sqlite3* db = nullptr;
    int count = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT count(*) FROM message", -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            count = sqlite3_column_int(stmt, 0);
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return count;
}

inline const QString kHome = QStringLiteral("HomeDomain");
inline const QString kSms = QStringLiteral("Library/SMS/sms.db");
inline const QString kBook = QStringLiteral("Library/AddressBook/AddressBook.sqlitedb");

// The files of the sample phone: its message database in WAL form (with a
// journal entry listed before it, which must never be taken for it), its
// address book, and files around them.
inline QList<backupbuilder::PhoneFile> samplePhone(QByteArray* smsMain = nullptr, QByteArray* smsWal = nullptr)
{
    QByteArray main;
    QByteArray wal;
    walDatabase(3, &main, &wal);
    if (smsMain)
        *smsMain = main;
    if (smsWal)
        *smsWal = wal;
    using backupbuilder::PhoneFile;
    return {
        {kHome, QStringLiteral("Library/SMS/sms.db-journal"), "journal, not the database"},
        {kHome, QStringLiteral("Library/SMS/sms.db-shm"), QByteArray(32768, '\0')},
        {kHome, QStringLiteral("Library/SMS"), {}, PhoneFile::Kind::Folder},
        {kHome, kSms, main},
        {kHome, kSms + QStringLiteral("-wal"), wal},
        {kHome, QStringLiteral("Library/SMS/old/sms.db"), "an older copy elsewhere"},
        {QStringLiteral("AppDomain-com.example"), kSms, "another app's file of the same path"},
        {kHome, kBook, "SQLite format 3\0address book"},
        {kHome, QStringLiteral("Library/AddressBook/AddressBookImages.sqlitedb"), "images"},
        {kHome,
         QStringLiteral("Library/Preferences/link.plist"),
         {},
         PhoneFile::Kind::Link,
         QStringLiteral("/private/var/mobile/x")},
        {QStringLiteral("MediaDomain"), QStringLiteral("Library/SMS/Attachments/ab/11/IMG_0001.HEIC"),
         QByteArray(5000, '\x42')},
    };
}

} // namespace testsupport

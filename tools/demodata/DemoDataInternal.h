#pragma once

// What the generators of both phone layouts share: the seeded random
// numbers, the texts in five languages and a thin SQLite wrapper.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtGlobal>
#include <QString>

#include <sqlite3.h>

#include <cstdint>

namespace demodata::detail {

// A small generator of our own: std::uniform_int_distribution differs between
// standard libraries, and the demo must be the same everywhere.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint32_t next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(m_state >> 33);
    }
    int below(int n) { return n <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint32_t>(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }

private:
    std::uint64_t m_state;
};

enum Lang { En, Zh, Fr, De, Es };

struct Pool
{
    const char* const* texts;
    int count;
};

// The everyday texts of a language; some end in U+FFFC, where the phone
// put a picture.
Pool poolFor(Lang lang);

void setError(QString* error, const QString& text);

// One schema file of the phone, from the program's resources.
QByteArray schemaFile(const QString& name);

class Db
{
public:
    Db() = default;
    Db(const Db&) = delete;
    Db& operator=(const Db&) = delete;
    ~Db();

    // A new, empty file in place of whatever was at `path`.
    bool open(const QString& path, QString* error);
    bool openExisting(const QString& path, QString* error);
    bool exec(const QByteArray& sql, QString* error);
    sqlite3_stmt* prepare(const char* sql, QString* error);
    QString lastError() const;
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

void bindText(sqlite3_stmt* stmt, int index, const QString& text);
// NULL for a null text, so that "no text" and "empty text" stay apart.
void bindTextOrNull(sqlite3_stmt* stmt, int index, const QString& text);
// Runs a prepared statement once; the statement is reset for the next row.
bool step(Db& db, sqlite3_stmt* stmt, QString* error);

// Creates the table AddressBook111 of a backup file and fills it with
// (name, tel) rows, in their order.
bool writeBackupContacts(const QString& path, const QList<QPair<QString, QString>>& rows, QString* error);

// The first day of the modern phone's messages (seconds since 1970).
qint64 modernFirstDate();
// The table AddressBook111 of a modern backup file: one row per number or
// e-mail address, named "first last" or by the organisation.
bool addModernBackupContacts(const QString& path, QString* error);

} // namespace demodata::detail

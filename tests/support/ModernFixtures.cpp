#include "ModernFixtures.h"

#include "AttributedBody.h"
#include "Fixtures.h"
#include "PhoneDb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace modernfixtures {

namespace {

constexpr qint64 epoch2001 = 978307200;
constexpr qint64 sampleBase = 1577836800; // 2020-01-01 00:00 UTC

void fail(const char* what, sqlite3* db)
{
    qFatal("modern fixtures: %s: %s", what, db ? sqlite3_errmsg(db) : "no connection");
}

QByteArray schemaFile(const QString& name)
{
    QFile file(fixtures::dataDir() + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("modern fixtures: cannot read schema %s", qPrintable(file.fileName()));
    return file.readAll();
}

QByteArray statements(Schema schema)
{
    if (schema == Schema::Ios9)
        return schemaFile(QStringLiteral("modern-sms-ios9.sql"));
    const QByteArray ios13 = schemaFile(QStringLiteral("modern-sms-ios13.sql"));
    if (schema == Schema::Ios13)
        return ios13;
    if (schema == Schema::Ios17)
        return ios13 + "\nALTER TABLE message ADD COLUMN date_edited INTEGER DEFAULT 0;"
                       "\nALTER TABLE message ADD COLUMN date_retracted INTEGER DEFAULT 0;"
                       "\nALTER TABLE message ADD COLUMN associated_message_emoji TEXT;\n";
    // Reduced: the two tables alone, nothing that refers to the others.
    QByteArray reduced;
    for (const QByteArray& line : ios13.split('\n')) {
        if (line.startsWith("CREATE TABLE message (") || line.startsWith("CREATE TABLE handle ("))
            reduced += line + '\n';
    }
    return reduced;
}

// Byte arrays are blobs here (the attributedBody column); everything else
// binds as the phone database writer binds it.
void bind(sqlite3_stmt* stmt, int index, const QVariant& value)
{
    if (!value.isNull() && value.typeId() == QMetaType::QByteArray)
        phonedb::bindBlob(stmt, index, value.toByteArray());
    else
        phonedb::bind(stmt, index, value);
}

sqlite3_stmt* prepare(sqlite3* db, const QByteArray& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        fail(sql.constData(), db);
    return stmt;
}

void run(sqlite3* db, sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE)
        fail("insert", db);
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

bool hasTable(sqlite3* db, const char* table)
{
    sqlite3_stmt* stmt = prepare(db, "select count(*) from sqlite_master where type = 'table' and name = ?");
    sqlite3_bind_text(stmt, 1, table, -1, SQLITE_STATIC);
    sqlite3_step(stmt);
    const bool found = sqlite3_column_int(stmt, 0) > 0;
    sqlite3_finalize(stmt);
    return found;
}

void insertMessage(sqlite3* db, const Message& m)
{
    QByteArray names = "ROWID, guid, text, attributedBody, handle_id, is_from_me, date";
    QByteArray marks = "?, ?, ?, ?, ?, ?, ?";
    for (auto it = m.columns.cbegin(); it != m.columns.cend(); ++it) {
        names += ", " + it.key().toUtf8();
        marks += ", ?";
    }
    sqlite3_stmt* stmt = prepare(db, "insert into message (" + names + ") values (" + marks + ")");
    sqlite3_bind_int64(stmt, 1, m.rowId);
    bind(stmt, 2, guidOf(m));
    bind(stmt, 3, m.text);
    bind(stmt, 4, m.body);
    bind(stmt, 5, m.handle);
    bind(stmt, 6, m.fromMe);
    bind(stmt, 7, m.date);
    int index = 8;
    for (auto it = m.columns.cbegin(); it != m.columns.cend(); ++it)
        bind(stmt, index++, it.value());
    run(db, stmt);
    sqlite3_finalize(stmt);
}

QByteArray filler(int size, const char* seed)
{
    QByteArray text;
    const QByteArray word = QByteArray(seed) + ' ';
    while (text.size() < size)
        text += word;
    text.truncate(size);
    return text;
}

} // namespace

QString guidOf(const Message& message)
{
    return message.guid.isEmpty() ? QStringLiteral("GUID-%1").arg(message.rowId) : message.guid;
}

QByteArray body(const QByteArray& text)
{
    return attributedbody::encode(text);
}

qint64 appleSeconds(qint64 unixSeconds)
{
    return unixSeconds - epoch2001;
}

qint64 appleNanoseconds(qint64 unixSeconds)
{
    return (unixSeconds - epoch2001) * 1000000000;
}

QByteArray longBody200()
{
    return filler(200, "Two hundred bytes of text that only the body holds.");
}

QByteArray longBody70000()
{
    return filler(70000, "Seventy thousand bytes, beyond a two-byte length.");
}

QString makeModernDb(const QString& path, const Database& database, Schema schema)
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        fail("open", db);
    sqlite3_exec(db, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    if (sqlite3_exec(db, statements(schema).constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("schema", db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);

    sqlite3_stmt* handle = prepare(db, "insert into handle (ROWID, id, country, service) values (?, ?, ?, ?)");
    for (const Handle& h : database.handles) {
        sqlite3_bind_int64(handle, 1, h.rowId);
        bind(handle, 2, h.id);
        bind(handle, 3, h.country);
        bind(handle, 4, h.service);
        run(db, handle);
    }
    sqlite3_finalize(handle);

    const bool joins = hasTable(db, "chat");
    if (joins) {
        sqlite3_stmt* chat =
            prepare(db, "insert into chat (ROWID, guid, style, chat_identifier, display_name) values (?, ?, ?, ?, ?)");
        sqlite3_stmt* member = prepare(db, "insert into chat_handle_join (chat_id, handle_id) values (?, ?)");
        for (const Chat& c : database.chats) {
            sqlite3_bind_int64(chat, 1, c.rowId);
            bind(chat, 2, QStringLiteral("CHAT-%1").arg(c.rowId));
            sqlite3_bind_int(chat, 3, c.style);
            bind(chat, 4, c.identifier);
            bind(chat, 5, c.displayName);
            run(db, chat);
            for (qint64 h : c.members) {
                sqlite3_bind_int64(member, 1, c.rowId);
                sqlite3_bind_int64(member, 2, h);
                run(db, member);
            }
        }
        sqlite3_finalize(chat);
        sqlite3_finalize(member);

        const bool newer = schema != Schema::Ios9;
        sqlite3_stmt* attachment = prepare(
            db, newer ? "insert into attachment (ROWID, guid, transfer_name, filename, original_guid) values (?, ?, ?, "
                        "?, ?)"
                      : "insert into attachment (ROWID, guid, transfer_name, filename) values (?, ?, ?, ?)");
        for (const Attachment& a : database.attachments) {
            sqlite3_bind_int64(attachment, 1, a.rowId);
            bind(attachment, 2, QStringLiteral("ATT-%1").arg(a.rowId));
            bind(attachment, 3, a.transferName);
            bind(attachment, 4, a.filename);
            if (newer)
                bind(attachment, 5, QStringLiteral("ATT-%1").arg(a.rowId));
            run(db, attachment);
            for (auto it = a.columns.cbegin(); it != a.columns.cend(); ++it) {
                const QByteArray sql = "update attachment set \"" + it.key().toUtf8() + "\" = ? where ROWID = ?";
                sqlite3_stmt* column = prepare(db, sql.constData());
                bind(column, 1, *it);
                sqlite3_bind_int64(column, 2, a.rowId);
                run(db, column);
                sqlite3_finalize(column);
            }
        }
        sqlite3_finalize(attachment);
    }

    sqlite3_stmt* chatLink =
        joins ? prepare(db, "insert into chat_message_join (chat_id, message_id) values (?, ?)") : nullptr;
    sqlite3_stmt* attachmentLink =
        joins ? prepare(db, "insert into message_attachment_join (message_id, attachment_id) values (?, ?)") : nullptr;
    for (const Message& m : database.messages) {
        insertMessage(db, m);
        for (qint64 c : m.chats) {
            if (!chatLink)
                break;
            sqlite3_bind_int64(chatLink, 1, c);
            sqlite3_bind_int64(chatLink, 2, m.rowId);
            run(db, chatLink);
        }
        for (qint64 a : m.attachments) {
            if (!attachmentLink)
                break;
            sqlite3_bind_int64(attachmentLink, 1, m.rowId);
            sqlite3_bind_int64(attachmentLink, 2, a);
            run(db, attachmentLink);
        }
    }
    sqlite3_finalize(chatLink);
    sqlite3_finalize(attachmentLink);

    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        fail("commit", db);
    sqlite3_close(db);
    return path;
}

Database sample(Schema schema)
{
    const bool reactions = schema == Schema::Ios13 || schema == Schema::Ios17;
    const bool edits = schema == Schema::Ios17;
    auto date = [](qint64 row) -> QVariant {
        const qint64 unix = sampleBase + row * 60;
        return row % 2 ? appleSeconds(unix) : appleNanoseconds(unix);
    };
    auto text = [](const char* utf8) { return QVariant(QString::fromUtf8(utf8)); };

    Database d;
    d.handles = {
        {1, QStringLiteral("+12095981933"), QStringLiteral("SMS"), QStringLiteral("us")},
        {2, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QStringLiteral("us")},
        {3, QStringLiteral("anna@example.org"), QStringLiteral("iMessage"), QVariant()},
        {4, QStringLiteral("40404"), QStringLiteral("SMS"), QStringLiteral("us")},
        {5, QStringLiteral("telma"), QStringLiteral("SMS"), QVariant()},
        {6, QStringLiteral("+447700900123"), QStringLiteral("iMessage"), QStringLiteral("gb")},
        {7, QStringLiteral("+8613800138000"), QStringLiteral("SMS"), QStringLiteral("cn")},
        {8, QStringLiteral("+15550001111"), QStringLiteral("SMS"), QStringLiteral("us")},
    };
    d.chats = {
        {1, QStringLiteral("+12095981933"), 45, QVariant(), {1}},
        {2, QStringLiteral("+12095981933"), 45, QString(), {2}},
        {3, QStringLiteral("anna@example.org"), 45, QVariant(), {3}},
        {4, QStringLiteral("40404"), 45, QVariant(), {4}},
        {5, QStringLiteral("telma"), 45, QVariant(), {5}},
        {6, QStringLiteral("chat123456789"), 43, QStringLiteral("Climbing"), {3, 6, 7}},
        {7, QStringLiteral("chat987654321"), 43, QString(), {1, 6}},
    };
    d.attachments = {
        {1, QStringLiteral("IMG_0042.HEIC"), QStringLiteral("~/Library/SMS/Attachments/ab/11/A1/IMG_0042.HEIC"), {}},
        {2, QVariant(), QStringLiteral("~/Library/SMS/Attachments/cd/22/A2/voice-note.caf"), {}},
        {3, QStringLiteral("map.png"), QStringLiteral("~/Library/SMS/Attachments/ef/33/A3/map.png"), {}},
    };

    auto message = [&](qint64 row, QVariant body, qint64 handle, bool fromMe, QList<qint64> chats) {
        Message m;
        m.rowId = row;
        m.text = std::move(body);
        m.handle = handle;
        m.fromMe = fromMe ? 1 : 0;
        m.date = date(row);
        m.chats = std::move(chats);
        return m;
    };

    d.messages.append(message(1, text("Hi over SMS"), 1, false, {1}));
    d.messages.append(message(2, text("Reply over iMessage"), 2, true, {2}));
    Message m3 = message(3, QVariant(), 3, false, {3});
    m3.body = body("Short body");
    d.messages.append(m3);
    Message m4 = message(4, QString(), 3, true, {3});
    m4.body = body(longBody200());
    d.messages.append(m4);
    Message m5 = message(5, QVariant(), 3, false, {3});
    m5.body = body(longBody70000());
    d.messages.append(m5);
    Message m6 = message(6, text("Your code is 4711"), 4, false, {4});
    m6.date = 0;
    d.messages.append(m6);
    d.messages.append(message(7, text("Parcel waiting"), 5, false, {5}));
    d.messages.append(message(8, text("Who is in for Saturday?"), 6, false, {6}));
    Message m9 = message(9, text("Me! \xef\xbf\xbc and \xef\xbf\xbc"), 0, true, {6});
    m9.attachments = {1, 2};
    d.messages.append(m9);
    if (reactions) {
        Message love = message(10, QVariant(), 7, false, {6});
        love.columns = {{QStringLiteral("associated_message_type"), 2000},
                        {QStringLiteral("associated_message_guid"), QStringLiteral("p:0/GUID-8")}};
        d.messages.append(love);
        Message like = message(11, QVariant(), 6, false, {6});
        like.columns = {{QStringLiteral("associated_message_type"), 2001},
                        {QStringLiteral("associated_message_guid"), QStringLiteral("p:0/GUID-9")}};
        d.messages.append(like);
        Message unlike = message(12, QVariant(), 6, false, {6});
        unlike.columns = {{QStringLiteral("associated_message_type"), 3001},
                          {QStringLiteral("associated_message_guid"), QStringLiteral("p:0/GUID-9")}};
        d.messages.append(unlike);
        Message laugh = message(13, QVariant(), 7, false, {6});
        laugh.columns = {{QStringLiteral("associated_message_type"), 2003},
                         {QStringLiteral("associated_message_guid"), QStringLiteral("bp:GUID-9")}};
        d.messages.append(laugh);
        Message added = message(14, QVariant(), 6, false, {6});
        added.columns = {{QStringLiteral("item_type"), 1},
                         {QStringLiteral("group_action_type"), 0},
                         {QStringLiteral("other_handle"), 7}};
        d.messages.append(added);
        Message renamed = message(15, QVariant(), 0, true, {6});
        renamed.columns = {{QStringLiteral("item_type"), 2},
                           {QStringLiteral("group_title"), QStringLiteral("Climbing crew")}};
        d.messages.append(renamed);
    }
    d.messages.append(message(16, text("Unnamed group hello"), 1, false, {7}));
    if (reactions) {
        Message left = message(17, QVariant(), 6, false, {7});
        left.columns = {{QStringLiteral("item_type"), 3}};
        d.messages.append(left);
    }
    d.messages.append(message(18, text("In no chat"), 6, false, {}));
    if (edits) {
        Message edited = message(19, text("Edited text"), 0, true, {1});
        edited.columns = {{QStringLiteral("date_edited"), appleNanoseconds(sampleBase + 19 * 60 + 30)}};
        d.messages.append(edited);
        Message unsent = message(20, text("Taken back"), 1, false, {1});
        unsent.columns = {{QStringLiteral("date_retracted"), appleNanoseconds(sampleBase + 20 * 60 + 30)}};
        d.messages.append(unsent);
    }
    Message m21 = message(21, text("\xef\xbf\xbc"), 3, true, {3});
    m21.attachments = {3};
    d.messages.append(m21);
    Message m22 = message(22, QVariant(), 0, false, {4});
    m22.handle = QVariant();
    m22.fromMe = QVariant();
    m22.date = QVariant();
    d.messages.append(m22);
    d.messages.append(message(23, text("Only message of handle 8"), 8, false, {}));
    return d;
}

} // namespace modernfixtures

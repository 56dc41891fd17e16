// Times the SMS data core on phone-sized databases, all built on the phone's
// own schema statements in a temporary folder:
//
// - the old layout: 100,000 messages in 2,000 conversations and an address
//   book of 2,000 contacts (read, names, list, a conversation delete);
// - the modern layout: 100,000 messages in 2,000 chats (groups, reactions,
//   attachments, texts only in attributedBody) and an iOS 15 address book of
//   20,000 contacts, read in a fresh process, against the sqlite3 program;
// - deletes of 500 messages (one conversation, and 500 selected) in files of
//   100,000 and 1,000,000 messages of both layouts, and the phone's triggers'
//   query plans on the large files;
// - opening a backup of 1,000,000 messages in a fresh process: time to its
//   painted list (read, names, conversation list, and the first paint of
//   the list page offscreen with the default skin) and peak memory;
// - searching those backups: the first query with the index build, later
//   queries of one common word, two words and a word that is nowhere, and
//   the memory the search adds.
// - msgdesk-cli show of one conversation and info, in fresh processes, on
//   the files of 1,000,000 messages.
//
// Every goal prints one line ending in "met" or "MISSED"; one whose figure
// could not be measured (a child that failed, no sqlite3 program) prints
// "could not be measured: MISSED".
//
//   bench_smsdata [--large N]     N messages instead of 1,000,000 in the large files
//   bench_smsdata --make-legacy FILE N | --make-modern FILE N | --open FILE
//                                 write one of the files, or open one as a backup
//                                 (for profiling one step alone)
//   bench_smsdata --search FILE   the search goals on one backup file

#include "AttributedBody.h"
#include "CliCommands.h"
#include "ContactStore.h"
#include "MessageSearch.h"
#include "MessageStore.h"
#include "ModernMessageTable.h"
#include "PaintWatch.h"
#include "PhoneDb.h"
#include "PhoneSchemas.h"
#include "frame_page1.h"
#include "xresourceMgr.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

#include <sqlite3.h>

namespace {

constexpr int messageCount = 100000;
constexpr int conversationCount = 2000;
constexpr int contactCount = 2000;
constexpr int modernContactCount = 20000;
constexpr int bigConversationSize = 500;
constexpr int selectedCount = 500;
constexpr double deleteGoal = 0.2;
constexpr double listGoal = 2.0;
constexpr qint64 memoryGoalKb = 400 * 1024;

// What the phone registers for its own triggers: read() of a message that
// has been read, the address book's identifiers and trigger values.
void registerStandIns(sqlite3* db)
{
    phonedb::registerRead(db, phonedb::StandIn::One);
    phonedb::registerAddressBookStandIns(db, [] {
        static qint64 next = 0;
        return "GUID-" + QByteArray::number(++next);
    });
}

sqlite3* create(const QString& path, const char* schemaFile)
{
    QString error;
    sqlite3* db = phonedb::create(path, &error);
    if (!db) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        std::exit(1);
    }
    registerStandIns(db);
    const QByteArray statements = phoneschemas::statements(QLatin1String(schemaFile));
    if (!phonedb::loadSchema(db, statements, &error)) {
        std::fprintf(stderr, "cannot create %s from %s: %s\n", qPrintable(path), schemaFile, qPrintable(error));
        std::exit(1);
    }
    // One transaction, committed to the disk: timings that follow must not pay
    // for writing back what generating left in the system's cache.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    return db;
}

void finish(sqlite3* db)
{
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql)
{
    QString error;
    sqlite3_stmt* stmt = phonedb::prepare(db, sql, &error);
    if (!stmt) {
        std::fprintf(stderr, "cannot prepare %s: %s\n", sql, qPrintable(error));
        std::exit(1);
    }
    return stmt;
}

// A null array binds NULL.
void bindText(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    phonedb::bind(stmt, index, text.isNull() ? QVariant() : QVariant(text));
}

void step(sqlite3* db, sqlite3_stmt* stmt)
{
    QString error;
    if (!phonedb::step(db, stmt, &error)) {
        std::fprintf(stderr, "insert failed: %s\n", qPrintable(error));
        std::exit(1);
    }
}

// Conversation 0 is written with dashes in some rows, as the phone does.
QByteArray conversationAddress(int conversation, int variant)
{
    const QByteArray digits = QByteArray::number(13800000000LL + conversation);
    if (variant % 3 == 1)
        return digits.left(3) + '-' + digits.mid(3, 4) + '-' + digits.mid(7);
    return digits;
}

// Every (count / 500)th message belongs to conversation 0, giving it 500
// messages; the others are spread over the remaining 1,999 conversations.
int conversationOf(int message, int count)
{
    if (message % (count / bigConversationSize) == 0)
        return 0;
    return 1 + int((qint64(message) * 7919) % (conversationCount - 1));
}

// Row ids of 500 messages spread over the file, none in conversation 0 and
// (in the modern files) none a reaction or event.
QVector<qint64> selectedRows(int count)
{
    QVector<qint64> rows;
    const int stride = count / selectedCount;
    for (int j = 0; j < selectedCount; ++j)
        rows.append(qint64(j) * stride + 33 + 1);
    return rows;
}

const QByteArray sampleTexts[] = {
    QStringLiteral("晚上一起吃饭吗？我在老地方等你").toUtf8(),
    QByteArray("On my way, be there in ten minutes. Traffic is terrible today."),
    QStringLiteral("Ça marche, à demain 😀").toUtf8(),
    QStringLiteral("您的验证码是 483920，五分钟内有效。\uFFFC").toUtf8(),
};

void makeLegacyMessages(const QString& path, int count, const char* schemaFile = "legacy-sms-ios4.sql")
{
    sqlite3* db = create(path, schemaFile);
    sqlite3_stmt* stmt = prepare(db, "insert into message (address, date, text, flags) values (?, ?, ?, ?)");
    for (int i = 0; i < count; ++i) {
        bindText(stmt, 1, conversationAddress(conversationOf(i, count), i));
        sqlite3_bind_int64(stmt, 2, 1262304000 + qint64(i) * 60);
        bindText(stmt, 3, sampleTexts[i % 4] + ' ' + QByteArray::number(i));
        sqlite3_bind_int(stmt, 4, i % 3 ? 2 : 3);
        step(db, stmt);
    }
    sqlite3_finalize(stmt);
    finish(db);
}

void makeAddressBook(const QString& path)
{
    sqlite3* db = create(path, "addressbook-ios5.sql");
    sqlite3_stmt* person = prepare(db, "insert into ABPerson (First, Last) values (?, ?)");
    sqlite3_stmt* value = prepare(db, "insert into ABMultiValue (record_id, property, value) values (?, ?, ?)");
    for (int i = 0; i < contactCount; ++i) {
        bindText(person, 1, "First" + QByteArray::number(i));
        bindText(person, 2, QStringLiteral("姓%1").arg(i).toUtf8());
        step(db, person);
        const qint64 id = sqlite3_last_insert_rowid(db);
        sqlite3_bind_int64(value, 1, id);
        if (i % 4 == 0) { // an e-mail first: this person's number is the address
            sqlite3_bind_int(value, 2, 4);
            bindText(value, 3, "person" + QByteArray::number(i) + "@example.org");
            step(db, value);
            sqlite3_bind_int64(value, 1, id);
        }
        sqlite3_bind_int(value, 2, 3);
        bindText(value, 3, "+86" + conversationAddress(i, i));
        step(db, value);
    }
    sqlite3_finalize(person);
    sqlite3_finalize(value);
    finish(db);
}

// The modern layout. Chat k (row id k + 1) is conversation k: every 20th a
// group of three (every 40th with a name), every 10th an e-mail address,
// the rest phone numbers in international form. Of the messages, 5 in 100
// are reactions to the chat's previous message (one in 100 a removal), one
// in 100 of a group a group event, 3 in 100 an attachment, 20 in 100 have
// their text only in attributedBody.
enum class ModernSchema { Ios9, Ios13 };

bool isGroup(int chat)
{
    return chat % 20 == 5;
}

QByteArray chatIdentifier(int chat)
{
    if (isGroup(chat))
        return "chat" + QByteArray::number(100000000 + chat);
    if (chat % 10 == 3)
        return "person" + QByteArray::number(chat) + "@example.org";
    return "+86" + QByteArray::number(13800000000LL + chat);
}

void makeModernMessages(const QString& path, int count, ModernSchema version)
{
    const bool ios13 = version == ModernSchema::Ios13;
    sqlite3* db = create(path, ios13 ? "modern-sms-ios13.sql" : "modern-sms-ios9.sql");
    sqlite3_stmt* handle = prepare(db, "insert into handle (ROWID, id, service, country) values (?, ?, ?, 'cn')");
    sqlite3_stmt* chat =
        prepare(db, "insert into chat (ROWID, guid, style, chat_identifier, display_name) values (?, ?, ?, ?, ?)");
    sqlite3_stmt* member = prepare(db, "insert into chat_handle_join (chat_id, handle_id) values (?, ?)");
    for (int k = 0; k < conversationCount; ++k) {
        // Handle k + 1 belongs to chat k; a group's are those of three others.
        sqlite3_bind_int64(handle, 1, k + 1);
        bindText(handle, 2, isGroup(k) ? "+86" + QByteArray::number(13900000000LL + k) : chatIdentifier(k));
        bindText(handle, 3, k % 2 ? "iMessage" : "SMS");
        step(db, handle);
        sqlite3_bind_int64(chat, 1, k + 1);
        bindText(chat, 2, "CHAT-" + QByteArray::number(k));
        sqlite3_bind_int(chat, 3, isGroup(k) ? 43 : 45);
        bindText(chat, 4, chatIdentifier(k));
        bindText(chat, 5, isGroup(k) && k % 40 == 5 ? "Group " + QByteArray::number(k) : QByteArray());
        step(db, chat);
    }
    for (int k = 0; k < conversationCount; ++k) {
        for (int m : {k, (k + 7) % conversationCount, (k + 13) % conversationCount}) {
            if (!isGroup(k) && m != k)
                break;
            sqlite3_bind_int64(member, 1, k + 1);
            sqlite3_bind_int64(member, 2, m + 1);
            step(db, member);
        }
    }

    sqlite3_stmt* message = prepare(
        db, ios13 ? "insert into message (ROWID, guid, text, attributedBody, handle_id, is_from_me, date, service, "
                    "associated_message_type, associated_message_guid, item_type, group_title, other_handle) "
                    "values (?, ?, ?, ?, ?, ?, ?, 'iMessage', ?, ?, ?, ?, ?)"
                  : "insert into message (ROWID, guid, text, attributedBody, handle_id, is_from_me, date, service) "
                    "values (?, ?, ?, ?, ?, ?, ?, 'SMS')");
    sqlite3_stmt* link = prepare(db, ios13 ? "insert into chat_message_join (chat_id, message_id, message_date) "
                                             "values (?, ?, ?)"
                                           : "insert into chat_message_join (chat_id, message_id) values (?, ?)");
    sqlite3_stmt* attachment = prepare(
        db, ios13
                ? "insert into attachment (ROWID, guid, original_guid, filename, transfer_name) values (?, ?, ?, ?, ?)"
                : "insert into attachment (ROWID, guid, filename, transfer_name) values (?, ?, ?, ?)");
    sqlite3_stmt* attached =
        prepare(db, "insert into message_attachment_join (message_id, attachment_id) values (?, ?)");

    QVector<qint64> lastOfChat(conversationCount, 0);
    qint64 attachments = 0;
    for (int i = 0; i < count; ++i) {
        const qint64 row = i + 1;
        const int k = conversationOf(i, count);
        const int kind = i % 100;
        const bool fromMe = i % 3 == 0;
        const bool plain = k == 0; // the conversation deleted whole: 500 plain messages
        qint64 handleId = k + 1;
        if (isGroup(k))
            handleId = fromMe ? 0
                              : QVector<qint64>{k + 1, (k + 7) % conversationCount + 1,
                                                (k + 13) % conversationCount + 1}[i % 3];
        const qint64 date = (qint64(i) * 60 + 450000000) * 1000000000; // nanoseconds from 2015 on
        const QByteArray guid = "G" + QByteArray::number(row);
        QByteArray text = sampleTexts[i % 4] + ' ' + QByteArray::number(i);

        sqlite3_bind_int64(message, 1, row);
        bindText(message, 2, guid);
        sqlite3_bind_int64(message, 5, handleId);
        sqlite3_bind_int(message, 6, fromMe ? 1 : 0);
        sqlite3_bind_int64(message, 7, ios13 ? date : date / 1000000000);
        bool counts = true;
        if (ios13 && !plain && kind < 6 && lastOfChat[k] > 0) {
            // A reaction, or (one in six) the removal of one, to the chat's last message.
            sqlite3_bind_int(message, 8, kind == 5 ? 3000 : 2000 + kind);
            bindText(message, 9, "p:0/G" + QByteArray::number(lastOfChat[k]));
            counts = false;
        } else if (ios13 && !plain && kind == 6 && isGroup(k)) {
            sqlite3_bind_int(message, 10, 2);
            bindText(message, 11, "Renamed " + QByteArray::number(i));
            counts = false;
        } else if (!plain && kind >= 7 && kind < 10) {
            bindText(message, 3, QStringLiteral("\uFFFC").toUtf8());
            ++attachments;
            const QByteArray name = "IMG_" + QByteArray::number(i) + ".HEIC";
            sqlite3_bind_int64(attachment, 1, attachments);
            bindText(attachment, 2, "ATT" + QByteArray::number(attachments));
            if (ios13) {
                bindText(attachment, 3, "ATT" + QByteArray::number(attachments));
                bindText(attachment, 4, "~/Library/SMS/Attachments/ab/11/ATT/" + name);
                bindText(attachment, 5, name);
            } else {
                bindText(attachment, 3, "~/Library/SMS/Attachments/ab/11/ATT/" + name);
                bindText(attachment, 4, name);
            }
            step(db, attachment);
        } else if (!plain && kind >= 10 && kind < 30) {
            const QByteArray blob = attributedbody::encode(text);
            sqlite3_bind_blob(message, 4, blob.constData(), int(blob.size()), SQLITE_TRANSIENT);
        } else {
            bindText(message, 3, text);
        }
        step(db, message);
        if (!plain && kind >= 7 && kind < 10) {
            sqlite3_bind_int64(attached, 1, row);
            sqlite3_bind_int64(attached, 2, attachments);
            step(db, attached);
        }
        sqlite3_bind_int64(link, 1, k + 1);
        sqlite3_bind_int64(link, 2, row);
        if (ios13)
            sqlite3_bind_int64(link, 3, date);
        step(db, link);
        if (counts)
            lastOfChat[k] = row;
    }
    for (sqlite3_stmt* stmt : {handle, chat, member, message, link, attachment, attached})
        sqlite3_finalize(stmt);
    finish(db);
}

// An iOS 15 address book: person k has the number of chat k as the user
// typed it, every fourth an e-mail first, every tenth only a company name.
void makeModernAddressBook(const QString& path)
{
    sqlite3* db = create(path, "addressbook-ios15.sql");
    sqlite3_stmt* person = prepare(db, "insert into ABPerson (First, Last, Organization) values (?, ?, ?)");
    sqlite3_stmt* value = prepare(db, "insert into ABMultiValue (record_id, property, value) values (?, ?, ?)");
    for (int i = 0; i < modernContactCount; ++i) {
        const bool company = i % 10 == 9;
        bindText(person, 1, company ? QByteArray() : "First" + QByteArray::number(i));
        bindText(person, 2, company ? QByteArray() : QStringLiteral("姓%1").arg(i).toUtf8());
        bindText(person, 3, company ? "Company " + QByteArray::number(i) : QByteArray());
        step(db, person);
        const qint64 id = sqlite3_last_insert_rowid(db);
        if (i % 4 == 0) {
            sqlite3_bind_int64(value, 1, id);
            sqlite3_bind_int(value, 2, 4);
            bindText(value, 3, "person" + QByteArray::number(i) + "@example.org");
            step(db, value);
        }
        const QByteArray digits = QByteArray::number(13800000000LL + i);
        sqlite3_bind_int64(value, 1, id);
        sqlite3_bind_int(value, 2, 3);
        // "+86 138-0000-0012" and "138 0000 0012" (with a no-break space).
        bindText(value, 3,
                 i % 2 ? "+86 " + digits.left(3) + '-' + digits.mid(3, 4) + '-' + digits.mid(7)
                       : digits.left(3) + "\xc2\xa0" + digits.mid(3, 4) + ' ' + digits.mid(7));
        step(db, value);
    }
    sqlite3_finalize(person);
    sqlite3_finalize(value);
    finish(db);
}

// A backup file: the message database and its contact table.
void addBackupContacts(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN; create table AddressBook111(name varchar(100), tel varchar(100));", nullptr, nullptr,
                 nullptr);
    sqlite3_stmt* stmt = prepare(db, "insert into AddressBook111 values (?, ?)");
    for (int i = 0; i < contactCount; ++i) {
        bindText(stmt, 1, QStringLiteral("姓%1 First%1").arg(i).toUtf8());
        bindText(stmt, 2, "+86" + conversationAddress(i, 0));
        step(db, stmt);
    }
    sqlite3_finalize(stmt);
    finish(db);
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

double bestOf(int runs, const std::function<void()>& work)
{
    double best = seconds(work);
    for (int i = 1; i < runs; ++i)
        best = qMin(best, seconds(work));
    return best;
}

void print(const char* what, double s)
{
    std::printf("%-52s %9.4f s\n", what, s);
    std::fflush(stdout);
}

void goal(const QByteArray& what, bool met)
{
    std::printf("%s: %s\n", what.constData(), met ? "met" : "MISSED");
    std::fflush(stdout);
}

void notMeasured(const QByteArray& what)
{
    goal(what + " could not be measured", false);
}

qint64 peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double sqliteCli(const QString& file, int runs)
{
    const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (cli.isEmpty())
        return -1;
    bool ok = true;
    const double best = bestOf(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(cli, {file, QStringLiteral("select * from message")});
        ok = process.waitForFinished(300000) && process.exitCode() == 0 && ok;
    });
    return ok ? best : -1;
}

// Runs this program again with arguments and returns its last output line.
QByteArray child(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForFinished(600000) || process.exitCode() != 0) {
        std::printf("  (child %s failed)\n", qPrintable(arguments.join(QLatin1Char(' '))));
        return {};
    }
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    return lines.isEmpty() ? QByteArray() : lines.constLast();
}

using benchsupport::PaintWatch;

// In a fresh process: what the window does when a backup is opened, up to
// the first paint of its list page (shown, empty, before the backup is
// chosen, as in the window).
int openBackupChild(const QByteArray& file)
{
    xresourceMgr skins;
    static const char* const names[] = {"default", nullptr};
    skins.registerSkin(names);
    skins.setSkin(QStringLiteral("default"));
    frame_page1 page(nullptr);
    page.resize(700, 500);
    PaintWatch watch(&page);
    page.show();
    if (!watch.waitForPaint())
        return 1;

    QElapsedTimer timer;
    timer.start();
    MessageStore messages(file);
    const double read = timer.nsecsElapsed() / 1e9;
    ContactStore contacts(file);
    contacts.readBackupAddressBook(file);
    fillContactNames(messages, contacts);
    messages.buildConversationList();
    const double list = timer.nsecsElapsed() / 1e9;
    page.showConversations(&messages);
    if (!watch.waitForPaint())
        return 1;
    const double painted = timer.nsecsElapsed() / 1e9;
    std::printf("%.4f %.4f %lld %d %d %.4f\n", read, list, peakKb(), messages.messageCount,
                int(messages.conversationHeads.size()), painted);
    return 0;
}

// In a fresh process: a modern database and its address book read, names
// filled, the list built.
int readModernChild(const QByteArray& sms, const QByteArray& book)
{
    QElapsedTimer timer;
    timer.start();
    MessageStore messages(sms, StoreAccess::ReadOnly);
    const double read = timer.nsecsElapsed() / 1e9;
    ContactStore contacts(book);
    const double readBook = timer.nsecsElapsed() / 1e9 - read;
    const double beforeFill = timer.nsecsElapsed() / 1e9;
    fillContactNames(messages, contacts);
    const double fill = timer.nsecsElapsed() / 1e9 - beforeFill;
    messages.buildConversationList();
    const double total = timer.nsecsElapsed() / 1e9;
    int named = 0;
    for (const MessageRecord& head : std::as_const(messages.conversationHeads))
        named += head.contactName != "NULL" && !head.contactName.isEmpty();
    std::printf("%.4f %.4f %.4f %.4f %d %d %d %d %lld\n", read, readBook, fill, total, messages.messageCount,
                int(contacts.contacts.size()), int(messages.conversationHeads.size()), named, peakKb());
    return 0;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// One query as the window runs it: on the search's worker, waited for here.
double timedSearch(search::MessageSearch& engine, const QString& query, int* hits)
{
    QEventLoop loop;
    search::Results got;
    const QMetaObject::Connection c =
        QObject::connect(&engine, &search::MessageSearch::resultsReady, &loop, [&](const search::Results& r) {
            got = r;
            loop.quit();
        });
    QElapsedTimer timer;
    timer.start();
    engine.search(query);
    loop.exec();
    const double s = timer.nsecsElapsed() / 1e9;
    QObject::disconnect(c);
    *hits = int(got.hits.size());
    return s;
}

// In a fresh process: a backup opened as the window opens it, then the
// search goals: the first query (with the index build), later queries of
// one common word, two words and a word that is nowhere, and the memory
// the search adds.
int searchChild(const QByteArray& file)
{
    MessageStore messages(file);
    ContactStore contacts(file);
    contacts.readBackupAddressBook(file);
    fillContactNames(messages, contacts);
    messages.buildConversationList();
    const int count = messages.messageCount;
    const qint64 before = residentKb();

    search::MessageSearch engine;
    engine.setMessages(messages.messages);
    int hits = 0;
    const double first = timedSearch(engine, QStringLiteral("traffic"), &hits);
    const qint64 after = residentKb();
    const qint64 extraMb = (after - before) / 1024;
    std::printf("search index of %d messages: %d hits for the first query\n", count, hits);
    goal("search: first query with the index build at " + QByteArray::number(count) + " messages, " +
             QByteArray::number(first, 'f', 3) + " s within 2 s",
         first <= 2.0 && hits > 0);
    goal("search: extra memory at " + QByteArray::number(count) + " messages, " + QByteArray::number(extraMb) +
             " MB within 150 MB",
         before > 0 && extraMb <= 150);

    struct Later
    {
        const char* what;
        QString query;
        bool wantsHits;
    };
    const Later later[] = {
        {"one common word", QStringLiteral("minutes"), true},
        {"two words", QStringLiteral("MARCHE ca"), true},
        {"a word that is nowhere", QStringLiteral("xylophone"), false},
    };
    for (const Later& q : later) {
        // The median of five runs; the spread is printed beside it.
        QVector<double> runs;
        for (int run = 0; run < 5; ++run)
            runs.append(timedSearch(engine, q.query, &hits));
        std::sort(runs.begin(), runs.end());
        const double median = runs.at(2);
        std::printf("  \"%s\": %d hits, %.1f to %.1f ms\n", qPrintable(q.query), hits, runs.first() * 1000,
                    runs.last() * 1000);
        goal(QByteArray("search: ") + q.what + " at " + QByteArray::number(count) + " messages, " +
                 QByteArray::number(median * 1000, 'f', 1) + " ms within 100 ms",
             median <= 0.1 && (hits > 0) == q.wantsHits);
    }
    engine.clear();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    const auto index = search::Index::build(messages.messages);
    // The processor time beside the elapsed one tells a busy machine from slow code.
    std::printf("  the index alone: built in %.3f s (%.3f s of processor time), %lld MB\n", timer.nsecsElapsed() / 1e9,
                double(std::clock() - cpu) / CLOCKS_PER_SEC, index->memoryBytes() / (1024 * 1024));
    return 0;
}

void runSearchGoals(const QString& file)
{
    std::printf("\nsearch in %s (fresh process)\n", qPrintable(QFileInfo(file).fileName()));
    std::fflush(stdout);
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--search"), file});
    const bool done = process.waitForFinished(600000) && process.exitCode() == 0;
    const QByteArray output = process.readAllStandardOutput();
    std::fputs(output.constData(), stdout);
    if (!done)
        std::printf("  (search child failed)\n");
    // Goals the child did not get to print.
    for (const char* what : {"search: first query with the index build", "search: extra memory",
                             "search: one common word", "search: two words", "search: a word that is nowhere"}) {
        if (!output.contains(what))
            notMeasured(QByteArray(what) + " in " + QFileInfo(file).fileName().toUtf8());
    }
    std::fflush(stdout);
}

// The statements of every trigger that a delete runs, with OLD and NEW
// values as parameters, through EXPLAIN QUERY PLAN; full scans of a table
// are marked. Returns the number of statements that scan.
int printTriggerPlans(const QString& file)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    phonedb::registerRead(db, phonedb::StandIn::One);
    phonedb::registerAttachmentPathStandIns(db, phonedb::StandIn::FirstArgument);
    sqlite3_stmt* triggers =
        prepare(db, "select name, tbl_name, sql from sqlite_master where type = 'trigger' and sql like '%DELETE ON%' "
                    "order by tbl_name, name");
    static const QRegularExpression rowValue(QStringLiteral("\\b(old|new)\\s*\\.\\s*\\w+"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression body(QStringLiteral("\\bBEGIN\\b(.*)\\bEND\\s*;?\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::DotMatchesEverythingOption);
    int scans = 0;
    while (sqlite3_step(triggers) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(triggers, 0)));
        const QString table = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(triggers, 1)));
        QString sql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(triggers, 2)));
        const QRegularExpressionMatch m = body.match(sql);
        if (!m.hasMatch())
            continue;
        for (QString statement : m.captured(1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            statement = statement.simplified();
            if (statement.isEmpty())
                continue;
            statement.replace(rowValue, QStringLiteral("?"));
            sqlite3_stmt* plan = nullptr;
            const QByteArray explain = "EXPLAIN QUERY PLAN " + statement.toUtf8();
            if (sqlite3_prepare_v2(db, explain.constData(), -1, &plan, nullptr) != SQLITE_OK) {
                std::printf("  %s on %s: (no plan: %s)\n", qPrintable(name), qPrintable(table), sqlite3_errmsg(db));
                continue;
            }
            QStringList steps;
            bool scan = false;
            while (sqlite3_step(plan) == SQLITE_ROW) {
                const QString detail = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
                steps.append(detail);
                scan = scan || (detail.startsWith(QLatin1String("SCAN ")) && !detail.contains(QLatin1String("USING")) &&
                                detail != QLatin1String("SCAN CONSTANT ROW"));
            }
            sqlite3_finalize(plan);
            scans += scan;
            std::printf("  %s%s on %s: %s\n    plan: %s\n", scan ? "[SCANS A TABLE] " : "", qPrintable(name),
                        qPrintable(table), qPrintable(statement.left(110)),
                        qPrintable(steps.join(QStringLiteral("; "))));
        }
    }
    sqlite3_finalize(triggers);
    sqlite3_close(db);
    return scans;
}

struct DeleteTimes
{
    double conversation = 0;
    double selected = 0;
    int conversationDeleted = 0;
    int selectedDeleted = 0;
    double plainConversation = 0;
    double plainSelected = 0;
};

double plainDeletes(sqlite3* db, const QVector<qint64>& rows, bool modern);

// Row ids of `n` messages the store still holds, spread over the file as
// conversation 0's are; `offset` picks a set disjoint from another's.
QVector<qint64> spreadRows(const MessageStore& store, int n, int offset)
{
    QVector<qint64> rows;
    const qsizetype stride = qMax<qsizetype>(1, store.messages.size() / qMax(1, n));
    for (qsizetype i = offset; i < store.messages.size() && rows.size() < n; i += stride)
        rows.append(store.messages.at(i).rowId);
    return rows;
}

// The store's deletes on the file, each followed by the floor the file's
// own triggers and indexes set: the same statements alone, on the store's
// own connection, for as many other messages spread over the file. Three
// rounds each (the first on conversation 0 and the usual selection, the
// others on conversations and messages of the same size), the best of each
// kept: on a busy machine one round says little.
DeleteTimes timeDeletes(const QString& file, int count, const QList<QByteArray>& conversations, bool modern)
{
    DeleteTimes times;
    times.conversation = times.selected = times.plainConversation = times.plainSelected = 1e9;
    MessageStore store(file.toUtf8());
    for (int round = 0; round < conversations.size(); ++round) {
        sqlite3* db = lastMessageDatabase();
        const int before = store.messageCount;
        const int size = store.messageCountOf(conversations.at(round));
        const QVector<qint64> floorRows = spreadRows(store, size, 3 + round);
        if (round == 1)
            times.plainConversation = qMin(times.plainConversation, plainDeletes(db, floorRows, modern));
        const double s = seconds([&] { store.deleteConversation(conversations.at(round)); });
        times.conversation = qMin(times.conversation, s);
        const int deleted = before - store.messageCount;
        if (round == 0)
            times.conversationDeleted = deleted;
        if (round != 1)
            times.plainConversation = qMin(times.plainConversation, plainDeletes(db, floorRows, modern));
        // The floor's rows are gone from the file: the store reads it again.
        store.reload(file.toUtf8());
    }
    for (int round = 0; round < 3; ++round) {
        sqlite3* db = lastMessageDatabase();
        const int before = store.messageCount;
        const QVector<qint64> rows = round == 0 ? selectedRows(count) : spreadRows(store, selectedCount, 7 + round);
        // Whichever runs first on a fresh connection finds its caches cold:
        // the second round lets the floor go first.
        const QVector<qint64> floorRows = spreadRows(store, int(rows.size()), 11 + round);
        if (round == 1)
            times.plainSelected = qMin(times.plainSelected, plainDeletes(db, floorRows, modern));
        times.selected = qMin(times.selected, seconds([&] { store.deleteMessages(rows); }));
        const int deleted = before - store.messageCount;
        if (round == 0)
            times.selectedDeleted = deleted;
        if (round != 1)
            times.plainSelected = qMin(times.plainSelected, plainDeletes(db, floorRows, modern));
        store.reload(file.toUtf8());
    }
    return times;
}

// Join rows deleted as plain SQL with the phone's iOS 9 trigger left in
// place: it scans the whole message table for every join row that goes, and
// takes every message in no chat with it. Rolled back afterwards.
double timeWithPhoneTrigger(const QString& file, int count, int rows, bool* lost)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    phonedb::registerAttachmentPathStandIns(db, phonedb::StandIn::FirstArgument);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    // A message in no chat, as the phone's files have them.
    sqlite3_exec(db, "insert into message (ROWID, guid, text, handle_id) values (99999999, 'lonely', 'in no chat', 1)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* links = prepare(db, "delete from chat_message_join where message_id = ?");
    // Messages the store's deletes above left in place.
    QVector<qint64> targets = selectedRows(count);
    for (qint64& row : targets)
        row += 10;
    bool failed = false;
    const double s = seconds([&] {
        for (int i = 0; i < rows; ++i) {
            sqlite3_bind_int64(links, 1, targets.at(i));
            failed = sqlite3_step(links) != SQLITE_DONE || failed;
            sqlite3_reset(links);
        }
    });
    if (failed)
        std::printf("  (a delete failed: %s)\n", sqlite3_errmsg(db));
    sqlite3_stmt* lonely = prepare(db, "select count(*) from message where ROWID = 99999999");
    sqlite3_step(lonely);
    *lost = sqlite3_column_int(lonely, 0) == 0;
    sqlite3_finalize(lonely);
    sqlite3_finalize(links);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return s;
}

// The yardstick: the statements the store runs, in one transaction, with
// secure delete on as the store has it, without the store's own bookkeeping.
double plainDeletes(sqlite3* db, const QVector<qint64>& rows, bool modern)
{
    sqlite3_exec(db, "PRAGMA secure_delete=ON", nullptr, nullptr, nullptr);
    return seconds([&] {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        moderntable::TriggerPause pause;
        if (modern)
            pause.pause(db);
        {
            moderntable::RowDeleter modernRows(db, "ROWID");
            sqlite3_stmt* legacyRow = prepare(db, "delete from message where ROWID = ?");
            for (qint64 row : rows) {
                if (modern) {
                    modernRows.deleteRow(row);
                } else {
                    sqlite3_bind_int64(legacyRow, 1, row);
                    sqlite3_step(legacyRow);
                    sqlite3_reset(legacyRow);
                }
            }
            sqlite3_finalize(legacyRow);
        }
        if (modern)
            pause.resume();
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    });
}

// ---- msgdesk-cli show and info on a large file -------------------------

constexpr double cliGoal = 0.3;

// In a fresh process: msgdesk-cli with these arguments, its output kept in
// memory. Prints seconds, peak kB and the exit status.
int cliChild(const QStringList& arguments)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    QElapsedTimer timer;
    timer.start();
    const int status = cli::run(arguments, &out, &err, {});
    const double s = timer.nsecsElapsed() / 1e9;
    std::printf("%.4f %lld %d %lld\n", s, peakKb(), status, qint64(out.data().count('\n')));
    return 0;
}

// Steps through every row of each statement on one connection: what the
// phone's schema lets any reader do at best.
double timeQueries(const QString& file, const QList<QByteArray>& statements)
{
    sqlite3* db = nullptr;
    const QByteArray uri = "file:" + QFile::encodeName(file) + "?mode=ro&immutable=1";
    sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    // Warm the schema and the page cache as the program's own open would.
    sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    double best = 1e9;
    for (int run = 0; run < 2; ++run) {
        best = qMin(best, seconds([&] {
                        // Every cell of every row is looked at, as a reader must.
                        for (const QByteArray& sql : statements) {
                            sqlite3_stmt* stmt = prepare(db, sql.constData());
                            const int columns = sqlite3_column_count(stmt);
                            qint64 sum = 0;
                            while (sqlite3_step(stmt) == SQLITE_ROW) {
                                for (int i = 0; i < columns; ++i) {
                                    if (sqlite3_column_type(stmt, i) == SQLITE_INTEGER)
                                        sum += sqlite3_column_int64(stmt, i);
                                    else
                                        sum += sqlite3_column_bytes(stmt, i);
                                }
                            }
                            sqlite3_finalize(stmt);
                            Q_UNUSED(sum);
                        }
                    }));
    }
    sqlite3_close(db);
    return best;
}

struct CliRun
{
    double seconds = -1;
    qint64 peakKb = -1;
    int status = -1;
    qint64 lines = 0;
};

CliRun bestCliRun(const QStringList& arguments)
{
    CliRun best;
    for (int run = 0; run < 3; ++run) {
        const QList<QByteArray> f = child(QStringList{QStringLiteral("--cli")} + arguments).split(' ');
        if (f.size() < 4)
            continue;
        if (best.seconds < 0 || f.at(0).toDouble() < best.seconds)
            best = {f.at(0).toDouble(), f.at(1).toLongLong(), f.at(2).toInt(), f.at(3).toLongLong()};
    }
    return best;
}

// show of the 500-message conversation (with an address book of 20,000
// contacts for the modern file) and info, each against the same SQL run
// alone on one connection: the goal is 0.3 s, or 1.2 times that floor
// where the file's own indexes set a higher one.
void cliGoals(const QString& dir, const QString& modernFile, const QString& legacyFile, const QString& modernBook,
              int large)
{
    std::printf("\nmsgdesk-cli on files of %d messages, in fresh processes\n", large);
    std::fflush(stdout);
    const QString modern = QDir(dir).filePath(QStringLiteral("cli-modern.db"));
    const QString legacy = QDir(dir).filePath(QStringLiteral("cli-legacy.db"));
    QFile::remove(modern);
    QFile::remove(legacy);
    QFile::copy(modernFile, modern);
    QFile::copy(legacyFile, legacy);
    const QByteArray modernKey = chatIdentifier(0);
    const QByteArray legacyKey = conversationAddress(0, 0);

    struct Case
    {
        const char* what;
        QString file;
        QStringList arguments;
        QList<QByteArray> floorSql;
        qint64 expectedLines;
    };
    const QByteArray inChat = "ROWID in (select message_id from chat_message_join where chat_id in (select ROWID "
                              "from chat where chat_identifier = '" +
                              modernKey + "'))";
    const Case cases[] = {
        {"show, modern (iOS 13)",
         modern,
         {QStringLiteral("show"), QStringLiteral("--contacts"), modernBook, modern, QString::fromUtf8(modernKey)},
         {"select ROWID, text, attributedBody, handle_id, date from message where " + inChat,
          "select message_id, chat_id from chat_message_join where message_id in (select ROWID from message where " +
              inChat + ")"},
         bigConversationSize},
        {"info, modern (iOS 13)",
         modern,
         {QStringLiteral("info"), modern},
         {"select ROWID, handle_id, item_type, associated_message_type from message order by ROWID",
          "select message_id, chat_id from chat_message_join order by rowid"},
         5},
        {"show, legacy",
         legacy,
         {QStringLiteral("show"), legacy, QString::fromUtf8(legacyKey)},
         {"select ROWID, address, date, text, flags from message where address is null or replace(address, '-', '') "
          "= '" +
          legacyKey + "'"},
         bigConversationSize},
        {"info, legacy",
         legacy,
         {QStringLiteral("info"), legacy},
         {"select ROWID, address, recipients, group_id from message"},
         5},
    };
    for (const Case& c : cases) {
        const CliRun run = bestCliRun(c.arguments);
        const double floor = timeQueries(c.file, c.floorSql);
        const double target = qMax(cliGoal, 1.2 * floor);
        std::printf("%-24s %.4f s, peak %lld kB, %lld lines (the same SQL alone %.4f s)\n", c.what, run.seconds,
                    run.peakKb, run.lines, floor);
        goal(QByteArray("msgdesk-cli ") + c.what + " at " + QByteArray::number(large) + " messages, " +
                 QByteArray::number(run.seconds, 'f', 4) + " s within " + QByteArray::number(target, 'f', 3) +
                 " s (0.3 s, or 1.2x the same SQL alone)",
             run.status == 0 && run.lines == c.expectedLines && run.seconds >= 0 && run.seconds <= target);
    }
    QFile::remove(modern);
    QFile::remove(legacy);
}

} // namespace

int main(int argc, char** argv)
{
    // Opening paints the list page: offscreen, with widgets.
    if (argc >= 3 && QByteArray(argv[1]) == "--open") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return openBackupChild(QByteArray(argv[2]));
    }
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--search"))
        return searchChild(args.at(2).toUtf8());
    if (args.size() >= 3 && args.at(1) == QLatin1String("--cli"))
        return cliChild(args.mid(2));
    if (args.size() >= 4 && args.at(1) == QLatin1String("--read-modern"))
        return readModernChild(args.at(2).toUtf8(), args.at(3).toUtf8());
    if (args.size() >= 4 && args.at(1) == QLatin1String("--make-legacy")) {
        makeLegacyMessages(args.at(2), args.at(3).toInt(), "legacy-sms-ios5.sql");
        addBackupContacts(args.at(2));
        return 0;
    }
    if (args.size() >= 4 && args.at(1) == QLatin1String("--make-modern")) {
        makeModernMessages(args.at(2), args.at(3).toInt(), ModernSchema::Ios13);
        addBackupContacts(args.at(2));
        return 0;
    }
    int large = 1000000;
    if (args.size() >= 3 && args.at(1) == QLatin1String("--large"))
        large = qMax(10000, args.at(2).toInt());

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString smsPath = dir.filePath(QStringLiteral("sms.db"));
    const QString bookPath = dir.filePath(QStringLiteral("AddressBook.sqlitedb"));

    std::printf("generating %d messages in %d conversations, %d contacts...\n", messageCount, conversationCount,
                contactCount);
    std::fflush(stdout);
    print("generate", seconds([&] {
              makeLegacyMessages(smsPath, messageCount);
              makeAddressBook(bookPath);
          }));

    const QByteArray sms = smsPath.toUtf8();
    const QByteArray book = bookPath.toUtf8();
    constexpr int runs = 3;

    MessageStore messages(sms);
    const double read = bestOf(runs, [&] {
        messages.close();
        messages.reload(sms);
    });
    ContactStore contacts(book);
    const double readBook = bestOf(runs, [&] {
        contacts.numberLinks.clear(); // as a fresh store would have it
        contacts.readPhoneAddressBook(book);
    });
    const double fill = bestOf(runs, [&] { fillContactNames(messages, contacts); });
    const double list = bestOf(runs, [&] { messages.buildConversationList(); });
    const QByteArray big = conversationAddress(0, 0);
    const double select = bestOf(runs, [&] { messages.selectConversation(big); });

    print("openAndRead (100,000 messages, warm re-read)", read);
    print("readPhoneAddressBook (2,000 contacts)", readBook);
    print("fillContactNames", fill);
    print("buildConversationList", list);
    print("selectConversation (500 messages)", select);
    std::printf("  messages %d, contacts %d, conversations %d, selected %d\n", messages.messageCount,
                int(contacts.contacts.size()), int(messages.conversationHeads.size()),
                int(messages.conversation.size()));

    int deleted = 0;
    const double remove = seconds([&] {
        const int before = messages.messageCount;
        messages.deleteConversation(big);
        deleted = before - messages.messageCount;
    });
    print("deleteConversation (500 messages)", remove);
    std::printf("  deleted %d, left %d; goal under 0.2 s: %s\n", deleted, messages.messageCount,
                remove < 0.2 ? "met" : "MISSED");
    messages.close();

    const double core = read + fill + list;
    print("read + fill + list", core);

    const double cliTime = sqliteCli(smsPath, runs);
    if (cliTime < 0) {
        std::printf("sqlite3 command-line program not found or failed: no comparisons\n");
        notMeasured("ratio read+fill+list / sqlite3 within 3x:");
    } else {
        print("sqlite3 FILE \"select * from message\"", cliTime);
        std::printf("ratio read+fill+list / sqlite3: %.2fx; goal within 3x: %s\n", core / cliTime,
                    core <= 3 * cliTime ? "met" : "MISSED");
    }

    // The modern layout, read as the window reads a phone: in a fresh process.
    std::printf("\ngenerating a modern database (iOS 13) of %d messages in %d chats, %d contacts (iOS 15)...\n",
                messageCount, conversationCount, modernContactCount);
    std::fflush(stdout);
    const QString modernPath = dir.filePath(QStringLiteral("modern.db"));
    const QString modernBook = dir.filePath(QStringLiteral("AddressBook15.sqlitedb"));
    print("generate", seconds([&] {
              makeModernMessages(modernPath, messageCount, ModernSchema::Ios13);
              makeModernAddressBook(modernBook);
          }));
    double modernCore = 1e9;
    QList<QByteArray> figures;
    for (int run = 0; run < runs; ++run) {
        const QList<QByteArray> f = child({QStringLiteral("--read-modern"), modernPath, modernBook}).split(' ');
        if (f.size() >= 9 && f.at(3).toDouble() < modernCore) {
            modernCore = f.at(3).toDouble();
            figures = f;
        }
    }
    if (figures.size() >= 9) {
        print("modern read (fresh process)", figures.at(0).toDouble());
        print("  address book read (20,000 contacts)", figures.at(1).toDouble());
        print("  fillContactNames", figures.at(2).toDouble());
        print("modern read + book + fill + list", modernCore);
        std::printf("  messages %s, contacts %s, conversations %s (%s of them named), peak %s kB\n",
                    figures.at(4).constData(), figures.at(5).constData(), figures.at(6).constData(),
                    figures.at(7).constData(), figures.at(8).constData());
        const double modernCli = sqliteCli(modernPath, runs);
        if (modernCli > 0) {
            print("sqlite3 FILE \"select * from message\" (modern)", modernCli);
            std::printf("ratio modern read+fill+list / sqlite3: %.2fx\n", modernCore / modernCli);
            goal("modern read + names + list within 3x sqlite3", modernCore <= 3 * modernCli);
        } else {
            notMeasured("modern read + names + list within 3x sqlite3: the sqlite3 program's time");
        }
    } else {
        notMeasured("modern read + names + list within 3x sqlite3: the read child's time");
    }

    // Deletes of 500 messages, in files of 100,000 and of the large size.
    std::printf("\ndeletes of %d messages (one conversation, and %d selected)\n", bigConversationSize, selectedCount);
    std::fflush(stdout);
    const QString legacyLarge = dir.filePath(QStringLiteral("legacy-large.db"));
    const QString modernLarge = dir.filePath(QStringLiteral("modern-large.db"));
    const QString ios9Large = dir.filePath(QStringLiteral("ios9-large.db"));
    print("generate the large files", seconds([&] {
              makeLegacyMessages(legacyLarge, large, "legacy-sms-ios5.sql");
              makeModernMessages(modernLarge, large, ModernSchema::Ios13);
              makeModernMessages(ios9Large, large, ModernSchema::Ios9);
          }));
    // The backups opened below are copies made before any delete.
    const QString legacyBackup = dir.filePath(QStringLiteral("legacy-large.sms"));
    const QString modernBackup = dir.filePath(QStringLiteral("modern-large.sms"));
    QFile::copy(legacyLarge, legacyBackup);
    QFile::copy(modernLarge, modernBackup);
    addBackupContacts(legacyBackup);
    addBackupContacts(modernBackup);

    cliGoals(dir.path(), modernLarge, legacyLarge, modernBook, large);

    const QString legacySmall = dir.filePath(QStringLiteral("legacy-100k.db"));
    const QString modernSmall = dir.filePath(QStringLiteral("modern-100k.db"));
    makeLegacyMessages(legacySmall, messageCount, "legacy-sms-ios5.sql");
    QFile::copy(modernPath, modernSmall);

    struct Case
    {
        const char* name;
        QString file;
        int count;
        QByteArray conversation;
        bool modern;
    };
    const QByteArray legacyKey = conversationAddress(0, 0);
    const QByteArray modernKey = chatIdentifier(0);
    const Case cases[] = {
        {"legacy", legacySmall, messageCount, legacyKey, false},
        {"legacy", legacyLarge, large, legacyKey, false},
        {"modern (iOS 13)", modernSmall, messageCount, modernKey, true},
        {"modern (iOS 13)", modernLarge, large, modernKey, true},
        {"modern (iOS 9)", ios9Large, large, modernKey, true},
    };
    for (const Case& c : cases) {
        const QList<QByteArray> conversations =
            c.modern ? QList<QByteArray>{c.conversation, chatIdentifier(1), chatIdentifier(2)}
                     : QList<QByteArray>{c.conversation, conversationAddress(1, 0), conversationAddress(2, 0)};
        const DeleteTimes t = timeDeletes(c.file, c.count, conversations, c.modern);
        std::printf("%-16s %8d messages: conversation %.4f s (%d deleted; the same SQL alone %.4f s, %.2fx), "
                    "selected %.4f s (%d deleted; the same SQL alone %.4f s, %.2fx)\n",
                    c.name, c.count, t.conversation, t.conversationDeleted, t.plainConversation,
                    t.conversation / t.plainConversation, t.selected, t.selectedDeleted, t.plainSelected,
                    t.selected / t.plainSelected);
        if (c.count == large) {
            // 0.2 s, or 1.2 times what the file's own triggers and indexes
            // cost for the same statements alone, where that is more.
            const double conversationTarget = qMax(deleteGoal, 1.2 * t.plainConversation);
            const double selectedTarget = qMax(deleteGoal, 1.2 * t.plainSelected);
            goal(QByteArray("delete of a 500-message conversation, ") + c.name + " at " + QByteArray::number(large) +
                     " messages, " + QByteArray::number(t.conversation, 'f', 4) + " s within " +
                     QByteArray::number(conversationTarget, 'f', 4) + " s (0.2 s, or 1.2x the same SQL alone, " +
                     QByteArray::number(t.plainConversation, 'f', 4) + " s)",
                 t.conversation <= conversationTarget && t.conversationDeleted == bigConversationSize);
            goal(QByteArray("delete of 500 selected messages, ") + c.name + " at " + QByteArray::number(large) +
                     " messages, " + QByteArray::number(t.selected, 'f', 4) + " s within " +
                     QByteArray::number(selectedTarget, 'f', 4) + " s (0.2 s, or 1.2x the same SQL alone, " +
                     QByteArray::number(t.plainSelected, 'f', 4) + " s)",
                 t.selected <= selectedTarget && t.selectedDeleted >= selectedCount * 9 / 10);
        }
    }
    {
        bool lost = false;
        constexpr int sampleRows = 5;
        const double s = timeWithPhoneTrigger(ios9Large, large, sampleRows, &lost);
        std::printf("iOS 9 with the phone's clean_orphaned_messages left in place: %.4f s for %d join rows "
                    "(%.3f s each, so about %.1f s for 500); a message in no chat %s\n",
                    s, sampleRows, s / sampleRows, s / sampleRows * selectedCount,
                    lost ? "was deleted with them" : "survived");
    }

    std::printf("\nquery plans of the triggers a delete runs (%d messages)\n", large);
    for (const auto& [name, file] : {std::pair<const char*, QString>{"legacy (iOS 5)", legacyLarge},
                                     {"modern (iOS 13)", modernLarge},
                                     {"modern (iOS 9)", ios9Large}}) {
        std::printf("%s:\n", name);
        const int scans = printTriggerPlans(file);
        std::printf("  %d statement(s) scan a whole table\n", scans);
    }

    // Opening a large backup as the window does, in a fresh process.
    std::printf("\nopening a backup of %d messages in a fresh process\n", large);
    for (const auto& [name, file] :
         {std::pair<const char*, QString>{"legacy", legacyBackup}, {"modern", modernBackup}}) {
        double best = 1e9;
        QList<QByteArray> figures;
        for (int run = 0; run < 3; ++run) {
            const QList<QByteArray> f = child({QStringLiteral("--open"), file}).split(' ');
            if (f.size() >= 6 && f.at(5).toDouble() < best) {
                best = f.at(5).toDouble();
                figures = f;
            }
        }
        const QByteArray opening = QByteArray("open ") + name + " backup of " + QByteArray::number(large) + " messages";
        if (figures.size() < 6) {
            notMeasured(opening + ": time to its painted list");
            notMeasured(opening + ": peak memory");
            continue;
        }
        const qint64 peak = figures.at(2).toLongLong();
        std::printf("%-8s read %.3f s, list built after %.3f s, list page painted after %.3f s, peak %lld kB "
                    "(%.0f bytes a message), %s messages, %s conversations\n",
                    name, figures.at(0).toDouble(), figures.at(1).toDouble(), best, peak,
                    peak * 1024.0 / qMax(1, figures.at(3).toInt()), figures.at(3).constData(),
                    figures.at(4).constData());
        goal(opening + ": read, names, list and its first paint (offscreen) after " + QByteArray::number(best, 'f', 3) +
                 " s within 2 s",
             best <= listGoal);
        goal(QByteArray("open ") + name + " backup of " + QByteArray::number(large) + " messages: peak " +
                 QByteArray::number(peak / 1024) + " MB within 400 MB",
             peak > 0 && peak <= memoryGoalKb);
        const double cli = sqliteCli(file, 1);
        if (cli > 0)
            std::printf("  sqlite3 FILE \"select * from message\": %.3f s (ratio %.2fx)\n", cli, best / cli);
    }
    runSearchGoals(legacyBackup);
    runSearchGoals(modernBackup);
    return 0;
}

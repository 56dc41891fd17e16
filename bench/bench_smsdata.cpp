// Times the SMS data core on a phone-sized database: 100,000 messages in
// 2,000 conversations and an address book of 2,000 contacts, both built on
// the phone's own schema statements in a temporary folder.

#include "ContactStore.h"
#include "MessageStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <sqlite3.h>

namespace {

constexpr int messageCount = 100000;
constexpr int conversationCount = 2000;
constexpr int contactCount = 2000;
constexpr int bigConversationSize = 500;

void answerRead(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_int(context, 1);
}

QByteArray schema(const char* fileName)
{
    QFile file(QStringLiteral(MSGDESK_SOURCE_DIR "/tests/data/") + QLatin1String(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
    return file.readAll();
}

sqlite3* create(const QString& path, const char* schemaFile)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, schema(schemaFile).constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_create_function(db, "read", 1, SQLITE_UTF8, nullptr, &answerRead, nullptr, nullptr);
    // One transaction, committed to the disk: timings that follow must not pay
    // for writing back what generating left in the system's cache.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    return db;
}

void bindText(sqlite3_stmt* stmt, int index, const QByteArray& text)
{
    sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

void step(sqlite3* db, sqlite3_stmt* stmt)
{
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        std::fprintf(stderr, "insert failed: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    sqlite3_reset(stmt);
}

// Conversation 0 is written with dashes in some rows, as the phone does.
QByteArray conversationAddress(int conversation, int variant)
{
    const QByteArray digits = QByteArray::number(13800000000LL + conversation);
    if (variant % 3 == 1)
        return digits.left(3) + '-' + digits.mid(3, 4) + '-' + digits.mid(7);
    return digits;
}

// Every 200th message belongs to conversation 0, giving it 500 messages;
// the others are spread over the remaining 1,999 conversations.
int conversationOf(int message)
{
    if (message % (messageCount / bigConversationSize) == 0)
        return 0;
    return 1 + int((qint64(message) * 7919) % (conversationCount - 1));
}

void makeMessages(const QString& path)
{
    sqlite3* db = create(path, "legacy-sms-ios4.sql");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "insert into message (address, date, text, flags) values (?, ?, ?, ?)", -1, &stmt, nullptr);
    const QByteArray texts[] = {
        QStringLiteral("晚上一起吃饭吗？我在老地方等你").toUtf8(),
        QByteArray("On my way, be there in ten minutes. Traffic is terrible today."),
        QStringLiteral("Ça marche, à demain 😀").toUtf8(),
        QStringLiteral("您的验证码是 483920，五分钟内有效。\uFFFC").toUtf8(),
    };
    for (int i = 0; i < messageCount; ++i) {
        bindText(stmt, 1, conversationAddress(conversationOf(i), i));
        sqlite3_bind_int64(stmt, 2, 1262304000 + qint64(i) * 60);
        bindText(stmt, 3, texts[i % 4] + ' ' + QByteArray::number(i));
        sqlite3_bind_int(stmt, 4, i % 3 ? 2 : 3);
        step(db, stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void makeAddressBook(const QString& path)
{
    sqlite3* db = create(path, "addressbook-ios5.sql");
    sqlite3_stmt* person = nullptr;
    sqlite3_stmt* value = nullptr;
    sqlite3_prepare_v2(db, "insert into ABPerson (First, Last) values (?, ?)", -1, &person, nullptr);
    sqlite3_prepare_v2(db, "insert into ABMultiValue (record_id, property, value) values (?, ?, ?)", -1, &value,
                       nullptr);
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
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
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
    std::printf("%-44s %9.4f s\n", what, s);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString smsPath = dir.filePath(QStringLiteral("sms.db"));
    const QString bookPath = dir.filePath(QStringLiteral("AddressBook.sqlitedb"));

    std::printf("generating %d messages in %d conversations, %d contacts...\n", messageCount, conversationCount,
                contactCount);
    std::fflush(stdout);
    print("generate", seconds([&] {
              makeMessages(smsPath);
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

    print("openAndRead (100,000 messages)", read);
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

    const QString cli = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (cli.isEmpty()) {
        std::printf("sqlite3 command-line program not found: no comparison\n");
        return 0;
    }
    bool cliOk = true;
    const double cliTime = bestOf(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(cli, {smsPath, QStringLiteral("select * from message")});
        cliOk = process.waitForFinished(60000) && process.exitCode() == 0 && cliOk;
    });
    print("sqlite3 FILE \"select * from message\"", cliTime);
    if (!cliOk)
        std::printf("  (the sqlite3 run failed)\n");
    std::printf("ratio read+fill+list / sqlite3: %.2fx; goal within 3x: %s\n", core / cliTime,
                core <= 3 * cliTime ? "met" : "MISSED");
    return 0;
}

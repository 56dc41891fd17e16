// The window's "Copy" of the conversation list on a backup of 1,000,000
// messages in 2,000 conversations: the memory it needs beyond the loaded
// store, and its time against the sqlite3 program reading the same table.
// The file is built on the phone's own schema in a temporary folder.
//
// Every goal prints one line ending in "met" or "MISSED".
//
//   bench_copy [--messages N]

#include "MessageStore.h"
#include "PhoneDb.h"
#include "PhoneSchemas.h"
#include "TextExporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#include <sqlite3.h>

namespace {

constexpr int kConversations = 2000;
constexpr qint64 kMemoryGoalKb = 100 * 1024;
constexpr double kSpeedGoal = 0.5;

[[noreturn]] void die(const QString& why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::exit(1);
}

void makeMessages(const QString& path, int count)
{
    QString error;
    sqlite3* db = phonedb::create(path, &error);
    if (!db)
        die(error);
    phonedb::registerRead(db, phonedb::StandIn::One);
    if (!phonedb::loadSchema(db, phoneschemas::statements(QLatin1String("legacy-sms-ios4.sql")), &error))
        die(error);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt =
        phonedb::prepare(db, "insert into message (address, date, text, flags) values (?, ?, ?, ?)", &error);
    if (!stmt)
        die(error);
    const QByteArray texts[] = {
        QStringLiteral("晚上一起吃饭吗？我在老地方等你").toUtf8(),
        QByteArray("On my way, be there in ten minutes. Traffic is terrible today."),
        QStringLiteral("Ça marche, à demain 😀").toUtf8(),
    };
    for (int i = 0; i < count; ++i) {
        phonedb::bind(stmt, 1, QByteArray::number(13800000000LL + (qint64(i) * 7919) % kConversations));
        sqlite3_bind_int64(stmt, 2, 1262304000 + qint64(i) * 60);
        phonedb::bind(stmt, 3, texts[i % 3] + ' ' + QByteArray::number(i));
        sqlite3_bind_int(stmt, 4, i % 3 ? 2 : 3);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            die(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void goal(const QString& what, bool met)
{
    std::printf("%s: %s\n", qPrintable(what), met ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int count = 1000000;
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String("--messages"))
        count = args.at(2).toInt();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sms.db"));
    makeMessages(file, count);

    MessageStore store(file.toUtf8(), StoreAccess::ReadOnly);
    store.buildConversationList();
    const QString target = dir.filePath(QStringLiteral("copy.txt"));

    // The peak from here on is the copy's own.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = statusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    if (!TextExporter::writeWholeExport(&store, TextExporter::Shown::ConversationList, target))
        die(QStringLiteral("the copy failed"));
    const double copySeconds = timer.nsecsElapsed() / 1e9;
    const qint64 grownKb = statusKb("VmHWM:") - before;

    double sqliteSeconds = -1;
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!sqlite.isEmpty()) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        timer.restart();
        process.start(sqlite, {file, QStringLiteral("select * from message")});
        process.waitForFinished(-1);
        sqliteSeconds = timer.nsecsElapsed() / 1e9;
    }

    std::printf("copy of %d messages: %.2f s, %.1f MB written, peak memory grew by %.1f MB; sqlite3: %.2f s\n", count,
                copySeconds, QFileInfo(target).size() / 1048576.0, grownKb / 1024.0, sqliteSeconds);
    goal(QStringLiteral("Copy of the list page at most 100 MB above the loaded store"),
         grownKb >= 0 && grownKb <= kMemoryGoalKb);
    if (sqliteSeconds > 0)
        goal(QStringLiteral("Copy of the list page at least half the speed of sqlite3 reading the table"),
             sqliteSeconds / copySeconds >= kSpeedGoal);
    return 0;
}

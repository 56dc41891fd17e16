// Times the exports and measures their memory, each case in a fresh process
// of its own (this program run again with --case) so that one case's peak
// never hides in another's:
//
// - 1,000,000 messages to txt, and the list page's "Copy" of them: the
//   memory each adds to the loaded store's own, and its speed against the
//   sqlite3 program reading every row of the same file (`sqlite3 FILE
//   "select * from message"`, output thrown away), or the same full-row
//   read through the SQLite library where the program is missing;
// - 100,000 messages to html, csv and json, each against txt of the same
//   messages;
// - pdf of 10,000 messages with 200 pictures: time and peak memory.
//
// The message files are written in a temporary folder on the phone's own
// schema (the legacy layout: 2,000 conversations, one of them 50,000
// messages long; texts with CJK, emoji, quotes, commas and line breaks).
// The pdf case builds its store in memory, with the pictures as files.
//
// Every goal prints one line ending in "met" or "MISSED".
//
//   bench_export [--large N] [--medium N]   other message counts
//   bench_export --make FILE N              write a message file of N messages (for profiling)
//   bench_export --case FORMAT|copy FILE    one export (or Copy) of FILE, in this process
//   bench_export --pdf-case MESSAGES PICTURES  the pdf case, in this process

#include "AttachmentFiles.h"
#include "BenchSupport.h"
#include "Export.h"
#include "MessageStore.h"
#include "PhoneDb.h"
#include "PhoneSchemas.h"
#include "TextExporter.h"

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <sqlite3.h>

namespace {

using benchsupport::goal;
using benchsupport::resetPeak;
using benchsupport::statusKb;

constexpr int kConversations = 2000;
constexpr int kBigConversation = 50000;
constexpr double kSpeedShare = 0.5;   // of the sqlite3 program's speed
constexpr double kOtherFormats = 3.0; // times txt
constexpr qint64 kTxtExtraKb = 100 * 1024;
constexpr double kPdfSeconds = 20.0;
constexpr qint64 kPdfPeakKb = 400 * 1024;

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

const QByteArray kTexts[] = {
    QStringLiteral("晚上一起吃饭吗？我在老地方等你").toUtf8(),
    QByteArray("On my way, be there in ten minutes. \"Traffic\" is terrible today."),
    QStringLiteral("Ça marche, à demain 😀\nsee you").toUtf8(),
    QStringLiteral("=1+2 <b>not bold</b> & 您的验证码是 483920").toUtf8(),
};

// The legacy layout: conversation 0 has kBigConversation messages (or all
// of them in a small file), the rest are spread over the others.
void makeMessages(const QString& path, int count)
{
    QString error;
    sqlite3* db = phonedb::create(path, &error);
    if (!db || !phonedb::loadSchema(db, phoneschemas::statements(QStringLiteral("legacy-sms-ios4.sql")), &error)) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error));
        std::exit(1);
    }
    phonedb::registerRead(db, phonedb::StandIn::One);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = prepare(db, "insert into message (address, date, text, flags) values (?, ?, ?, ?)");
    const int bigEvery = qMax(1, count / kBigConversation);
    for (int i = 0; i < count; ++i) {
        const int conversation = i % bigEvery == 0 ? 0 : 1 + int((qint64(i) * 7919) % (kConversations - 1));
        const QByteArray address = QByteArray::number(13800000000LL + conversation);
        const QByteArray text = kTexts[i % 4] + ' ' + QByteArray::number(i);
        sqlite3_bind_text(stmt, 1, address.constData(), int(address.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int64(stmt, 2, 1262304000 + qint64(i) * 60);
        sqlite3_bind_text(stmt, 3, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 4, i % 3 ? 2 : 3);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            std::fprintf(stderr, "insert failed: %s\n", sqlite3_errmsg(db));
            std::exit(1);
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct Figures
{
    bool ok = false;
    QString why; // when not ok
    double loadSeconds = 0;
    double seconds = 0;
    qint64 storeKb = 0; // resident once the store is loaded
    qint64 peakKb = 0;  // peak while exporting (since the load when resetPeak worked)
    bool peakAlone = false;
    qint64 messages = 0;
    qint64 bytes = 0;
};

// The last line a case prints: ok seconds load store peak alone messages
// bytes, or "failed" and the reason.
void printFigures(const Figures& f)
{
    if (!f.ok) {
        std::printf("failed %s\n", qPrintable(f.why));
        return;
    }
    std::printf("ok %.4f %.4f %lld %lld %d %lld %lld\n", f.seconds, f.loadSeconds, f.storeKb, f.peakKb,
                f.peakAlone ? 1 : 0, f.messages, f.bytes);
}

Figures parseFigures(const QByteArray& line)
{
    Figures f;
    const QList<QByteArray> parts = line.split(' ');
    if (parts.value(0) == "ok" && parts.size() >= 8) {
        f.ok = true;
        f.seconds = parts.at(1).toDouble();
        f.loadSeconds = parts.at(2).toDouble();
        f.storeKb = parts.at(3).toLongLong();
        f.peakKb = parts.at(4).toLongLong();
        f.peakAlone = parts.at(5) == "1";
        f.messages = parts.at(6).toLongLong();
        f.bytes = parts.at(7).toLongLong();
    } else {
        f.why = QString::fromUtf8(line.startsWith("failed ") ? line.mid(7) : "the case did not finish: " + line);
    }
    return f;
}

qint64 sizeOf(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return info.size();
    qint64 total = 0;
    for (const QFileInfo& entry : QDir(path).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        total += sizeOf(entry.filePath());
    return total;
}

// Where the cases write: a folder in memory where the machine has one, so
// that the exporters are measured and not the disk. An html export makes a
// file per conversation, and on a slow virtual disk making 2,000 files
// alone takes longer than writing all the text (the bench prints that
// separately). MSGDESK_BENCH_TARGETS names another folder.
QString targetRoot()
{
    const QString given = qEnvironmentVariable("MSGDESK_BENCH_TARGETS");
    if (!given.isEmpty())
        return given;
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

Figures exportStore(MessageStore& store, AttachmentFiles* files, const exporting::Options& options)
{
    Figures f;
    QTemporaryDir dir(targetRoot() + QStringLiteral("/bench_export-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("export") + exporting::extension(options.format));
    f.storeKb = statusKb("VmRSS:");
    f.peakAlone = resetPeak();
    QElapsedTimer timer;
    timer.start();
    const exporting::Result result = exporting::run(store, files, options, target);
    f.seconds = timer.nsecsElapsed() / 1e9;
    f.peakKb = statusKb("VmHWM:");
    f.ok = result.status == exporting::Result::Status::Written;
    f.why = result.message;
    f.messages = result.messages;
    f.bytes = sizeOf(target);
    return f;
}

// In a fresh process: FILE read as the window reads it, then written by the
// list page's "Copy".
int copyCase(const QString& file)
{
    QElapsedTimer timer;
    timer.start();
    MessageStore store(QFile::encodeName(file), StoreAccess::ReadOnly);
    store.buildConversationList();
    Figures f;
    f.loadSeconds = timer.nsecsElapsed() / 1e9;
    QTemporaryDir dir(targetRoot() + QStringLiteral("/bench_export-XXXXXX"));
    const QString target = dir.filePath(QStringLiteral("copy.txt"));
    f.storeKb = statusKb("VmRSS:");
    f.peakAlone = resetPeak();
    timer.restart();
    f.ok = TextExporter::writeWholeExport(&store, TextExporter::Shown::ConversationList, target);
    f.seconds = timer.nsecsElapsed() / 1e9;
    f.peakKb = statusKb("VmHWM:");
    f.why = QStringLiteral("the copy failed");
    f.messages = store.messageCount;
    f.bytes = sizeOf(target);
    printFigures(f);
    return 0;
}

// In a fresh process: FILE read as the window and msgdesk-cli read it, then
// exported.
int exportCase(const QString& formatName, const QString& file)
{
    if (formatName == QLatin1String("copy"))
        return copyCase(file);
    const std::optional<exporting::Format> format = exporting::formatFromName(formatName);
    if (!format) {
        printFigures({false, QStringLiteral("unknown format")});
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    MessageStore store(QFile::encodeName(file), StoreAccess::ReadOnly);
    store.buildConversationList();
    const double load = timer.nsecsElapsed() / 1e9;
    exporting::Options options;
    options.format = *format;
    Figures f = exportStore(store, nullptr, options);
    f.loadSeconds = load;
    printFigures(f);
    return 0;
}

// Pictures served from files in a folder: every attachment path names one
// of a few photographs.
class PictureFiles final : public AttachmentFiles
{
public:
    explicit PictureFiles(QStringList pictures) : m_pictures(std::move(pictures)) {}
    bool isPresent(const AttachmentRecord&) override { return true; }
    QString localFile(const AttachmentRecord& attachment, QString*) override
    {
        return m_pictures.at(int(qHash(attachment.relativePath) % size_t(m_pictures.size())));
    }

private:
    QStringList m_pictures;
};

// A photograph's size and a JPEG's weight: 4032 x 3024, gradients and shapes.
QString makePhotograph(const QString& path, int seed)
{
    QImage image(4032, 3024, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 4032, 3024);
    gradient.setColorAt(0, QColor::fromHsv(seed * 70 % 360, 180, 220));
    gradient.setColorAt(1, QColor::fromHsv((seed * 70 + 150) % 360, 200, 90));
    painter.fillRect(image.rect(), gradient);
    for (int i = 0; i < 300; ++i) {
        painter.setBrush(QColor::fromHsv((i * 37 + seed * 11) % 360, 150, 200, 120));
        painter.drawEllipse((i * 977 + seed * 131) % 4032, (i * 613 + seed * 71) % 3024, 80 + i % 200, 60 + i % 150);
    }
    painter.end();
    image.save(path, "JPEG", 90);
    return path;
}

// In a fresh process: 10,000 messages in 20 conversations (a fifth of them
// groups), every fiftieth with a picture.
int pdfCase(int messages, int pictures)
{
    QTemporaryDir dir;
    QStringList photographs;
    for (int i = 0; i < 4; ++i)
        photographs.append(makePhotograph(dir.filePath(QStringLiteral("photo%1.jpg").arg(i)), i));
    MessageStore store;
    const int every = qMax(1, messages / qMax(1, pictures));
    for (int i = 0; i < messages; ++i) {
        MessageRecord m;
        m.rowId = i + 1;
        const int conversation = i % 20;
        m.address = conversation % 5 == 0 ? "chat" + QByteArray::number(100000 + conversation)
                                          : "+8613800" + QByteArray::number(100000 + conversation);
        m.contactName = "NULL";
        m.time = 1262304000 + qint64(i) * 600;
        m.isIncoming = i % 3 != 0;
        if (m.isIncoming && conversation % 5 == 0)
            m.sender = "+8613900" + QByteArray::number(100000 + i % 4);
        m.text = i % every == 0 ? QByteArray("\xef\xbf\xbc") : kTexts[i % 4] + ' ' + QByteArray::number(i);
        store.messages.append(m);
    }
    store.messageCount = int(store.messages.size());
    store.buildConversationList();
    for (int i = 0; i < messages; i += every) {
        AttachmentRecord a;
        a.name = "IMG_" + QByteArray::number(i) + ".JPG";
        a.mimeType = "image/jpeg";
        a.relativePath = "Library/SMS/Attachments/" + QByteArray::number(i % 97) + "/IMG_" + QByteArray::number(i);
        store.addAttachment(i + 1, a);
    }
    PictureFiles files(photographs);
    exporting::Options options;
    options.format = exporting::Format::Pdf;
    options.includeAttachments = true;
    // The peak is set back after the pictures were made: what it shows is
    // the whole process while it exports, the store included.
    printFigures(exportStore(store, &files, options));
    return 0;
}

// Runs this program again with arguments; the figures of its last line.
Figures child(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    if (!process.waitForFinished(1800000) || process.exitCode() != 0) {
        Figures f;
        f.why = QStringLiteral("the case process failed");
        return f;
    }
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    return parseFigures(lines.constLast());
}

// The best of runs fresh processes (by time); a failure ends the runs.
Figures bestCase(const QString& format, const QString& file, int runs)
{
    Figures best;
    for (int i = 0; i < runs; ++i) {
        const Figures f = child({QStringLiteral("--case"), format, file});
        if (!f.ok)
            return f;
        if (!best.ok || f.seconds < best.seconds)
            best = f;
    }
    return best;
}

// Every row and column of the message table read: through the sqlite3
// program with its output thrown away, else through the library.
double readAllRows(const QString& file, QString* how)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    double best = -1;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        if (!program.isEmpty()) {
            *how = QStringLiteral("the sqlite3 program");
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(program, {file, QStringLiteral("select * from message")});
            if (!process.waitForFinished(600000) || process.exitCode() != 0)
                return -1;
        } else {
            *how = QStringLiteral("a full-row read through the SQLite library (no sqlite3 program)");
            sqlite3* db = nullptr;
            if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
                return -1;
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db, "select * from message", -1, &stmt, nullptr);
            qint64 bytes = 0;
            while (stmt && sqlite3_step(stmt) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                    bytes += sqlite3_column_bytes(stmt, c) + (sqlite3_column_text(stmt, c) != nullptr);
            }
            sqlite3_finalize(stmt);
            sqlite3_close(db);
            if (bytes == 0)
                return -1;
        }
        const double s = timer.nsecsElapsed() / 1e9;
        best = best < 0 ? s : qMin(best, s);
    }
    return best;
}

QByteArray mb(qint64 kb)
{
    return QByteArray::number(double(kb) / 1024, 'f', 1) + " MB";
}

QByteArray secs(double s)
{
    return QByteArray::number(s, 'f', 3) + " s";
}

void printCase(const char* what, const Figures& f)
{
    if (f.ok) {
        std::printf("  %-34s %8.3f s, %lld messages, %.1f MB written, store %.1f MB, peak %.1f MB (read %.3f s)\n",
                    what, f.seconds, f.messages, f.bytes / 1048576.0, f.storeKb / 1024.0, f.peakKb / 1024.0,
                    f.loadSeconds);
    } else {
        std::printf("  %-34s failed: %s\n", what, qPrintable(f.why));
    }
    std::fflush(stdout);
}

int runAll(int large, int medium)
{
    QTemporaryDir dir;
    const QString largeFile = dir.filePath(QStringLiteral("large.db"));
    const QString mediumFile = dir.filePath(QStringLiteral("medium.db"));
    QElapsedTimer timer;
    timer.start();
    makeMessages(largeFile, large);
    makeMessages(mediumFile, medium);
    std::printf("message files of %d and %d messages written in %.1f s\n\n", large, medium, timer.nsecsElapsed() / 1e9);

    // txt of the large file, and the list page's "Copy" of it (the same
    // bytes into the file the user confirmed): memory and speed.
    const QByteArray largeName = QByteArray::number(large) + " messages";
    QString how;
    const double rows = readAllRows(largeFile, &how);
    if (rows > 0)
        std::printf("%s, select * from message of %s: %.3f s\n", qPrintable(how), largeName.constData(), rows);
    for (const char* kind : {"txt", "copy"}) {
        const bool copy = qstrcmp(kind, "copy") == 0;
        const QByteArray what = copy ? "Copy of the list page of " + largeName : largeName + " to txt";
        std::printf("%s\n", what.constData());
        const Figures f = bestCase(QString::fromLatin1(kind), largeFile, copy ? 1 : 3);
        printCase(kind, f);
        const qint64 extraKb = f.peakKb - f.storeKb;
        if (f.ok && !f.peakAlone)
            std::printf("  (the peak could not be reset after the load: it is the whole process's)\n");
        goal(what + ": " + (f.ok ? mb(extraKb) : QByteArray("no figure")) + " above the loaded store's " +
                 mb(f.storeKb) + ", within 100 MB",
             f.ok && extraKb <= kTxtExtraKb);
        if (rows > 0) {
            goal(what + ": " + secs(f.seconds) + ", " + QByteArray::number(rows / f.seconds, 'f', 2) +
                     "x the speed of " + how.toUtf8() + " (" + secs(rows) + "), at least 0.5x",
                 f.ok && f.seconds * kSpeedShare <= rows);
        } else {
            goal(what + ": the full-row read of the file failed, no comparison", false);
        }
        if (!copy)
            std::printf("  the whole command (read and export): %.3f s\n", f.loadSeconds + f.seconds);
    }
    std::printf("\n");

    // The other formats against txt of the same messages.
    const QByteArray mediumName = QByteArray::number(medium) + " messages";
    std::printf("%s in every format\n", mediumName.constData());
    std::printf("  (exports written in %s)\n", qPrintable(targetRoot()));
    const Figures base = bestCase(QStringLiteral("txt"), mediumFile, 3);
    printCase("txt", base);
    for (const char* format : {"html", "csv", "json"}) {
        const Figures f = bestCase(QString::fromLatin1(format), mediumFile, 3);
        printCase(format, f);
        const QByteArray what = mediumName + " to " + format;
        if (!f.ok || !base.ok) {
            goal(what + " (" + (f.ok ? base.why : f.why).toUtf8() + ")", false);
            continue;
        }
        goal(what + ": " + secs(f.seconds) + ", " + QByteArray::number(f.seconds / base.seconds, 'f', 2) + "x txt (" +
                 secs(base.seconds) + "), within 3x",
             f.seconds <= kOtherFormats * base.seconds);
    }
    // For information: what the disk adds to the html export's files.
    if (targetRoot() != QDir::tempPath()) {
        qputenv("MSGDESK_BENCH_TARGETS", QFile::encodeName(QDir::tempPath()));
        const Figures disk = child({QStringLiteral("--case"), QStringLiteral("html"), mediumFile});
        qunsetenv("MSGDESK_BENCH_TARGETS");
        if (disk.ok)
            std::printf("  html written to %s instead: %.3f s (%d pages)\n", qPrintable(QDir::tempPath()), disk.seconds,
                        kConversations + 1);
    }

    std::printf("\npdf of 10000 messages with 200 pictures (4032 x 3024 JPEG)\n");
    const Figures pdf = child({QStringLiteral("--pdf-case"), QStringLiteral("10000"), QStringLiteral("200")});
    printCase("pdf", pdf);
    if (!pdf.ok) {
        goal("pdf of 10000 messages with 200 pictures (" + pdf.why.toUtf8() + ")", false);
    } else {
        goal("pdf of 10000 messages with 200 pictures: " + secs(pdf.seconds) + " within 20 s",
             pdf.seconds <= kPdfSeconds);
        goal("pdf of 10000 messages with 200 pictures: peak " + mb(pdf.peakKb) + " within 400 MB",
             pdf.peakKb <= kPdfPeakKb);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The pdf case lays out text with the system's fonts: it needs a
    // QGuiApplication, and works without a display.
    const bool pdf = argc >= 2 && qstrcmp(argv[1], "--pdf-case") == 0;
    if (pdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app =
        pdf ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 4 && args.at(1) == QLatin1String("--make")) {
        makeMessages(args.at(2), args.at(3).toInt());
        return 0;
    }
    if (args.size() >= 4 && args.at(1) == QLatin1String("--case"))
        return exportCase(args.at(2), args.at(3));
    if (args.size() >= 4 && pdf)
        return pdfCase(args.at(2).toInt(), args.at(3).toInt());
    int large = 1000000;
    int medium = 100000;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--large"))
            large = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--medium"))
            medium = args.at(i + 1).toInt();
    }
    if (large <= 0 || medium <= 0) {
        std::fprintf(stderr, "usage: bench_export [--large N] [--medium N]\n");
        return 2;
    }
    return runAll(large, medium);
}

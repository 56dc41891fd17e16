// Times the phone backup library on backup-sized input, in a temporary
// folder:
//  - finding sms.db in a Manifest.db of 300,000 files (goal: under 50 ms,
//    an indexed lookup, not a scan), with the query plan;
//  - decrypting a 200 MB file, against `openssl enc -d -aes-256-cbc` on the
//    same file (goal: at least half its speed), and the memory it takes
//    (goal: the same for any size, under 16 MB more than before);
//  - the key derivation, against OpenSSL's own PBKDF2 (goal: within 1.25
//    times its time), with what ten million rounds then take.

#include "BenchSupport.h"
#include "BackupBuilder.h"
#include "BackupCrypto.h"
#include "PhoneBackup.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <openssl/evp.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

using benchsupport::statusKb;

constexpr int kCatalogueFiles = 300000;
constexpr qint64 kDecryptBytes = 200LL * 1024 * 1024;
constexpr quint32 kBenchRounds = 1000000;

void line(const char* goal, bool met, const QString& figures)
{
    std::printf("%s: %s %s\n", goal, qPrintable(figures), met ? "met" : "MISSED");
    std::fflush(stdout);
}

[[noreturn]] void die(const QString& why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    std::exit(1);
}

// A Manifest.db as a phone of many apps writes it: the phone's schema and
// indexes, one record per file.
void buildCatalogue(const QString& folder)
{
    QString error;
    // The lists and the message database's data file come from the builder.
    backupbuilder::Options options;
    if (!backupbuilder::writeBackup(
            folder, {{QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), "SQLite format 3"}}, options,
            &error))
        die(error);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(folder + QStringLiteral("/Manifest.db")).constData(), &db) != SQLITE_OK)
        die(QStringLiteral("cannot open the catalogue"));
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Files VALUES (?, ?, ?, 1, ?)", -1, &insert, nullptr);
    const QByteArray record = backupbuilder::fileRecord(123456, 3, QByteArray(44, 'k'), QStringLiteral("x"));
    for (int i = 0; i < kCatalogueFiles; ++i) {
        const QString domain =
            i % 10 == 0 ? QStringLiteral("HomeDomain") : QStringLiteral("AppDomain-com.example.app%1").arg(i % 700);
        const QString path = QStringLiteral("Library/Caches/%1/file%2.dat").arg(i % 97).arg(i);
        const QByteArray id = backupbuilder::fileId(domain, path).toLatin1();
        const QByteArray d = domain.toUtf8();
        const QByteArray p = path.toUtf8();
        sqlite3_bind_text(insert, 1, id.constData(), int(id.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, d.constData(), int(d.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, p.constData(), int(p.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 4, record.constData(), int(record.size()), SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

    sqlite3_stmt* plan = nullptr;
    sqlite3_prepare_v2(db,
                       "EXPLAIN QUERY PLAN SELECT fileID, flags, file FROM Files WHERE domain = 'HomeDomain' AND "
                       "relativePath = 'Library/SMS/sms.db' ORDER BY +fileID",
                       -1, &plan, nullptr);
    while (sqlite3_step(plan) == SQLITE_ROW)
        std::printf("  query plan: %s\n", reinterpret_cast<const char*>(sqlite3_column_text(plan, 3)));
    sqlite3_finalize(plan);
    sqlite3_close(db);
}

void benchLookup(const QString& work)
{
    const QString folder = work + QStringLiteral("/catalogue/00008110000a1b2c3d4e5f60");
    QElapsedTimer timer;
    timer.start();
    buildCatalogue(folder);
    std::printf("  catalogue of %d files built in %.1f s (%.0f MB)\n", kCatalogueFiles + 1, timer.elapsed() / 1000.0,
                QFileInfo(folder + QStringLiteral("/Manifest.db")).size() / 1048576.0);

    // The first lookup of a fresh backup object: lists, catalogue, query.
    timer.restart();
    phonebackup::PhoneBackup backup(folder);
    const phonebackup::LocatedDatabase found =
        backup.locateDatabase(phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath);
    const double first = timer.nsecsElapsed() / 1e6;
    if (found.isEmpty())
        die(QStringLiteral("sms.db not found: ") + backup.lastError());
    // Then the lookup alone, with the checks of the file found and of its log.
    constexpr int rounds = 200;
    timer.restart();
    for (int i = 0; i < rounds; ++i) {
        if (backup.locateDatabase(phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath)
                .isEmpty())
            die(QStringLiteral("sms.db not found again"));
    }
    const double each = timer.nsecsElapsed() / 1e6 / rounds;
    line("lookup of sms.db in a Manifest.db of 300,000 files under 50 ms", first < 50.0,
         QStringLiteral("%1 ms with opening the backup, %2 ms per further lookup (%3 of the goal)")
             .arg(first, 0, 'f', 2)
             .arg(each, 0, 'f', 3)
             .arg(first / 50.0, 0, 'f', 2));
}

// Writes `bytes` of varied content without holding them in memory.
void writePlain(const QString& path, qint64 bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        die(QStringLiteral("cannot write ") + path);
    QByteArray chunk(1 << 20, '\0');
    quint32 x = 2463534242u;
    for (qint64 written = 0; written < bytes; written += chunk.size()) {
        for (char& c : chunk) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = char(x);
        }
        file.write(chunk.constData(), qMin<qint64>(chunk.size(), bytes - written));
    }
}

void benchDecryption(const QString& work)
{
    const QString plain = work + QStringLiteral("/plain.db");
    const QString cipher = work + QStringLiteral("/cipher.db");
    const QString ours = work + QStringLiteral("/ours.db");
    const QString theirs = work + QStringLiteral("/openssl.db");
    const QByteArray key = phonebackup::crypto::randomBytes(32);
    writePlain(plain, kDecryptBytes);
    QString error;
    if (!phonebackup::crypto::encryptFile(plain, cipher, key, &error))
        die(error);
    QFile::remove(plain);

    // Both read the same file from the system's cache: warm it once.
    QProcess warm;
    warm.start(QStringLiteral("cat"), {cipher});
    warm.setStandardOutputFile(QProcess::nullDevice());
    warm.waitForFinished(-1);

    double best = 1e9;
    double bestOpenssl = 1e9;
    qint64 grown = 0;
    for (int round = 0; round < 3; ++round) {
        QFile::remove(ours);
        QFile::remove(theirs);
        // Reset the peak so that it measures the decryption alone.
        benchsupport::resetPeak();
        const qint64 before = statusKb("VmRSS:");
        QElapsedTimer timer;
        timer.start();
        if (!phonebackup::crypto::decryptFile(cipher, ours, key, kDecryptBytes, QStringLiteral("bench"), &error))
            die(error);
        best = qMin(best, timer.nsecsElapsed() / 1e9);
        grown = qMax(grown, statusKb("VmHWM:") - before);

        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        timer.restart();
        openssl.start(QStringLiteral("openssl"),
                      {QStringLiteral("enc"), QStringLiteral("-d"), QStringLiteral("-aes-256-cbc"),
                       QStringLiteral("-K"), QString::fromLatin1(key.toHex()), QStringLiteral("-iv"),
                       QString(32, QLatin1Char('0')), QStringLiteral("-in"), cipher, QStringLiteral("-out"), theirs});
        if (!openssl.waitForFinished(-1) || openssl.exitCode() != 0)
            die(QStringLiteral("openssl enc failed"));
        bestOpenssl = qMin(bestOpenssl, timer.nsecsElapsed() / 1e9);
    }
    if (QFileInfo(ours).size() != QFileInfo(theirs).size())
        die(QStringLiteral("the two decryptions differ in size"));
    const double mb = kDecryptBytes / 1048576.0;
    const double ratio = bestOpenssl / best;
    line("decrypting a 200 MB file at least half as fast as openssl enc -d -aes-256-cbc", ratio >= 0.5,
         QStringLiteral("%1 MB/s against %2 MB/s (%3 s against %4 s; %5 of its speed)")
             .arg(mb / best, 0, 'f', 0)
             .arg(mb / bestOpenssl, 0, 'f', 0)
             .arg(best, 0, 'f', 2)
             .arg(bestOpenssl, 0, 'f', 2)
             .arg(ratio, 0, 'f', 2));
    line("decrypting a 200 MB file in constant memory (under 16 MB more)", grown < 16 * 1024,
         QStringLiteral("peak resident memory grew by %1 MB").arg(grown / 1024.0, 0, 'f', 1));
    for (const QString& f : {cipher, ours, theirs})
        QFile::remove(f);
}

void benchDerivation()
{
    const QByteArray salt(20, 's');
    // Each is run twice and timed at its best, so neither pays for loading
    // the library's algorithms.
    double oursSeconds = 1e9;
    double theirSeconds = 1e9;
    quint64 reports = 0;
    std::optional<QByteArray> ours;
    unsigned char theirs[32];
    for (int round = 0; round < 2; ++round) {
        QElapsedTimer timer;
        timer.start();
        PKCS5_PBKDF2_HMAC("password", 8, reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                          int(kBenchRounds), EVP_sha256(), 32, theirs);
        theirSeconds = qMin(theirSeconds, timer.nsecsElapsed() / 1e9);
        reports = 0;
        timer.restart();
        ours = phonebackup::crypto::pbkdf2(phonebackup::crypto::Digest::Sha256, "password", salt, kBenchRounds, 32,
                                           [&](quint64) {
                                               ++reports;
                                               return true;
                                           });
        oursSeconds = qMin(oursSeconds, timer.nsecsElapsed() / 1e9);
    }
    if (!ours || *ours != QByteArray(reinterpret_cast<const char*>(theirs), 32))
        die(QStringLiteral("the derivations differ"));
    line("key derivation within 1.25 times OpenSSL's PBKDF2", oursSeconds <= theirSeconds * 1.25,
         QStringLiteral("%1 s against %2 s for 1,000,000 SHA-256 rounds (%3 times), %4 progress reports; "
                        "a real bag's 10,000,000 rounds take about %5 s")
             .arg(oursSeconds, 0, 'f', 2)
             .arg(theirSeconds, 0, 'f', 2)
             .arg(oursSeconds / theirSeconds, 0, 'f', 2)
             .arg(reports)
             .arg(oursSeconds * 10, 0, 'f', 0));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    if (!work.isValid())
        die(QStringLiteral("no temporary folder"));
    benchLookup(work.path());
    benchDecryption(work.path());
    benchDerivation();
    return 0;
}

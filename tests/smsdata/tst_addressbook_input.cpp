// The address-book readers on random, truncated and scribbled files, through
// the fuzz target's entry fuzzentries::addressBook, so that every build runs
// it. The entry aborts, failing the test, when what the readers return does
// not hold together or the file was changed.

#include "ContactStore.h"
#include "Fixtures.h"
#include "FuzzEntries.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstddef>
#include <cstdint>

namespace {

void feed(const QByteArray& bytes)
{
    fuzzentries::addressBook(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray noise(QRandomGenerator& random, qsizetype size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

} // namespace

class AddressBookInputTest : public QObject
{
    Q_OBJECT

private:
    // A phone book and a backup file, both with the awkward values of the
    // sample people and the values a modern book holds.
    QList<QByteArray> goodFiles()
    {
        QList<fixtures::Person> people = fixtures::samplePeople();
        people.append({QVariant(), QVariant(), {{3, QStringLiteral("(209)\u00a0598-1933")}}, QStringLiteral("Acme")});
        people.append({QStringLiteral("Wide"),
                       QStringLiteral("Id"),
                       {{4, QStringLiteral("w@x.org")}},
                       QVariant(),
                       Q_INT64_C(4294967297)});
        QList<QByteArray> files;
        for (const auto schema : {fixtures::BookSchema::Ios5, fixtures::BookSchema::Ios15}) {
            files.append(
                readAll(fixtures::makeAddressBook(m_dir.filePath(QStringLiteral("book.sqlitedb")), people, schema)));
        }
        files.append(
            readAll(fixtures::makeBackupFile(m_dir.filePath(QStringLiteral("backup.sms")), {},
                                             {{QStringLiteral("Anna Berg"), QStringLiteral("Anna@Example.org")},
                                              {QStringLiteral("Anna Berg"), QStringLiteral("+1 209-598-1933")},
                                              {QVariant(), QStringLiteral("telma")}})));
        return files;
    }

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void goodFilesReadThroughTheEntry()
    {
        const QList<QByteArray> files = goodFiles();
        QCOMPARE(files.size(), 3);
        for (const QByteArray& bytes : files) {
            QVERIFY(bytes.startsWith("SQLite format 3"));
            feed(bytes);
        }
        // What the entry is fed is what the readers see.
        const QString path = m_dir.filePath(QStringLiteral("copy.sqlitedb"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(files.at(1));
        out.close();
        ContactStore store(path.toUtf8());
        QCOMPARE(store.contacts.size(), 8);
        QCOMPARE(store.contacts.at(6).organization, QByteArray("Acme"));
    }

    void randomFiles()
    {
        QRandomGenerator random(20240601);
        for (int i = 0; i < 200; ++i)
            feed(noise(random, random.bounded(i < 100 ? 200 : 20000)));
        // Noise behind a database header reaches the page reader.
        for (int i = 0; i < 100; ++i)
            feed(QByteArray("SQLite format 3\0", 16) + noise(random, 84 + random.bounded(8192)));
        feed(QByteArray());
    }

    void truncatedFiles()
    {
        for (const QByteArray& bytes : goodFiles()) {
            for (int step = 1; step < 40; ++step)
                feed(bytes.left(bytes.size() * step / 40));
            for (const int size : {1, 15, 16, 99, 100, 101, 511, 512, 4095, 4096, 4097})
                feed(bytes.left(size));
        }
    }

    void scribbledFiles()
    {
        QRandomGenerator random(7);
        for (const QByteArray& bytes : goodFiles()) {
            for (int i = 0; i < 60; ++i) {
                QByteArray damaged = bytes;
                // A few bytes anywhere, header and schema page included.
                for (int n = 0; n < 1 + i % 8; ++n)
                    damaged[random.bounded(int(damaged.size()))] = char(random.bounded(256));
                feed(damaged);
            }
        }
    }
};

QTEST_GUILESS_MAIN(AddressBookInputTest)
#include "tst_addressbook_input.moc"

// Backup folders made by an attacker: property lists nested far deeper than
// any real one (XML and binary, in the folder's lists and in a catalogue's
// file record), binary lists whose objects refer to themselves or multiply
// when copied out, key bags asking for absurd work, and the private folder's
// lock. Every input is made here; none crashes, each gives its reason.

#include "BackupBuilder.h"
#include "BackupInfo.h"
#include "Fixtures.h"
#include "FuzzEntries.h"
#include "KeyBag.h"
#include "ManifestDbCatalogue.h"
#include "PhoneBackup.h"
#include "PlistValue.h"
#include "PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace phonebackup;

namespace {

QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

// A binary list of arrays only: object i holds the objects refs[i], object
// 0 is the top. References and offsets take four bytes.
QByteArray binaryArrays(const QVector<QVector<quint32>>& refs)
{
    QByteArray out("bplist00");
    QVector<quint32> offsets;
    for (const QVector<quint32>& children : refs) {
        offsets.append(quint32(out.size()));
        if (children.size() < 15) {
            out += char(0xA0 | children.size());
        } else {
            out += char(0xAF);
            out += char(0x12);
            out += bigEndian(quint64(children.size()), 4);
        }
        for (quint32 child : children)
            out += bigEndian(child, 4);
    }
    const quint64 table = quint64(out.size());
    for (quint32 offset : offsets)
        out += bigEndian(offset, 4);
    out += QByteArray(6, '\0');
    out += char(4);
    out += char(4);
    out += bigEndian(quint64(refs.size()), 8);
    out += bigEndian(0, 8);
    out += bigEndian(table, 8);
    return out;
}

// Arrays nested `depth` deep, the innermost empty.
QByteArray deepBinary(int depth)
{
    QVector<QVector<quint32>> refs(depth);
    for (int i = 0; i + 1 < depth; ++i)
        refs[i] = {quint32(i + 1)};
    return binaryArrays(refs);
}

// A plist element holding `depth` nested arrays.
QByteArray deepXml(int depth)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist>\n<plist version=\"1.0\">";
    out.reserve(out.size() + depth * 15 + 16);
    for (int i = 0; i < depth; ++i)
        out += "<array>";
    for (int i = 0; i < depth; ++i)
        out += "</array>";
    out += "</plist>\n";
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int feed(const QByteArray& bytes)
{
    return fuzzentries::plist(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// A folder with a plain backup; its lists are XML unless told otherwise.
QString plainBackup(const QString& folder, bool binary = false, bool encrypted = false)
{
    backupbuilder::Options options;
    options.binaryPlists = binary;
    options.encrypted = encrypted;
    options.password = "pw";
    options.encryptManifestDb = false;
    QString error;
    if (!backupbuilder::writeBackup(folder, {{PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath, "not a db"}},
                                    options, &error))
        qWarning("%s", qPrintable(error));
    return folder;
}

QByteArray bag(quint32 iterations, quint32 dpic, int classes)
{
    KeyBag b;
    b.version = 4;
    b.type = 1;
    b.uuid = QByteArray(16, 'u');
    b.salt = QByteArray(20, 's');
    b.iterations = iterations;
    b.doubleProtectionIterations = dpic;
    b.doubleProtectionSalt = QByteArray(20, 'd');
    for (int i = 0; i < classes; ++i) {
        ClassKey key;
        key.protectionClass = quint32(i + 1);
        key.uuid = QByteArray(16, char('a' + i % 26));
        key.wrap = 2;
        key.wrappedKey = QByteArray(40, 'k');
        b.classKeys.append(key);
    }
    return b.serialize();
}

} // namespace

class HostileInputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void nestingIsMeasuredBeforeParsing()
    {
        const plistvalue::Bounds bounds;
        // The binary walk counts every object on the way down, the innermost too.
        QCOMPARE(plistvalue::checkBounds(deepBinary(bounds.maxDepth), bounds), QString());
        QVERIFY(plistvalue::parse(deepBinary(bounds.maxDepth)));
        QCOMPARE(plistvalue::checkBounds(deepBinary(bounds.maxDepth + 1), bounds),
                 QStringLiteral("it nests more than 256 levels deep"));
        // The XML scan counts elements: the plist element is one of them.
        QCOMPARE(plistvalue::checkBounds(deepXml(bounds.maxDepth - 1), bounds), QString());
        QVERIFY(plistvalue::parse(deepXml(bounds.maxDepth - 1)));
        QCOMPARE(plistvalue::checkBounds(deepXml(bounds.maxDepth), bounds),
                 QStringLiteral("it nests more than 256 levels deep"));

        // What once overflowed the stack of both programs.
        QString why;
        QVERIFY(!plistvalue::parse(deepXml(200000), bounds, &why));
        QCOMPARE(why, QStringLiteral("it nests more than 256 levels deep"));
        QVERIFY(!plistvalue::parse(deepBinary(100000), bounds, &why));
        QCOMPARE(why, QStringLiteral("it nests more than 256 levels deep"));

        // Comments, declarations, character data and self-closed tags open
        // no level; a '>' inside a quoted value closes no tag.
        const QByteArray flat = "<?xml version=\"1.0\"?><!-- <array><array> --><plist a=\"x>y\"><array>"
                                "<string><![CDATA[<array><array>]]></string><dict/><true/></array></plist>";
        QCOMPARE(plistvalue::checkBounds(flat, {qint64(1 << 20), 3, 100}), QString());
        QCOMPARE(plistvalue::checkBounds(flat, {qint64(1 << 20), 2, 100}),
                 QStringLiteral("it nests more than 2 levels deep"));
        QCOMPARE(plistvalue::checkBounds(flat, {qint64(1 << 20), 3, 4}), QStringLiteral("it holds more than 4 values"));
        QCOMPARE(plistvalue::checkBounds(flat + "<", {qint64(1 << 20), 3, 100}), QStringLiteral("a tag is cut off"));
        // Stray closing tags do not make deep nesting look flat.
        QByteArray stray = "<plist>";
        for (int i = 0; i < 1000; ++i)
            stray += "<array></dict>";
        QCOMPARE(plistvalue::checkBounds(stray), QStringLiteral("a closing tag does not match its opening tag"));
        QVERIFY(!plistvalue::parse(stray));
    }

    void binaryObjectTablesAreWalkedSafely()
    {
        QString why;
        // An array that holds itself, directly and through another.
        QVERIFY(!plistvalue::parse(binaryArrays({{0}}), {}, &why));
        QCOMPARE(why, QStringLiteral("an object holds itself"));
        QVERIFY(!plistvalue::parse(binaryArrays({{1}, {2}, {1}}), {}, &why));
        QCOMPARE(why, QStringLiteral("an object holds itself"));

        // Forty levels of two references to the next: a few hundred bytes
        // that the parser would copy out into 2^40 values.
        QVector<QVector<quint32>> doubling(41);
        for (int i = 0; i < 40; ++i)
            doubling[i] = {quint32(i + 1), quint32(i + 1)};
        QVERIFY(!plistvalue::parse(binaryArrays(doubling), {}, &why));
        QCOMPARE(why, QStringLiteral("it holds more than 500000 values"));
        // Shared objects within the bound are fine.
        QVector<QVector<quint32>> shared(11);
        for (int i = 0; i < 10; ++i)
            shared[i] = {quint32(i + 1), quint32(i + 1)};
        QVERIFY2(plistvalue::parse(binaryArrays(shared), {}, &why), qPrintable(why));

        // A shallow object met first near the top, then again at the end of
        // a long chain: its depth counts where it is met last.
        QVector<QVector<quint32>> late(261);
        late[0] = {1, 11};
        for (quint32 i = 1; i < 10; ++i)
            late[int(i)] = {i + 1};
        for (quint32 i = 11; i < 260; ++i)
            late[int(i)] = {i + 1};
        late[260] = {1};
        QVERIFY(!plistvalue::parse(binaryArrays(late), {}, &why));
        QCOMPARE(why, QStringLiteral("it nests more than 256 levels deep"));
        late[0] = {1, 20};
        QVERIFY2(plistvalue::parse(binaryArrays(late), {}, &why), qPrintable(why));

        // References and offsets that point anywhere.
        QVERIFY(!plistvalue::parse(binaryArrays({{7}}), {}, &why));
        QCOMPARE(why, QStringLiteral("it is not a property list"));
        QByteArray badTrailer = deepBinary(3);
        badTrailer[badTrailer.size() - 26] = char(9); // offsets of nine bytes
        QVERIFY(!plistvalue::parse(badTrailer, {}, &why));
        QCOMPARE(why, QStringLiteral("it is not a property list"));
        QVERIFY(!plistvalue::parse("bplist00", {}, &why));
        QCOMPARE(why, QStringLiteral("it is not a property list"));

        // Neither XML nor binary, too large, empty.
        QVERIFY(!plistvalue::parse("{\"a\": [[[]]]}", {}, &why));
        QCOMPARE(why, QStringLiteral("it is not a property list"));
        QVERIFY(!plistvalue::parse(QByteArray(100, '<'), {qint64(99), 256, 100}, &why));
        QCOMPARE(why, QStringLiteral("it is larger than 99 bytes"));
        QVERIFY(!plistvalue::parse(QByteArray(), {}, &why));
        QCOMPARE(why, QStringLiteral("it is not a property list"));
    }

    void listsOfRealBackupsPass()
    {
        // The builder writes lists as the phone's tools do, in both forms,
        // and a file record per file: all of them stay well within the bounds.
        for (bool binary : {false, true}) {
            const QString folder = plainBackup(m_dir.filePath(binary ? "real-bin" : "real-xml"), binary, true);
            for (const char* name : {"Info.plist", "Status.plist", "Manifest.plist"}) {
                QFile file(folder + QLatin1Char('/') + QLatin1String(name));
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QByteArray bytes = file.readAll();
                QCOMPARE(plistvalue::checkBounds(bytes), QString());
                QCOMPARE(plistvalue::checkBounds(bytes, plistvalue::Bounds{qint64(1 << 20), 8, 1000}), QString());
            }
            QString error;
            QVERIFY2(readBackupInfo(folder, &error), qPrintable(error));
        }
        const QByteArray record = backupbuilder::fileRecord(1234, 3, QByteArray(44, 'k'), "Library/SMS/sms.db");
        QCOMPARE(plistvalue::checkBounds(record, plistvalue::kRecordBounds), QString());
        QCOMPARE(parseFileRecord(record)->size, 1234);
    }

    void deepListsMakeTheFolderDamaged_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Info.plist of 200,000 XML arrays") << "Info.plist" << deepXml(200000);
        QTest::newRow("binary Manifest.plist 100,000 deep") << "Manifest.plist" << deepBinary(100000);
        QTest::newRow("Status.plist that holds itself") << "Status.plist" << binaryArrays({{0}});
    }

    void deepListsMakeTheFolderDamaged()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, bytes);
        const QString root = m_dir.filePath(QStringLiteral("deep-") + QString::number(qHash(list)));
        const QString folder = plainBackup(root + QStringLiteral("/backup"));
        QVERIFY(writeFile(folder + QLatin1Char('/') + list, bytes));

        QString error;
        QVERIFY(!readBackupInfo(folder, &error));
        QVERIFY2(error.startsWith(QStringLiteral("The backup's %1 is damaged: ").arg(list)), qPrintable(error));
        // The chooser's list: the folder is there, with its reason.
        QStringList errors;
        QCOMPARE(findPhoneBackups({root}, &errors).size(), 0);
        QCOMPARE(errors, QStringList{error});
        PhoneBackup backup(folder);
        QVERIFY(!backup.isValid());
        QCOMPARE(backup.errorString(), error);
    }

    void deepFileRecordIsDamaged()
    {
        // 120,000 levels are far over the record's size bound; 300 levels
        // fit in it and are over its nesting bound.
        QVERIFY(!parseFileRecord(deepBinary(120000)));
        QVERIFY(deepBinary(300).size() < plistvalue::kMaxRecordBytes);
        QCOMPARE(plistvalue::checkBounds(deepBinary(300), plistvalue::kRecordBounds),
                 QStringLiteral("it nests more than 256 levels deep"));
        QVERIFY(!parseFileRecord(deepBinary(300)));
        QVERIFY(!parseFileRecord(deepXml(100000)));
    }

    void keyBagBounds()
    {
        QString error;
        // At the bounds: accepted (no derivation runs while parsing).
        QVERIFY2(KeyBag::parse(bag(KeyBag::kMaxIterations, KeyBag::kMaxIterations, KeyBag::kMaxClassKeys), &error),
                 qPrintable(error));
        QVERIFY(!KeyBag::parse(bag(KeyBag::kMaxIterations + 1, 10, 4), &error));
        QCOMPARE(error, QStringLiteral("The backup's key bag is damaged: its ITER asks for 100000001 rounds, more "
                                       "than 100000000."));
        QVERIFY(!KeyBag::parse(bag(10, KeyBag::kMaxIterations + 1, 4), &error));
        QCOMPARE(error, QStringLiteral("The backup's key bag is damaged: its DPIC asks for 100000001 rounds, more "
                                       "than 100000000."));
        QVERIFY(!KeyBag::parse(bag(0xFFFFFFFFu, 10, 4), &error));
        QVERIFY(error.contains(QStringLiteral("4294967295 rounds")));
        QVERIFY(!KeyBag::parse(bag(10, 10, KeyBag::kMaxClassKeys + 1), &error));
        QCOMPARE(error, QStringLiteral("The backup's key bag is damaged: it holds 257 class keys, more than 256."));
    }

    void absurdKeyBagMakesTheFolderDamaged_data()
    {
        QTest::addColumn<QByteArray>("tag");
        QTest::newRow("DPIC") << QByteArray("DPIC");
        QTest::newRow("ITER") << QByteArray("ITER");
    }

    void absurdKeyBagMakesTheFolderDamaged()
    {
        QFETCH(QByteArray, tag);
        const QString root = m_dir.filePath(QStringLiteral("bag-") + QString::fromLatin1(tag));
        const QString folder = plainBackup(root + QStringLiteral("/backup"), true, true);
        QVERIFY(fixtures::patchBagValue(folder, tag.constData(), 0xFFFFFFFFu));
        QString error;
        QVERIFY(!readBackupInfo(folder, &error));
        QCOMPARE(error, QStringLiteral("The backup's key bag is damaged: its %1 asks for 4294967295 rounds, more than "
                                       "100000000.")
                            .arg(QString::fromLatin1(tag)));
        QStringList errors;
        QVERIFY(findPhoneBackups({root}, &errors).isEmpty());
        QCOMPARE(errors, QStringList{error});
        PhoneBackup backup(folder);
        QVERIFY(!backup.isValid());
        QVERIFY(!backup.needsPassword());
    }

    void privateFolderLockIsTheOwnersOnly()
    {
        const QString base = m_dir.filePath(QStringLiteral("private"));
        QVERIFY(QDir().mkpath(base));
        PrivateFolder folder(base);
        QVERIFY(folder.isValid());
        const QFileInfo lock(folder.filePath(QStringLiteral(".in-use")));
        QVERIFY(lock.exists());
        QCOMPARE(lock.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                 QFile::Permissions());
        QCOMPARE(QFileInfo(folder.path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

        // What a signal handler's helper does: renamed, then gone.
        QVERIFY(writeFile(folder.filePath(QStringLiteral("sms.db")), "plain text"));
        const QString path = folder.path();
        PrivateFolder::removeAllBeforeExit();
        QVERIFY(!QFileInfo::exists(path));
        // The object itself does not know; only _exit() follows in use.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("Could not remove our own lock file")));
        folder.remove();
        QVERIFY(QDir(base).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    void randomAndCutInputNeverCrashes()
    {
        QRandomGenerator random(22);
        const QString folder = plainBackup(m_dir.filePath(QStringLiteral("seeds")), true, true);
        QVector<QByteArray> seeds{deepBinary(40), deepXml(40), binaryArrays({{1, 2}, {2}, {}}),
                                  backupbuilder::fileRecord(99, 3, QByteArray(44, 'k'), "a/b")};
        for (const char* name : {"Info.plist", "Manifest.plist"}) {
            QFile file(folder + QLatin1Char('/') + QLatin1String(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            seeds.append(file.readAll());
        }
        for (const QByteArray& seed : std::as_const(seeds)) {
            for (int length = 0; length <= seed.size(); length += 1 + length / 16)
                QCOMPARE(feed(char(length % 3) + seed.left(length)), 0);
            for (int round = 0; round < 300; ++round) {
                QByteArray bytes = char(round % 3) + seed;
                for (int i = 0; i < 1 + round % 6; ++i)
                    bytes[qsizetype(random.bounded(bytes.size()))] = char(random.bounded(256));
                QCOMPARE(feed(bytes), 0);
            }
        }
        for (int round = 0; round < 500; ++round) {
            QByteArray bytes(qsizetype(random.bounded(400)), '\0');
            for (char& c : bytes)
                c = char(random.bounded(256));
            if (round % 2)
                bytes.replace(1, qMin<qsizetype>(8, bytes.size() - 1), "bplist00");
            QCOMPARE(feed(bytes), 0);
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(HostileInputTest)
#include "tst_hostileinput.moc"

// The key bag: its bounded parser on good, damaged, cut and random bags;
// unlocking with the right and a wrong password, with and without the
// second derivation step; progress and cancelling, on a worker thread too.

#include "BackupBuilder.h"
#include "BackupCrypto.h"
#include "FuzzEntries.h"
#include "KeyBag.h"
#include "UnlockJob.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

using namespace phonebackup;

namespace {

QByteArray record(const char* tag, const QByteArray& value)
{
    char length[4];
    qToBigEndian<quint32>(quint32(value.size()), length);
    return QByteArray(tag, 4) + QByteArray(length, 4) + value;
}

QByteArray integer(quint32 value)
{
    char bytes[4];
    qToBigEndian<quint32>(value, bytes);
    return QByteArray(bytes, 4);
}

// A bag as iOS 10.2 and later write it, with class keys wrapped under
// `password` by the forward algorithm, and the plain class keys.
KeyBag makeBag(const QByteArray& password, bool doubleProtection, QMap<quint32, QByteArray>* plainKeys = nullptr,
               quint32 iterations = 10, quint32 dpIterations = 20)
{
    KeyBag bag;
    bag.version = 4;
    bag.type = 1;
    bag.uuid = crypto::randomBytes(16);
    bag.hmck = crypto::randomBytes(40);
    bag.salt = crypto::randomBytes(20);
    bag.iterations = iterations;
    QByteArray secret = password;
    if (doubleProtection) {
        bag.doubleProtectionWrap = 1;
        bag.doubleProtectionIterations = dpIterations;
        bag.doubleProtectionSalt = crypto::randomBytes(20);
        secret = *crypto::pbkdf2(crypto::Digest::Sha256, password, bag.doubleProtectionSalt, dpIterations, 32);
    }
    const QByteArray passwordKey = *crypto::pbkdf2(crypto::Digest::Sha1, secret, bag.salt, iterations, 32);
    for (quint32 cls = 1; cls <= 5; ++cls) {
        ClassKey key;
        key.protectionClass = cls;
        key.uuid = crypto::randomBytes(16);
        key.wrap = 2;
        key.keyType = 1;
        const QByteArray plain = crypto::randomBytes(32);
        key.wrappedKey = *crypto::aesKeyWrap(passwordKey, plain);
        if (plainKeys)
            plainKeys->insert(cls, plain);
        bag.classKeys.append(key);
    }
    return bag;
}

// The bag's bytes without the header record `tag`.
QByteArray withoutHeaderTag(const KeyBag& bag, const char* tag)
{
    const QByteArray bytes = bag.serialize();
    QByteArray out;
    int pos = 0;
    bool inHeader = true;
    int uuids = 0;
    while (pos + 8 <= bytes.size()) {
        const QByteArray name = bytes.mid(pos, 4);
        const int length = int(qFromBigEndian<quint32>(bytes.constData() + pos + 4));
        if (name == "UUID" && ++uuids > 1)
            inHeader = false;
        if (!(inHeader && name == tag))
            out += bytes.mid(pos, 8 + length);
        pos += 8 + length;
    }
    return out;
}

} // namespace

class KeyBagTest : public QObject
{
    Q_OBJECT

private slots:
    void parsesWhatItWrites();
    void headerAndGroups();
    void missingHeaderTags_data();
    void missingHeaderTags();
    void wrongSizes_data();
    void wrongSizes();
    void everyCutIsAnError();
    void randomInputNeverCrashes();
    void unlockWithTheRightPassword();
    void wrongPasswordIsSaid();
    void bagWithoutSecondStep();
    void bagThatNoPasswordOpens();
    void progressAndCancel();
    void unlockJobOnAWorkerThread();
    void unlockJobCancelled();
    void storedKeysUnwrap();
};

void KeyBagTest::parsesWhatItWrites()
{
    const KeyBag bag = makeBag("pw", true);
    QString error;
    const std::optional<KeyBag> parsed = KeyBag::parse(bag.serialize(), &error);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(parsed->uuid, bag.uuid);
    QCOMPARE(parsed->salt, bag.salt);
    QCOMPARE(parsed->iterations, 10u);
    QCOMPARE(parsed->doubleProtectionIterations, 20u);
    QCOMPARE(parsed->doubleProtectionSalt, bag.doubleProtectionSalt);
    QCOMPARE(parsed->classKeys.size(), 5);
    QCOMPARE(parsed->classKeys.at(2).protectionClass, 3u);
    QCOMPARE(parsed->classKeys.at(2).wrappedKey, bag.classKeys.at(2).wrappedKey);
    QCOMPARE(parsed->classKeys.at(2).uuid, bag.classKeys.at(2).uuid);
}

void KeyBagTest::headerAndGroups()
{
    // Hand-made, in the order real bags have: unknown tags are passed over,
    // the second UUID opens the first class group.
    const QByteArray wrapped(40, 'w');
    const QByteArray bytes =
        record("VERS", integer(3)) + record("TYPE", integer(1)) + record("UUID", QByteArray(16, 'u')) +
        record("HMCK", QByteArray(40, 'h')) + record("WRAP", integer(0)) + record("SALT", QByteArray(20, 's')) +
        record("ITER", integer(10000)) + record("XTRA", "ignored") + record("UUID", QByteArray(16, 'a')) +
        record("CLAS", integer(1)) + record("WRAP", integer(3)) + record("KTYP", integer(0)) + record("WPKY", wrapped) +
        record("UUID", QByteArray(16, 'b')) + record("CLAS", integer(11)) + record("WRAP", integer(2)) +
        record("KTYP", integer(1)) + record("WPKY", wrapped);
    QString error;
    const std::optional<KeyBag> bag = KeyBag::parse(bytes, &error);
    QVERIFY2(bag, qPrintable(error));
    QCOMPARE(bag->version, 3u);
    QCOMPARE(bag->iterations, 10000u);
    QCOMPARE(bag->wrap, 0u);
    QVERIFY(!bag->hasDoubleProtection());
    QCOMPARE(bag->classKeys.size(), 2);
    QCOMPARE(bag->classKeys.at(0).wrap, 3u);
    QCOMPARE(bag->classKeys.at(1).protectionClass, 11u);
    QCOMPARE(bag->classKeys.at(1).uuid, QByteArray(16, 'b'));
}

void KeyBagTest::missingHeaderTags_data()
{
    QTest::addColumn<QByteArray>("tag");
    for (const char* tag : {"VERS", "TYPE", "WRAP", "SALT", "ITER", "DPIC", "DPSL"})
        QTest::newRow(tag) << QByteArray(tag);
}

void KeyBagTest::missingHeaderTags()
{
    QFETCH(QByteArray, tag);
    const KeyBag bag = makeBag("pw", true);
    QString error;
    QVERIFY(!KeyBag::parse(withoutHeaderTag(bag, tag.constData()), &error));
    QVERIFY2(error.startsWith(QStringLiteral("The backup's key bag is damaged:")), qPrintable(error));
    QVERIFY2(error.contains(QString::fromLatin1(tag)), qPrintable(error));
}

void KeyBagTest::wrongSizes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray header = record("VERS", integer(4)) + record("TYPE", integer(1)) +
                              record("UUID", QByteArray(16, 'u')) + record("WRAP", integer(0)) +
                              record("SALT", QByteArray(20, 's')) + record("ITER", integer(10));
    const QByteArray group = record("UUID", QByteArray(16, 'c')) + record("CLAS", integer(3)) +
                             record("WRAP", integer(2)) + record("KTYP", integer(1));
    QTest::newRow("wrapped key of 39 bytes")
        << header + group + record("WPKY", QByteArray(39, 'w')) << QStringLiteral("39 bytes instead of 40");
    QTest::newRow("wrapped key of 48 bytes")
        << header + group + record("WPKY", QByteArray(48, 'w')) << QStringLiteral("48 bytes instead of 40");
    QTest::newRow("password class without key") << header + group << QStringLiteral("no WPKY");
    QTest::newRow("integer of 2 bytes") << record("VERS", QByteArray(2, '\0')) + header.mid(12) + group
                                        << QStringLiteral("VERS has 2 bytes");
    QTest::newRow("UUID of 15 bytes") << record("VERS", integer(4)) + record("UUID", QByteArray(15, 'u'))
                                      << QStringLiteral("15 bytes instead of 16");
    QTest::newRow("no class keys") << header << QStringLiteral("no class keys");
    QTest::newRow("group without CLAS") << header + record("UUID", QByteArray(16, 'c')) + record("WRAP", integer(2)) +
                                               record("WPKY", QByteArray(40, 'w'))
                                        << QStringLiteral("has no CLAS");
    QTest::newRow("ITER of 0") << header.left(header.size() - 12) + record("ITER", integer(0)) + group +
                                      record("WPKY", QByteArray(40, 'w'))
                               << QStringLiteral("ITER is 0");
    QTest::newRow("length past the end") << header + QByteArray("WPKY\x00\x00\x01\x00xx", 10)
                                         << QStringLiteral("runs past the end");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("empty");
}

void KeyBagTest::wrongSizes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QString error;
    QVERIFY(!KeyBag::parse(bytes, &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
}

void KeyBagTest::everyCutIsAnError()
{
    const QByteArray bytes = makeBag("pw", true).serialize();
    for (int length = 0; length < bytes.size(); ++length) {
        QString error;
        const std::optional<KeyBag> bag = KeyBag::parse(bytes.left(length), &error);
        // Only a cut right after a whole class group leaves a valid bag,
        // with fewer classes.
        if (bag) {
            QVERIFY(bag->classKeys.size() < 5);
            QCOMPARE(bag->classKeys.last().wrappedKey.size(), 40);
            continue;
        }
        QVERIFY2(!error.isEmpty(), qPrintable(QString::number(length)));
        QCOMPARE(fuzzentries::keyBag(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(length)), 0);
    }
}

void KeyBagTest::randomInputNeverCrashes()
{
    QRandomGenerator random(20240611);
    const QByteArray good = makeBag("pw", true).serialize();
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round % 3 == 0) {
            bytes.resize(int(random.bounded(300)));
            for (char& c : bytes)
                c = char(random.bounded(256));
        } else {
            // A real bag with a few bytes changed: the lengths go wrong in
            // every way.
            bytes = good;
            for (int i = 0; i < 1 + round % 4; ++i)
                bytes[int(random.bounded(bytes.size()))] = char(random.bounded(256));
        }
        QCOMPARE(fuzzentries::keyBag(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())), 0);
    }
}

void KeyBagTest::unlockWithTheRightPassword()
{
    QMap<quint32, QByteArray> plain;
    const KeyBag bag = makeBag("correct horse", true, &plain);
    UnlockedKeys keys;
    QString error;
    QCOMPARE(unlockKeyBag(bag, "correct horse", &keys, {}, &error), UnlockResult::Unlocked);
    QVERIFY(!keys.isEmpty());
    QCOMPARE(keys.keyBagUuid(), bag.uuid);
    for (auto it = plain.cbegin(); it != plain.cend(); ++it)
        QCOMPARE(keys.classKey(it.key()), it.value());
    QVERIFY(keys.classKey(9).isEmpty());
}

void KeyBagTest::wrongPasswordIsSaid()
{
    const KeyBag bag = makeBag("right", true);
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(bag, "wrong", &keys), UnlockResult::WrongPassword);
    QVERIFY(keys.isEmpty());
    QCOMPARE(unlockKeyBag(bag, "", &keys), UnlockResult::WrongPassword);
    // The derivation includes the second step: the right password run
    // through the first step only does not open it.
    KeyBag single = bag;
    single.doubleProtectionIterations = 0;
    QCOMPARE(unlockKeyBag(single, "right", &keys), UnlockResult::WrongPassword);
}

void KeyBagTest::bagWithoutSecondStep()
{
    QMap<quint32, QByteArray> plain;
    const KeyBag bag = makeBag("old phone", false, &plain);
    const std::optional<KeyBag> parsed = KeyBag::parse(bag.serialize());
    QVERIFY(parsed);
    QVERIFY(!parsed->hasDoubleProtection());
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(*parsed, "old phone", &keys), UnlockResult::Unlocked);
    QCOMPARE(keys.classKey(1), plain.value(1));
    QCOMPARE(unlockKeyBag(*parsed, "new phone", &keys), UnlockResult::WrongPassword);
}

void KeyBagTest::bagThatNoPasswordOpens()
{
    KeyBag bag = makeBag("pw", false);
    for (ClassKey& key : bag.classKeys)
        key.wrap = 1; // the device's key, which a backup cannot give
    QString error;
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(bag, "pw", &keys, {}, &error), UnlockResult::Failed);
    QVERIFY2(error.contains(QStringLiteral("no key that a password opens")), qPrintable(error));
}

void KeyBagTest::progressAndCancel()
{
    const KeyBag bag = makeBag("pw", true, nullptr, 30000, 60000);
    QList<quint64> done;
    QList<quint64> totals;
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(bag, "pw", &keys,
                          [&](quint64 d, quint64 t) {
                              done.append(d);
                              totals.append(t);
                              return true;
                          }),
             UnlockResult::Unlocked);
    QVERIFY(done.size() > 5);
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    // 60000 SHA-256 rounds, then two blocks of 30000 SHA-1 rounds.
    QCOMPARE(done.last(), quint64(120000));
    QCOMPARE(totals.first(), quint64(120000));

    int calls = 0;
    QCOMPARE(unlockKeyBag(bag, "pw", &keys, [&](quint64, quint64) { return ++calls < 2; }), UnlockResult::Cancelled);
    QVERIFY(keys.isEmpty());
    QCOMPARE(calls, 2);
}

void KeyBagTest::unlockJobOnAWorkerThread()
{
    QMap<quint32, QByteArray> plain;
    const KeyBag bag = makeBag("pw", true, &plain, 20000, 50000);
    UnlockJob job(bag, "pw");
    QSignalSpy progress(&job, &UnlockJob::progress);
    QSignalSpy finished(&job, &UnlockJob::finished);
    QVERIFY(job.start());
    QVERIFY(!job.start());
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    QCOMPARE(finished.at(0).at(0).value<UnlockResult>(), UnlockResult::Unlocked);
    const UnlockedKeys keys = finished.at(0).at(1).value<UnlockedKeys>();
    QCOMPARE(keys.classKey(2), plain.value(2));
    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last().at(0).toInt(), 100);
    QVERIFY(!job.isRunning());

    UnlockJob wrong(bag, "not it");
    QSignalSpy wrongDone(&wrong, &UnlockJob::finished);
    wrong.start();
    QTRY_COMPARE_WITH_TIMEOUT(wrongDone.count(), 1, 60000);
    QCOMPARE(wrongDone.at(0).at(0).value<UnlockResult>(), UnlockResult::WrongPassword);
    QVERIFY(wrongDone.at(0).at(1).value<UnlockedKeys>().isEmpty());
}

void KeyBagTest::unlockJobCancelled()
{
    // Far too many rounds to finish: only a cancel ends it.
    const KeyBag bag = makeBag("pw", false, nullptr, 10, 10);
    KeyBag slow = bag;
    slow.doubleProtectionIterations = 4000000000u;
    slow.doubleProtectionSalt = QByteArray(20, 's');
    UnlockJob job(slow, "pw");
    QSignalSpy progress(&job, &UnlockJob::progress);
    QSignalSpy finished(&job, &UnlockJob::finished);
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(job.isRunning(), 30000);
    job.cancel();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 60000);
    QCOMPARE(finished.at(0).at(0).value<UnlockResult>(), UnlockResult::Cancelled);

    // Destroying a running job stops it and waits for its thread.
    auto* running = new UnlockJob(slow, "pw");
    running->start();
    delete running;
}

void KeyBagTest::storedKeysUnwrap()
{
    QMap<quint32, QByteArray> plain;
    const KeyBag bag = makeBag("pw", false, &plain);
    UnlockedKeys keys;
    QCOMPARE(unlockKeyBag(bag, "pw", &keys), UnlockResult::Unlocked);
    const QByteArray fileKey = crypto::randomBytes(32);
    QByteArray stored(4, '\0');
    qToLittleEndian<quint32>(3, stored.data());
    stored += *crypto::aesKeyWrap(plain.value(3), fileKey);
    QString error;
    QCOMPARE(keys.unwrapStoredKey(stored, &error).value_or(QByteArray()), fileKey);
    // Big-endian class 3 would be class 50331648: no such key.
    QByteArray bigEndian = stored;
    qToBigEndian<quint32>(3, bigEndian.data());
    QVERIFY(!keys.unwrapStoredKey(bigEndian, &error));
    QVERIFY2(error.contains(QStringLiteral("no key of protection class 50331648")), qPrintable(error));
    QVERIFY(!keys.unwrapStoredKey(stored.left(43), &error));
    QVERIFY2(error.contains(QStringLiteral("43 bytes instead of 44")), qPrintable(error));
    QByteArray otherClass = stored;
    qToLittleEndian<quint32>(4, otherClass.data());
    QVERIFY(!keys.unwrapStoredKey(otherClass, &error));
    QVERIFY(error.contains(QStringLiteral("does not unwrap")));
    // Copies share the keys and outlive the original.
    UnlockedKeys copy;
    {
        UnlockedKeys inner = keys;
        copy = inner;
    }
    QCOMPARE(copy.classKey(3), plain.value(3));
}

QTEST_GUILESS_MAIN(KeyBagTest)
#include "tst_keybag.moc"

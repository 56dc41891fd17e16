// The cryptography of encrypted backups against published vectors, so that a
// mistake made the same way in both directions cannot pass: PBKDF2 with
// HMAC-SHA1 (RFC 6070) and HMAC-SHA256 (RFC 7914), AES key wrap (RFC 3394),
// AES-256-CBC (NIST SP 800-38A); and the streamed decryption of files with
// its padding and size rules.

#include "BackupCrypto.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace phonebackup;

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class CryptoTest : public QObject
{
    Q_OBJECT

private slots:
    void pbkdf2Vectors_data();
    void pbkdf2Vectors();
    void pbkdf2ReportsProgressAndStops();
    void keyWrapVectors_data();
    void keyWrapVectors();
    void keyUnwrapRefusesWrongKeysAndSizes();
    void cbcVector();
    void cbcRefusesBadInput();
    void fileDecryptionStreamsAndCuts();
    void fileDecryptionFailuresLeaveNothing();
};

void CryptoTest::pbkdf2Vectors_data()
{
    QTest::addColumn<bool>("sha256");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("salt");
    QTest::addColumn<quint32>("iterations");
    QTest::addColumn<QByteArray>("expected");

    // RFC 6070.
    QTest::newRow("sha1 c=1") << false << QByteArray("password") << QByteArray("salt") << 1u
                              << hex("0c60c80f961f0e71f3a9b524af6012062fe037a6");
    QTest::newRow("sha1 c=2") << false << QByteArray("password") << QByteArray("salt") << 2u
                              << hex("ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
    QTest::newRow("sha1 c=4096") << false << QByteArray("password") << QByteArray("salt") << 4096u
                                 << hex("4b007901b765489abead49d926f721d065a429c1");
    QTest::newRow("sha1 long, two blocks")
        << false << QByteArray("passwordPASSWORDpassword") << QByteArray("saltSALTsaltSALTsaltSALTsaltSALTsalt")
        << 4096u << hex("3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
    QTest::newRow("sha1 NUL bytes") << false << QByteArray("pass\0word", 9) << QByteArray("sa\0lt", 5) << 4096u
                                    << hex("56fa6aa75548099dcc37d7f03425e0c3");
    // RFC 7914, section 11.
    QTest::newRow("sha256 c=1") << true << QByteArray("passwd") << QByteArray("salt") << 1u
                                << hex("55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b64"
                                       "5991664b39d77ef317c71b845"
                                       "b1e30bd509112041d3a19783");
    QTest::newRow("sha256 c=80000") << true << QByteArray("Password") << QByteArray("NaCl") << 80000u
                                    << hex("4ddcd8f60b98be21830cee5ef22701f9641a4418d04c0414aeff08876b34ab56a1d425a1225"
                                           "833549adb841b51c9b3176a272bde"
                                           "bba1d078478f62b397f33c8d");
}

void CryptoTest::pbkdf2Vectors()
{
    QFETCH(bool, sha256);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, salt);
    QFETCH(quint32, iterations);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> key = crypto::pbkdf2(sha256 ? crypto::Digest::Sha256 : crypto::Digest::Sha1,
                                                         password, salt, iterations, int(expected.size()));
    QVERIFY(key);
    QCOMPARE(key->toHex(), expected.toHex());
}

void CryptoTest::pbkdf2ReportsProgressAndStops()
{
    QList<quint64> seen;
    const std::optional<QByteArray> full =
        crypto::pbkdf2(crypto::Digest::Sha256, "pw", "salt", 50000, 32, [&](quint64 done) {
            seen.append(done);
            return true;
        });
    QVERIFY(full);
    QCOMPARE(*full, *crypto::pbkdf2(crypto::Digest::Sha256, "pw", "salt", 50000, 32));
    QVERIFY(seen.size() >= 3);
    QCOMPARE(seen.last(), quint64(50000));
    QVERIFY(std::is_sorted(seen.begin(), seen.end()));

    int calls = 0;
    const std::optional<QByteArray> stopped =
        crypto::pbkdf2(crypto::Digest::Sha1, "pw", "salt", 1000000, 32, [&](quint64 done) {
            ++calls;
            return done < 20000;
        });
    QVERIFY(!stopped);
    QVERIFY(calls <= 4);

    QVERIFY(!crypto::pbkdf2(crypto::Digest::Sha1, "pw", "salt", 0, 32));
    QVERIFY(!crypto::pbkdf2(crypto::Digest::Sha1, "pw", "salt", 1, 0));
    // An empty password is a valid key, not "reuse the last one".
    QCOMPARE(crypto::pbkdf2(crypto::Digest::Sha1, "", "salt", 1, 20)->toHex(),
             QByteArray("a33dddc30478185515311f8752895d36ea4363a2"));
}

void CryptoTest::keyWrapVectors_data()
{
    QTest::addColumn<QByteArray>("kek");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("wrapped");
    const QByteArray kek128 = hex("000102030405060708090A0B0C0D0E0F");
    const QByteArray kek192 = hex("000102030405060708090A0B0C0D0E0F1011121314151617");
    const QByteArray kek256 = hex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
    const QByteArray key128 = hex("00112233445566778899AABBCCDDEEFF");
    const QByteArray key192 = hex("00112233445566778899AABBCCDDEEFF0001020304050607");
    const QByteArray key256 = hex("00112233445566778899AABBCCDDEEFF000102030405060708090A0B0C0D0E0F");
    // RFC 3394, section 4.
    QTest::newRow("4.1") << kek128 << key128 << hex("1FA68B0A8112B447 AEF34BD8FB5A7B82 9D3E862371D2CFE5");
    QTest::newRow("4.2") << kek192 << key128 << hex("96778B25AE6CA435 F92B5B97C050AED2 468AB8A17AD84E5D");
    QTest::newRow("4.3") << kek256 << key128 << hex("64E8C3F9CE0F5BA2 63E9777905818A2A 93C8191E7D6E8AE7");
    QTest::newRow("4.4") << kek192 << key192
                         << hex("031D33264E15D332 68F24EC260743EDC E1C6C7DDEE725A93 6BA814915C6762D2");
    QTest::newRow("4.5") << kek256 << key192
                         << hex("A8F9BC1612C68B3F F6E6F4FBE30E71E4 769C8B80A32CB895 8CD5D17D6B254DA1");
    QTest::newRow("4.6") << kek256 << key256
                         << hex("28C9F404C4B810F4 CBCCB35CFB87F826 3F5786E2D80ED326 CBC7F0E71A99F43B "
                                "FB988B9B7A02DD21");
}

void CryptoTest::keyWrapVectors()
{
    QFETCH(QByteArray, kek);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, wrapped);
    QCOMPARE(crypto::aesKeyWrap(kek, key)->toHex(), wrapped.toHex());
    QCOMPARE(crypto::aesKeyUnwrap(kek, wrapped)->toHex(), key.toHex());
}

void CryptoTest::keyUnwrapRefusesWrongKeysAndSizes()
{
    const QByteArray kek = hex("000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F");
    const QByteArray wrapped = hex("28C9F404C4B810F4CBCCB35CFB87F8263F5786E2D80ED326CBC7F0E71A99F43BFB988B9B7A02DD21");
    QByteArray otherKek = kek;
    otherKek[31] = char(otherKek[31] ^ 1);
    QVERIFY(!crypto::aesKeyUnwrap(otherKek, wrapped));
    QByteArray damaged = wrapped;
    damaged[12] = char(damaged[12] ^ 0x40);
    QVERIFY(!crypto::aesKeyUnwrap(kek, damaged));
    QVERIFY(!crypto::aesKeyUnwrap(kek, wrapped.left(39)));
    QVERIFY(!crypto::aesKeyUnwrap(kek, wrapped.left(16)));
    QVERIFY(!crypto::aesKeyUnwrap(kek, QByteArray()));
    QVERIFY(!crypto::aesKeyUnwrap(kek.left(20), wrapped));
    QVERIFY(!crypto::aesKeyWrap(kek, QByteArray(12, 'k')));
}

void CryptoTest::cbcVector()
{
    // SP 800-38A F.2.5; PKCS#7 adds one block of padding after the vector's blocks.
    const QByteArray key = hex("603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4");
    const QByteArray iv = hex("000102030405060708090a0b0c0d0e0f");
    const QByteArray plain = hex("6bc1bee22e409f96e93d7e117393172a ae2d8a571e03ac9c9eb76fac45af8e51 "
                                 "30c81c46a35ce411e5fbc1191a0a52ef f69f2445df4f9b17ad2b417be66c3710");
    const QByteArray cipher = hex("f58c4c04d6e5f1ba779eabfb5f7bfbd6 9cfc4e967edb808d679f777bc6702c7d "
                                  "39f23369a9d9bacfa530e26304231461 b2eb05e2c39be9fcda6c19078c6a9d1b");
    const std::optional<QByteArray> encrypted = crypto::aesCbcEncrypt(key, plain, iv);
    QVERIFY(encrypted);
    QCOMPARE(encrypted->size(), plain.size() + 16);
    QCOMPARE(encrypted->left(64).toHex(), cipher.toHex());
    QCOMPARE(crypto::aesCbcDecrypt(key, *encrypted, iv)->toHex(), plain.toHex());
    // The zero IV is the default, and differs from the vector's.
    QVERIFY(crypto::aesCbcEncrypt(key, plain)->left(16) != cipher.left(16));
    QCOMPARE(*crypto::aesCbcDecrypt(key, *crypto::aesCbcEncrypt(key, plain)), plain);
}

void CryptoTest::cbcRefusesBadInput()
{
    const QByteArray key(32, 'k');
    const QByteArray cipher = *crypto::aesCbcEncrypt(key, "a message of some length");
    QVERIFY(!crypto::aesCbcDecrypt(key, cipher.left(cipher.size() - 1)));
    QVERIFY(!crypto::aesCbcDecrypt(key.left(16), cipher));
    QByteArray otherKey = key;
    otherKey[0] = 'x';
    // A wrong key almost always gives wrong padding; the last byte decides.
    QByteArray badPadding = cipher;
    badPadding[badPadding.size() - 17] = char(badPadding[badPadding.size() - 17] ^ 0x55);
    QVERIFY(!crypto::aesCbcDecrypt(key, badPadding));
}

void CryptoTest::fileDecryptionStreamsAndCuts()
{
    QTemporaryDir dir;
    const QByteArray key = crypto::randomBytes(32);
    // Larger than one piece of the stream, and not a whole number of blocks.
    QByteArray plain(3 * 1024 * 1024 + 1234, '\0');
    for (int i = 0; i < plain.size(); ++i)
        plain[i] = char((quint32(i) * 7919u) >> 3);
    QVERIFY(writeAll(dir.filePath("plain"), plain));
    QString error;
    QVERIFY2(crypto::encryptFile(dir.filePath("plain"), dir.filePath("cipher"), key, &error), qPrintable(error));
    QCOMPARE(readAll(dir.filePath("cipher")), *crypto::aesCbcEncrypt(key, plain));

    QVERIFY2(crypto::decryptFile(dir.filePath("cipher"), dir.filePath("out"), key, plain.size(), "sms.db", &error),
             qPrintable(error));
    QCOMPARE(readAll(dir.filePath("out")), plain);
    QCOMPARE(QFile::permissions(dir.filePath("out")) & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());
    // The catalogue's size cuts what the padding leaves.
    QVERIFY(crypto::decryptFile(dir.filePath("cipher"), dir.filePath("cut"), key, 1000, "sms.db", &error));
    QCOMPARE(readAll(dir.filePath("cut")), plain.left(1000));
    // Without a size, everything the padding leaves.
    QVERIFY(crypto::decryptFile(dir.filePath("cipher"), dir.filePath("whole"), key, -1, "sms.db", &error));
    QCOMPARE(readAll(dir.filePath("whole")), plain);
    // An empty file encrypts to one block of padding.
    QVERIFY(writeAll(dir.filePath("empty"), QByteArray()));
    QVERIFY(crypto::encryptFile(dir.filePath("empty"), dir.filePath("empty.enc"), key, &error));
    QCOMPARE(QFileInfo(dir.filePath("empty.enc")).size(), 16);
    QVERIFY(crypto::decryptFile(dir.filePath("empty.enc"), dir.filePath("empty.out"), key, 0, "x", &error));
    QCOMPARE(QFileInfo(dir.filePath("empty.out")).size(), 0);
}

void CryptoTest::fileDecryptionFailuresLeaveNothing()
{
    QTemporaryDir dir;
    // A fixed key: garbage from a wrong key or a damaged last block passes
    // as padding for about one key in 256, so a random key would make the
    // outcome a matter of luck.
    const QByteArray key = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
    const QByteArray cipher = *crypto::aesCbcEncrypt(key, QByteArray(100000, 'm'));
    QVERIFY(writeAll(dir.filePath("good"), cipher));
    // The plain text fills whole blocks, so its last block is sixteen bytes
    // of 0x10; a bit flipped in the block before turns the last one into
    // 0x11, which no padding can be.
    QByteArray padding = cipher;
    padding[padding.size() - 17] = char(padding[padding.size() - 17] ^ 0x01);
    QVERIFY(writeAll(dir.filePath("padding"), padding));
    QVERIFY(writeAll(dir.filePath("cut"), cipher.left(cipher.size() - 5)));
    QByteArray otherKey = key;
    otherKey[3] = char(otherKey[3] ^ 0x10);

    QString error;
    QVERIFY(!crypto::decryptFile(dir.filePath("padding"), dir.filePath("o1"), key, -1, "sms.db", &error));
    QVERIFY2(error.contains(QStringLiteral("padding is wrong")), qPrintable(error));
    QVERIFY(error.contains(QStringLiteral("sms.db")));
    QVERIFY(!QFile::exists(dir.filePath("o1")));

    QVERIFY(!crypto::decryptFile(dir.filePath("cut"), dir.filePath("o2"), key, -1, "sms.db", &error));
    QVERIFY2(error.contains(QStringLiteral("whole number of blocks")), qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath("o2")));

    QVERIFY(!crypto::decryptFile(dir.filePath("good"), dir.filePath("o3"), otherKey, -1, "sms.db", &error));
    QVERIFY(!QFile::exists(dir.filePath("o3")));

    // A catalogue that promises more than the file holds.
    QVERIFY(!crypto::decryptFile(dir.filePath("good"), dir.filePath("o4"), key, 100001, "sms.db", &error));
    QVERIFY2(error.contains(QStringLiteral("shorter")), qPrintable(error));
    QVERIFY(!QFile::exists(dir.filePath("o4")));

    // Never over an existing file.
    QVERIFY(writeAll(dir.filePath("taken"), "keep"));
    QVERIFY(!crypto::decryptFile(dir.filePath("good"), dir.filePath("taken"), key, -1, "sms.db", &error));
    QCOMPARE(readAll(dir.filePath("taken")), QByteArray("keep"));
    QVERIFY(!crypto::decryptFile(dir.filePath("missing"), dir.filePath("o5"), key, -1, "sms.db", &error));
    QVERIFY(!QFile::exists(dir.filePath("o5")));
}

QTEST_GUILESS_MAIN(CryptoTest)
#include "tst_crypto.moc"

#include "AttributedBody.h"
#include "FuzzEntries.h"

#include <QRandomGenerator>
#include <QtTest>

#include <vector>

// The fuzz target's entry fuzzentries::attributedBody: every build feeds it
// random and truncated input here.

namespace {

// Decodes from a buffer of exactly the blob's size (no terminating zero
// after it), so that a read past the end meets the sanitizer.
QByteArray decodeExact(const QByteArray& blob)
{
    std::vector<char> exact(blob.cbegin(), blob.cend());
    return attributedbody::decode(QByteArray::fromRawData(exact.data(), qsizetype(exact.size())));
}

void feedEntry(const QByteArray& blob)
{
    std::vector<uint8_t> exact(blob.cbegin(), blob.cend());
    fuzzentries::attributedBody(exact.data(), exact.size());
}

// The header every stream starts with, then the class names up to NSString.
const QByteArray streamStart = QByteArrayLiteral("\x04\x0bstreamtyped\x81\xe8\x03\x84\x01\x40\x84\x84\x84\x08NSString");

} // namespace

class AttributedBodyTest : public QObject
{
    Q_OBJECT

private slots:
    void decodesWhatThePhoneWrites_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("one byte") << QByteArray("x");
        QTest::newRow("127 bytes, one-byte length") << QByteArray(127, 'a');
        QTest::newRow("128 bytes, two-byte length") << QByteArray(128, 'b');
        QTest::newRow("65,535 bytes") << QByteArray(65535, 'c');
        QTest::newRow("65,536 bytes, four-byte length") << QByteArray(65536, 'd');
        QTest::newRow("emoji and placeholder") << QStringLiteral("Café 😀 \uFFFC").toUtf8();
        QTest::newRow("bytes that look like a stream") << QByteArray("NSString\x01\x94\x84\x01+\x05"
                                                                     "inner",
                                                                     15);
    }
    void decodesWhatThePhoneWrites()
    {
        QFETCH(QByteArray, text);
        const QByteArray blob = attributedbody::encode(text);
        QCOMPARE(decodeExact(blob), text);
        feedEntry(blob);
    }

    void acceptsEveryClassReferenceAndTheMutableString()
    {
        const QByteArray blob = attributedbody::encode("Mutable");
        const qsizetype name = blob.indexOf("NSString");
        QVERIFY(name > 0);
        for (int reference : {0x00, 0x92, 0x94, 0x95, 0xff}) {
            QByteArray changed = blob;
            changed[name + 9] = char(reference);
            QCOMPARE(decodeExact(changed), QByteArray("Mutable"));
        }
        QByteArray mutableString = blob;
        mutableString.replace(name - 1, 9, QByteArray("\x0fNSMutableString"));
        QCOMPARE(decodeExact(mutableString), QByteArray("Mutable"));
    }

    void malformedBlobsGiveNoText_data()
    {
        QTest::addColumn<QByteArray>("blob");
        const QByteArray marker = QByteArrayLiteral("\x01\x94\x84\x01\x2b");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header only") << QByteArray("\x04\x0bstreamtyped", 13);
        QTest::newRow("no header") << QByteArray("NSString") + marker + "\x03" + "abc";
        QTest::newRow("other header") << QByteArray("\x04\x0cstreamtypes") + "NSString" + marker + "\x03" + "abc";
        QTest::newRow("name at the very end") << streamStart;
        QTest::newRow("marker cut") << streamStart + marker.left(4);
        QTest::newRow("wrong type code") << streamStart + QByteArray("\x01\x94\x84\x01\x69\x03"
                                                                     "abc",
                                                                     9);
        QTest::newRow("no length") << streamStart + marker;
        QTest::newRow("length beyond the end") << streamStart + marker + "\x05" + "abc";
        QTest::newRow("two-byte length cut") << streamStart + marker + "\x81\x10";
        QTest::newRow("two-byte length beyond the end") << streamStart + marker + "\x81\xff\xff" + "abc";
        QTest::newRow("four-byte length of 4 GB") << streamStart + marker + "\x82\xff\xff\xff\xff" + "abc";
        QTest::newRow("unknown length tag") << streamStart + marker + "\x83\x03\x00\x00\x00\x00\x00\x00\x00" + "abc";
        QTest::newRow("negative one-byte length") << streamStart + marker + "\x80" + "abc";
    }
    void malformedBlobsGiveNoText()
    {
        QFETCH(QByteArray, blob);
        QVERIFY(decodeExact(blob).isEmpty());
        feedEntry(blob);
    }

    void aNameThatIsNoStringIsPassedOver()
    {
        // A damaged first name is skipped; the next complete string is the text.
        const QByteArray blob = streamStart + QByteArray("\x01\x94\x84\x01\x69") + "NSString" +
                                QByteArray("\x01\x94\x84\x01\x2b\x02") + "ok";
        QCOMPARE(decodeExact(blob), QByteArray("ok"));
    }

    void everyTruncationOfAValidBlob_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("short") << QByteArray("Short text");
        QTest::newRow("200 bytes") << QByteArray(200, 'z');
        QTest::newRow("70,000 bytes") << QByteArray(70000, 'y');
    }
    void everyTruncationOfAValidBlob()
    {
        QFETCH(QByteArray, text);
        const QByteArray blob = attributedbody::encode(text);
        const qsizetype textEnd = blob.indexOf(text) + text.size();
        // Long texts: every cut near the text's boundaries, and a spread of others.
        QVector<qsizetype> cuts;
        for (qsizetype cut = 0; cut <= blob.size(); cut += text.size() > 1000 ? 997 : 1)
            cuts.append(cut);
        for (qsizetype cut = textEnd - 3; cut <= qMin(blob.size(), textEnd + 3); ++cut)
            cuts.append(cut);
        for (qsizetype cut : std::as_const(cuts)) {
            const QByteArray decoded = decodeExact(blob.left(cut));
            if (cut < textEnd)
                QVERIFY2(decoded.isEmpty(), qPrintable(QString::number(cut)));
            else
                QCOMPARE(decoded, text);
            feedEntry(blob.left(cut));
        }
    }

    void randomBlobsNeverCrashOrReadPastTheEnd()
    {
        QRandomGenerator random(20240611);
        const QByteArray marker = QByteArrayLiteral("\x01\x94\x84\x01\x2b");
        int decodedSome = 0;
        for (int round = 0; round < 20000; ++round) {
            QByteArray blob;
            if (random.bounded(4) != 0)
                blob = streamStart.left(13);
            const int size = random.bounded(200);
            for (int i = 0; i < size; ++i)
                blob += char(random.bounded(256));
            // Often the pieces a decoder looks for, with random lengths after them.
            if (random.bounded(2)) {
                const qsizetype at = blob.isEmpty() ? 0 : random.bounded(int(blob.size()));
                QByteArray piece = "NSString" + marker;
                piece += char(0x7e + random.bounded(6));
                for (int i = random.bounded(6); i > 0; --i)
                    piece += char(random.bounded(256));
                blob.insert(at, piece);
            }
            const QByteArray text = decodeExact(blob);
            QVERIFY(text.size() <= blob.size());
            QVERIFY(text.isEmpty() || blob.contains(text));
            if (!text.isEmpty())
                ++decodedSome;
            feedEntry(blob);
        }
        // The generator must reach the decoder's success path too.
        QVERIFY(decodedSome > 100);
    }
};

QTEST_GUILESS_MAIN(AttributedBodyTest)
#include "tst_attributedbody.moc"

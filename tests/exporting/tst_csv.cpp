// The csv export: RFC 4180 that reads back to the very texts of the
// messages (quotes, commas, line breaks, CJK, emoji, right-to-left marks),
// the columns a script relies on, and fields a spreadsheet could take for
// formulas.

#include "CsvWriter.h"
#include "Export.h"
#include "ExportFixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace exporting;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A strict reader of RFC 4180: fails (returns false) on a quote inside an
// unquoted field, on text after a closing quote, on an unterminated quote
// and on a record that does not end in CR LF.
bool parseCsv(const QByteArray& data, QList<QList<QByteArray>>* records)
{
    QList<QByteArray> record;
    QByteArray field;
    qsizetype i = 0;
    const qsizetype n = data.size();
    while (i < n) {
        if (data.at(i) == '"') {
            ++i;
            for (;;) {
                if (i >= n)
                    return false;
                if (data.at(i) == '"') {
                    if (i + 1 < n && data.at(i + 1) == '"') {
                        field.append('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.append(data.at(i++));
            }
        } else {
            while (i < n && data.at(i) != ',' && data.at(i) != '\r' && data.at(i) != '\n') {
                if (data.at(i) == '"')
                    return false;
                field.append(data.at(i++));
            }
        }
        record.append(field);
        field.clear();
        if (i < n && data.at(i) == ',') {
            ++i;
            if (i == n)
                return false;
            continue;
        }
        if (i + 1 < n && data.at(i) == '\r' && data.at(i + 1) == '\n') {
            i += 2;
            records->append(record);
            record.clear();
            continue;
        }
        return false;
    }
    return record.isEmpty();
}

MessageRecord message(qint64 rowId, const QByteArray& text, bool incoming = true)
{
    MessageRecord m;
    m.rowId = rowId;
    m.address = "+15550009999";
    m.contactName = "NULL";
    m.text = text;
    m.time = exportfixture::kDay1 + rowId;
    m.isIncoming = incoming;
    return m;
}

} // namespace

class CsvTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsBackToTheSameTexts();
    void columns();
    void quotingOfTheRawBytes();
    void formulaLikeTextsAreQuotedAndKept_data();
    void formulaLikeTextsAreQuotedAndKept();
    void invalidUtf8BecomesReplacementCharacters();

private:
    QList<QList<QByteArray>> exportAll(const Options& options, QByteArray* raw = nullptr);

    MessageStore m_store;
    QTemporaryDir m_dir;
    int m_files = 0;
};

void CsvTest::init()
{
    m_store.clear();
    exportfixture::fill(m_store);
}

QList<QList<QByteArray>> CsvTest::exportAll(const Options& options, QByteArray* raw)
{
    const QString path = m_dir.filePath(QStringLiteral("out%1.csv").arg(++m_files));
    const Result result = run(m_store, nullptr, options, path);
    [&] { QCOMPARE(int(result.status), int(Result::Status::Written)); }();
    const QByteArray bytes = readAll(path);
    if (raw)
        *raw = bytes;
    QList<QList<QByteArray>> records;
    [&] {
        QVERIFY(bytes.startsWith("\xef\xbb\xbf"));
        QVERIFY2(parseCsv(bytes.mid(3), &records), bytes.constData());
    }();
    return records;
}

void CsvTest::readsBackToTheSameTexts()
{
    Options options;
    options.format = Format::Csv;
    const QList<QList<QByteArray>> records = exportAll(options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(records.size(), 13);
    QCOMPARE(records.first(),
             (QList<QByteArray>{"key", "name", "rowid", "incoming", "sender", "utc", "text", "attachments"}));
    // The list's order, each conversation oldest first.
    QStringList order;
    for (qsizetype i = 1; i < records.size(); ++i) {
        QCOMPARE(records.at(i).size(), 8);
        const qint64 rowId = records.at(i).at(2).toLongLong();
        order.append(QString::number(rowId));
        const MessageRecord* m = m_store.message(rowId);
        QVERIFY(m);
        QCOMPARE(records.at(i).at(6), m->text);
    }
    QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("1 2 7 9 11 12 3 10 4 5 6 8"));
}

void CsvTest::columns()
{
    Options options;
    options.format = Format::Csv;
    const QList<QList<QByteArray>> records = exportAll(options);
    QVERIFY(!QTest::currentTestFailed());
    QHash<qint64, QList<QByteArray>> byRow;
    for (qsizetype i = 1; i < records.size(); ++i)
        byRow.insert(records.at(i).at(2).toLongLong(), records.at(i));

    // An incoming message of a person: the sender is the conversation's handle.
    QCOMPARE(byRow.value(1), (QList<QByteArray>{"+4915112345678", "Berg Anna", "1", "true", "+4915112345678",
                                                "2024-03-05T14:00:00Z", byRow.value(1).at(6), ""}));
    // A sent one has no sender; a number nobody named is named by its key.
    QCOMPARE(byRow.value(2).mid(3, 2), (QList<QByteArray>{"false", ""}));
    QCOMPARE(byRow.value(3).mid(0, 2), (QList<QByteArray>{"10086", "10086"}));
    // In a group, the member's handle; the attachments' names.
    QCOMPARE(byRow.value(4).mid(0, 5), (QList<QByteArray>{"chat123456", "Family", "4", "true", "+15550001111"}));
    QCOMPARE(byRow.value(6).at(7), QByteArray("IMG_0001.JPG; report.pdf"));
    QCOMPARE(byRow.value(7).at(7), QByteArray("IMG_0002.HEIC"));
    // A hostile name is only data in its field.
    QCOMPARE(byRow.value(8).at(7), QByteArray("../../etc/passwd\n<img src=x>.jpg"));
    QCOMPARE(byRow.value(10).at(6), QByteArray());

    // One conversation and a day: only its messages of that day.
    options.selection.scope = Selection::Scope::OneConversation;
    options.selection.conversation = exportfixture::kAnna;
    options.selection.from = QDate(2024, 3, 7);
    const QList<QList<QByteArray>> some = exportAll(options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(some.size(), 4);
    QCOMPARE(some.at(1).at(2), QByteArray("9"));
    QCOMPARE(some.at(3).at(2), QByteArray("12"));
}

void CsvTest::quotingOfTheRawBytes()
{
    Options options;
    options.format = Format::Csv;
    QByteArray raw;
    exportAll(options, &raw);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(raw.startsWith("\xef\xbb\xbfkey,name,rowid,incoming,sender,utc,text,attachments\r\n"));
    QVERIFY(raw.endsWith("\r\n"));
    // Quotes doubled inside a quoted field; line breaks kept inside it.
    QVERIFY(raw.contains(",\"Sure, \"\"at 8\"\", see you\nsecond line\",\r\n"));
    QVERIFY(raw.contains(",\"a,b;c\r\nd\te\",\r\n"));
    // Fields that need nothing stay bare; a number in international form is
    // quoted, or a spreadsheet would make it a number without its "+".
    QVERIFY(raw.contains("\r\n\"+4915112345678\",Berg Anna,12,false,,2024-03-07T14:03:00Z,last one,\r\n"));
    // Every record ends in CR LF: no bare line feed outside a quoted field.
    QList<QList<QByteArray>> records;
    QVERIFY(parseCsv(raw.mid(3), &records));
}

void CsvTest::formulaLikeTextsAreQuotedAndKept_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("quoted");
    QTest::newRow("equals") << QByteArray("=HYPERLINK(\"http://x\",\"y\")") << true;
    QTest::newRow("plus") << QByteArray("+1 555 0100") << true;
    QTest::newRow("minus") << QByteArray("-2+3") << true;
    QTest::newRow("at") << QByteArray("@SUM(A1)") << true;
    QTest::newRow("tab") << QByteArray("\t=1") << true;
    QTest::newRow("equals later") << QByteArray("1=1") << false;
    QTest::newRow("plain") << QByteArray("plain words") << false;
}

void CsvTest::formulaLikeTextsAreQuotedAndKept()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, quoted);
    m_store.clear();
    m_store.messages = {message(1, text)};
    m_store.messageCount = 1;
    m_store.buildConversationList();
    Options options;
    options.format = Format::Csv;
    QByteArray raw;
    const QList<QList<QByteArray>> records = exportAll(options, &raw);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(records.size(), 2);
    // The text reads back unchanged: nothing is put in front of it.
    QCOMPARE(records.at(1).at(6), text);
    QByteArray field;
    CsvWriter::appendField(&field, text);
    QCOMPARE(field.startsWith('"'), quoted);
    QVERIFY(raw.contains(',' + field + ",\r\n"));
}

void CsvTest::invalidUtf8BecomesReplacementCharacters()
{
    m_store.clear();
    m_store.messages = {message(1, QByteArray("bad \xff\xfe end, \"q\"")), message(2, "ok", false)};
    m_store.messageCount = 2;
    m_store.buildConversationList();
    Options options;
    options.format = Format::Csv;
    QByteArray raw;
    const QList<QList<QByteArray>> records = exportAll(options, &raw);
    QVERIFY(!QTest::currentTestFailed());
    QVERIFY(QByteArrayView(raw).isValidUtf8());
    QCOMPARE(QString::fromUtf8(records.at(1).at(6)), QStringLiteral("bad \ufffd\ufffd end, \"q\""));
    QCOMPARE(records.at(2).at(6), QByteArray("ok"));
}

QTEST_GUILESS_MAIN(CsvTest)
#include "tst_csv.moc"

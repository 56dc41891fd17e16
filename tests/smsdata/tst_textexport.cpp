// The text export format, byte for byte: list-page blocks, the chat-page form
// and the single-message copy, plus the writer's failure cases.

#include "TextExport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

MessageRecord msg(qint64 rowId, const char* address, const char* text, qint64 time, bool incoming = true)
{
    MessageRecord m;
    m.rowId = rowId;
    m.address = address;
    m.text = text;
    m.time = time;
    m.isIncoming = incoming;
    m.contactName = "NULL";
    return m;
}

// Seconds since 1970; the tests run in Asia/Shanghai (UTC+8).
constexpr qint64 T1 = 1000; // time:Thu Jan 01 08:16:40 1970
constexpr qint64 T2 = 2000; // time:Thu Jan 01 08:33:20 1970

QByteArray stars(int n)
{
    return QByteArray(n, '*');
}

QByteArray joined(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

} // namespace

class TextExportTest : public QObject
{
    Q_OBJECT

private slots:
    void rulesHaveTheirLengths();
    void formats_data();
    void formats();
    void chatPageWithoutConversationWritesNoMessage();
    void writerBytes();
    void writerFailures();
    void defaultPath();
};

void TextExportTest::rulesHaveTheirLengths()
{
    QCOMPARE(textexport::longRule().toUtf8(), stars(54));
    QCOMPARE(textexport::rule().toUtf8(), stars(45));
    QCOMPARE(textexport::shortRule().toUtf8(), stars(43));
}

void TextExportTest::formats_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QByteArray>("expected");

    const QVector<MessageRecord> one{msg(7, "10086", "hello", T1)};
    const QVector<MessageRecord> two{msg(7, "10086", "first", T1), msg(9, "10086", "second", T2, false)};

    QTest::newRow("chat page, one message") << textexport::chatPageLines(one)
                                            << stars(45) + "\r\n*10086\r\n" + stars(43) +
                                                   "\r\nFrom  10086 at:time:Thu Jan 01 08:16:40 1970\n :\r\nhello\r\n";
    QTest::newRow("chat page, oldest first, no rules between")
        << textexport::chatPageLines(two)
        << stars(45) + "\r\n*10086\r\n" + stars(43) +
               "\r\nFrom  10086 at:time:Thu Jan 01 08:16:40 1970\n :\r\nfirst\r\n"
               "From  10086 at:time:Thu Jan 01 08:33:20 1970\n :\r\nsecond\r\n";
    QTest::newRow("list page block, newest first, rule after each")
        << textexport::conversationBlock(two)
        << stars(45) + "\r\nFrom  10086 at:time:Thu Jan 01 08:33:20 1970\n :\r\nsecond\r\n" + stars(45) +
               "\r\nFrom  10086 at:time:Thu Jan 01 08:16:40 1970\n :\r\nfirst\r\n" + stars(45) + "\r\n";
    QTest::newRow("single message, time label twice")
        << textexport::singleMessageLines(two, 9)
        << stars(54) + "\r\n*  From:  10086 time:time:Thu Jan 01 08:33:20 1970\n\r\nsecond\r\n";
    QTest::newRow("single message, first match wins")
        << textexport::singleMessageLines({msg(3, "1", "a", T1), msg(3, "2", "b", T2)}, 3)
        << stars(54) + "\r\n*  From:  1 time:time:Thu Jan 01 08:16:40 1970\n\r\na\r\n";
    QTest::newRow("single message, no match") << textexport::singleMessageLines(two, 8) << QByteArray();
    QTest::newRow("non-ASCII and multi-line text stays UTF-8")
        << textexport::singleMessageLines({msg(1, "+86 138", "你好\nZoë 😀", T1)}, 1)
        << stars(54) + "\r\n*  From:  +86 138 time:time:Thu Jan 01 08:16:40 1970\n\r\n" + QByteArray("你好\nZoë 😀") +
               "\r\n";
    QTest::newRow("empty fields") << textexport::chatPageLines({msg(1, "", "", 0)})
                                  << stars(45) + "\r\n*\r\n" + stars(43) +
                                         "\r\nFrom   at:time:Thu Jan 01 08:00:00 1970\n :\r\n\r\n";
}

void TextExportTest::formats()
{
    QFETCH(QStringList, lines);
    QFETCH(QByteArray, expected);
    QCOMPARE(joined(lines), expected);

    // The file holds exactly these bytes: no byte-order mark, no extra line end.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.txt"));
    QVERIFY(textexport::writeLines(path, lines));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), expected);
}

void TextExportTest::chatPageWithoutConversationWritesNoMessage()
{
    QVERIFY(textexport::chatPageLines({}).isEmpty());
    QCOMPARE(joined(textexport::conversationBlock({})), stars(45) + "\r\n");
}

void TextExportTest::writerBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("again.txt"));
    QVERIFY(textexport::writeLines(path, {QStringLiteral("a much longer first export line")}));
    // A second export to the same file replaces it; nothing of the first remains.
    QVERIFY(textexport::writeLines(path, {QStringLiteral("x")}));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("x\r\n"));
    f.close();

    QVERIFY(textexport::writeLines(path, {}));
    QCOMPARE(QFileInfo(path).size(), 0);
}

void TextExportTest::writerFailures()
{
    QTemporaryDir dir;
    QVERIFY(!textexport::writeLines(QString(), {QStringLiteral("x")}));
    const QString missing = dir.filePath(QStringLiteral("no/such/folder/out.txt"));
    QVERIFY(!textexport::writeLines(missing, {QStringLiteral("x")}));
    QVERIFY(!QFile::exists(missing));
    // A folder in the way is not replaced.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.txt")));
    QVERIFY(!textexport::writeLines(dir.filePath(QStringLiteral("taken.txt")), {QStringLiteral("x")}));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("taken.txt"))).isDir());
}

void TextExportTest::defaultPath()
{
    const QDateTime when(QDate(2010, 5, 1), QTime(12, 30, 45));
    QCOMPARE(textexport::defaultExportPath(QStringLiteral("/home/u/Documents/smsbackup"), when),
             QStringLiteral("/home/u/Documents/smsbackup/2010.05.01.12.30.45.txt"));
    QCOMPARE(textexport::timeStamp(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 9))),
             QStringLiteral("2024.12.31.23.59.09"));
}

QTEST_GUILESS_MAIN(TextExportTest)
#include "tst_textexport.moc"

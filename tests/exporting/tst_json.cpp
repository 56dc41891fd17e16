// The json export: one compact object per line and message with the fields
// of `show --json` and the conversation's name; texts and names exactly as
// they are; presence of attachments asked of the source without reading
// their content.

#include "ConversationKey.h"
#include "Export.h"
#include "ExportFixture.h"
#include "ExportWalk.h"
#include "MessageJson.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace exporting;

namespace {

// Answers whether an attachment is there like the fixture's files, and
// counts every attempt to get at the content.
class PresenceOnly final : public AttachmentFiles
{
public:
    explicit PresenceOnly(AttachmentFiles* real) : m_real(real) {}
    bool isPresent(const AttachmentRecord& attachment) override
    {
        ++asked;
        return m_real->isPresent(attachment);
    }
    bool copyTo(const AttachmentRecord&, QIODevice*, QString* why) override
    {
        ++contentRead;
        *why = QStringLiteral("not here");
        return false;
    }
    QString localFile(const AttachmentRecord&, QString* why) override
    {
        ++contentRead;
        *why = QStringLiteral("not here");
        return QString();
    }
    int asked = 0;
    int contentRead = 0;

private:
    AttachmentFiles* m_real;
};

} // namespace

class JsonTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void oneObjectPerMessage();
    void attachmentsArePresentOrNot();
    void escapesWhatJsonRequires();
    void utcTextsAgree();

private:
    QList<QJsonObject> exportAll(AttachmentFiles* files, const Options& options);

    MessageStore m_store;
    QTemporaryDir m_dir;
    int m_files = 0;
};

void JsonTest::init()
{
    m_store.clear();
    exportfixture::fill(m_store);
}

QList<QJsonObject> JsonTest::exportAll(AttachmentFiles* files, const Options& options)
{
    const QString path = m_dir.filePath(QStringLiteral("out%1.jsonl").arg(++m_files));
    const Result result = run(m_store, files, options, path);
    QList<QJsonObject> objects;
    [&] {
        QCOMPARE(int(result.status), int(Result::Status::Written));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.endsWith('\n'));
        const QList<QByteArray> lines = bytes.chopped(1).split('\n');
        QCOMPARE(qint64(lines.size()), result.messages);
        for (const QByteArray& line : lines) {
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(line, &error);
            QVERIFY2(error.error == QJsonParseError::NoError && document.isObject(), line.constData());
            // Compact: written as one line, as it reads back.
            QCOMPARE(document.toJson(QJsonDocument::Compact), line);
            objects.append(document.object());
        }
    }();
    return objects;
}

void JsonTest::oneObjectPerMessage()
{
    Options options;
    options.format = Format::Json;
    const QList<QJsonObject> objects = exportAll(nullptr, options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(objects.size(), 12);
    QStringList order;
    for (const QJsonObject& o : objects) {
        QCOMPARE(o.keys(),
                 (QStringList{QStringLiteral("attachments"), QStringLiteral("incoming"), QStringLiteral("key"),
                              QStringLiteral("name"), QStringLiteral("rowid"), QStringLiteral("sender"),
                              QStringLiteral("text"), QStringLiteral("time"), QStringLiteral("utc")}));
        const MessageRecord* m = m_store.message(o.value(QStringLiteral("rowid")).toInteger());
        QVERIFY(m);
        QCOMPARE(o.value(QStringLiteral("text")).toString(), QString::fromUtf8(m->text));
        order.append(QString::number(m->rowId));
    }
    QCOMPARE(order.join(QLatin1Char(' ')), QStringLiteral("1 2 7 9 11 12 3 10 4 5 6 8"));

    const QJsonObject first = objects.at(0);
    QCOMPARE(first.value(QStringLiteral("key")).toString(), QStringLiteral("+4915112345678"));
    QCOMPARE(first.value(QStringLiteral("name")).toString(), QStringLiteral("Berg Anna"));
    QCOMPARE(first.value(QStringLiteral("sender")).toString(), QStringLiteral("+4915112345678"));
    QCOMPARE(first.value(QStringLiteral("incoming")).toBool(), true);
    QCOMPARE(first.value(QStringLiteral("utc")).toString(), QStringLiteral("2024-03-05T14:00:00Z"));
    // The local time (the tests run in Asia/Shanghai).
    QCOMPARE(first.value(QStringLiteral("time")).toString(), QStringLiteral("Tue Mar 05 22:00:00 2024"));
    // A sent message has a null sender; a group's names its member.
    QVERIFY(objects.at(1).value(QStringLiteral("sender")).isNull());
    QCOMPARE(objects.at(8).value(QStringLiteral("name")).toString(), QStringLiteral("Family"));
    QCOMPARE(objects.at(8).value(QStringLiteral("sender")).toString(), QStringLiteral("+15550001111"));
    QCOMPARE(objects.at(7).value(QStringLiteral("key")).toString(), QStringLiteral("10086"));
}

void JsonTest::attachmentsArePresentOrNot()
{
    exportfixture::InMemoryFiles files;
    exportfixture::addContent(files);
    PresenceOnly presence(&files);
    Options options;
    options.format = Format::Json;
    options.selection.scope = Selection::Scope::OneConversation;
    options.selection.conversation = exportfixture::kGroup;
    QList<QJsonObject> objects = exportAll(&presence, options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(objects.size(), 4);
    const QJsonArray two = objects.at(2).value(QStringLiteral("attachments")).toArray();
    QCOMPARE(two.size(), 2);
    QCOMPARE(two.at(0).toObject(), (QJsonObject{{QStringLiteral("name"), QStringLiteral("IMG_0001.JPG")},
                                                {QStringLiteral("mime"), QStringLiteral("image/jpeg")},
                                                {QStringLiteral("present"), true}}));
    QCOMPARE(two.at(1).toObject().value(QStringLiteral("name")).toString(), QStringLiteral("report.pdf"));
    QCOMPARE(two.at(1).toObject().value(QStringLiteral("present")).toBool(), true);
    const QJsonObject hostile = objects.at(3).value(QStringLiteral("attachments")).toArray().at(0).toObject();
    QCOMPARE(hostile.value(QStringLiteral("name")).toString(), QStringLiteral("../../etc/passwd\n<img src=x>.jpg"));
    QVERIFY(objects.at(0).value(QStringLiteral("attachments")).toArray().isEmpty());
    QCOMPARE(presence.asked, 3);
    QCOMPARE(presence.contentRead, 0);

    // A missing one, and a source without content: present is false.
    options.selection.conversation = exportfixture::kAnna;
    objects = exportAll(&presence, options);
    QVERIFY(!QTest::currentTestFailed());
    const QJsonObject heic = objects.at(2).value(QStringLiteral("attachments")).toArray().at(0).toObject();
    QCOMPARE(heic.value(QStringLiteral("name")).toString(), QStringLiteral("IMG_0002.HEIC"));
    QCOMPARE(heic.value(QStringLiteral("present")).toBool(), false);
    options.selection.conversation = exportfixture::kGroup;
    objects = exportAll(nullptr, options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(
        objects.at(2).value(QStringLiteral("attachments")).toArray().at(0).toObject().value(QStringLiteral("present")),
        QJsonValue(false));
}

void JsonTest::escapesWhatJsonRequires()
{
    // Control characters, a NUL, DEL, backslashes, quotes, a surrogate
    // pair; and bytes that are no UTF-8 at all.
    const QByteArray odd("\x01\x08\x0c\x1f\x7f \\ \" / \0 end \xf0\x9f\x98\x80", 22);
    const QByteArray invalid("bad \xc3\x28 \xff");
    m_store.clear();
    for (const QByteArray& text : {odd, invalid}) {
        MessageRecord m;
        m.rowId = m_store.messages.size() + 1;
        m.address = "a\"b\\c";
        m.contactName = "NULL";
        m.text = text;
        m.time = exportfixture::kDay1;
        m.isIncoming = true;
        m_store.messages.append(m);
    }
    m_store.messageCount = 2;
    m_store.buildConversationList();
    Options options;
    options.format = Format::Json;
    // exportAll also checks that each line is what Qt's own writer makes of it.
    const QList<QJsonObject> objects = exportAll(nullptr, options);
    QVERIFY(!QTest::currentTestFailed());
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects.at(0).value(QStringLiteral("text")).toString(), QString::fromUtf8(odd));
    QCOMPARE(objects.at(0).value(QStringLiteral("text")).toString().size(), 20);
    QCOMPARE(objects.at(1).value(QStringLiteral("text")).toString(), QStringLiteral("bad \ufffd( \ufffd"));
    QCOMPARE(objects.at(1).value(QStringLiteral("sender")).toString(), QStringLiteral("a\"b\\c"));
    // The key in the printed form list gives, which reads back to the key.
    const QString key = objects.at(1).value(QStringLiteral("key")).toString();
    QCOMPARE(key, conversationkey::toText("a\"b\\c"));
    QCOMPARE(conversationkey::fromText(key), QByteArray("a\"b\\c"));
}

void JsonTest::utcTextsAgree()
{
    // The quick form and QDateTime's agree over every range a file may give.
    for (const qint64 time :
         {qint64(0), qint64(-1), qint64(-86400 * 365), qint64(951782400) /* 2000-02-29 */, qint64(2147483647),
          qint64(2147483648), qint64(4102444799), qint64(253402300799), qint64(253402300800), qint64(1) << 40}) {
        QCOMPARE(QString::fromUtf8(utcBytes(time)), utcText(time));
    }
    for (qint64 time = 0; time < 4102444800; time += 7777777)
        QCOMPARE(QString::fromUtf8(utcBytes(time)), utcText(time));
}

QTEST_GUILESS_MAIN(JsonTest)
#include "tst_json.moc"

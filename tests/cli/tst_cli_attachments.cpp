// msgdesk-cli and attachments: "attachments" (plain, JSON, --conversation,
// --save), the attachment lists of "show --json", and "backup" writing a
// ".sms" that carries the files, from a plain and an encrypted backup folder.

#include "BackupBuilder.h"
#include "CliCommands.h"
#include "CliRun.h"
#include "Fixtures.h"
#include "ModernFixtures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using clirun::fileBytes;
using clirun::Result;

namespace {

Result runCli(const QStringList& args)
{
    return clirun::run(args, clirun::fixedPassword("secret"));
}

const QByteArray kPhoto = QByteArray("\xFF\xD8\xFF\xE0 a photo ") + QByteArray(5000, 'p');
const QByteArray kSamePhoto = QByteArray("\xFF\xD8\xFF\xE0 another photo ") + QByteArray(3000, 'q');
const QByteArray kVoice = QByteArray("caff voice ") + QByteArray(700, 'v');

// Anna's chat (older) with a photo and a missing video; the group (newer)
// with a second "photo.jpg" and a voice message.
QString makePhoneDb(const QString& path)
{
    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("SMS"), QVariant()},
                  {2, QStringLiteral("ben@example.org"), QStringLiteral("iMessage"), QVariant()}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}},
                {2, QStringLiteral("chat123456789"), 43, QStringLiteral("Trip"), {1, 2}}};
    auto attachment = [](qint64 rowId, const QString& name, const QString& file, const QString& mime, qint64 bytes) {
        Attachment a;
        a.rowId = rowId;
        a.transferName = name;
        a.filename = file;
        a.columns = {{QStringLiteral("mime_type"), mime}, {QStringLiteral("total_bytes"), bytes}};
        return a;
    };
    db.attachments = {
        attachment(1, QStringLiteral("photo.jpg"), QStringLiteral("~/Library/SMS/Attachments/01/01/A/photo.jpg"),
                   QStringLiteral("image/jpeg"), kPhoto.size()),
        attachment(2, QStringLiteral("IMG_1.MOV"), QStringLiteral("~/Library/SMS/Attachments/02/02/B/IMG_1.MOV"),
                   QStringLiteral("video/quicktime"), 123456),
        attachment(3, QStringLiteral("photo.jpg"),
                   QStringLiteral("/var/mobile/Library/SMS/Attachments/03/03/C/photo.jpg"),
                   QStringLiteral("image/jpeg"), kSamePhoto.size()),
        attachment(4, QVariant().toString(), QStringLiteral("~/Library/SMS/Attachments/04/04/D/Audio Message.caf"),
                   QStringLiteral("audio/x-caf"), kVoice.size()),
    };
    db.attachments[3].transferName = QVariant();
    const qint64 ns = 1000000000LL;
    Message m1{10, QStringLiteral("look \uFFFC"), QVariant(), 1, 0, 700000000 * ns, {1}, {1}, {}, {}};
    Message m2{11, QStringLiteral("no files"), QVariant(), 0, 1, 700000060 * ns, {1}, {}, {}, {}};
    Message m3{12, QStringLiteral("\uFFFC"), QVariant(), 1, 0, 700000090 * ns, {1}, {2}, {}, {}};
    Message g1{13, QStringLiteral("\uFFFC"), QVariant(), 2, 0, 700000120 * ns, {2}, {3}, {}, {}};
    Message g2{14, QString(), QVariant(), 1, 0, 700000180 * ns, {2}, {4}, {}, {}};
    db.messages = {m1, m2, m3, g1, g2};
    return makeModernDb(path, db, Schema::Ios17);
}

QString makeFolder(const QString& folder, const QString& db, bool encrypted)
{
    backupbuilder::Options options;
    options.layout = backupbuilder::Layout::ManifestDb;
    options.encrypted = encrypted;
    options.password = "secret";
    const QString media = QStringLiteral("MediaDomain");
    const QList<backupbuilder::PhoneFile> files{
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), fileBytes(db)},
        {media, QStringLiteral("Library/SMS/Attachments/01/01/A/photo.jpg"), kPhoto},
        {media, QStringLiteral("Library/SMS/Attachments/03/03/C/photo.jpg"), kSamePhoto},
        {media, QStringLiteral("Library/SMS/Attachments/04/04/D/Audio Message.caf"), kVoice},
    };
    QString error;
    if (!backupbuilder::writeBackup(folder, files, options, &error))
        qWarning() << error;
    return folder;
}

} // namespace

class CliAttachmentsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void listsEveryAttachmentInListOrder_data();
    void listsEveryAttachmentInListOrder();
    void plainLinesAndOneConversation();
    void showJsonCarriesAttachments();
    void saveWritesByteIdenticalFiles();
    void backupCarriesTheFiles();
    void usage();

private:
    QTemporaryDir m_dir;
    QString m_db;
    QString m_plain;
    QString m_encrypted;
};

void CliAttachmentsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = makePhoneDb(m_dir.filePath(QStringLiteral("sms.db")));
    m_plain = makeFolder(m_dir.filePath(QStringLiteral("plain")), m_db, false);
    m_encrypted = makeFolder(m_dir.filePath(QStringLiteral("encrypted")), m_db, true);
}

void CliAttachmentsTest::listsEveryAttachmentInListOrder_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("plain") << false;
    QTest::newRow("encrypted") << true;
}

void CliAttachmentsTest::listsEveryAttachmentInListOrder()
{
    QFETCH(bool, encrypted);
    const Result r =
        runCli({QStringLiteral("attachments"), QStringLiteral("--json"), encrypted ? m_encrypted : m_plain});
    QCOMPARE(r.status, 0);
    const QList<QJsonObject> objects = r.objects();
    QCOMPARE(objects.size(), 4);
    // The group is the newer conversation: "list" puts it first.
    QCOMPARE(objects.at(0), (QJsonObject{{QStringLiteral("rowid"), 13},
                                         {QStringLiteral("key"), QStringLiteral("chat123456789")},
                                         {QStringLiteral("name"), QStringLiteral("photo.jpg")},
                                         {QStringLiteral("mime"), QStringLiteral("image/jpeg")},
                                         {QStringLiteral("bytes"), kSamePhoto.size()},
                                         {QStringLiteral("present"), true}}));
    QCOMPARE(objects.at(1).value(QStringLiteral("name")).toString(), QStringLiteral("Audio Message.caf"));
    QCOMPARE(objects.at(2).value(QStringLiteral("rowid")).toInt(), 10);
    QCOMPARE(objects.at(3).value(QStringLiteral("rowid")).toInt(), 12);
    QCOMPARE(objects.at(3).value(QStringLiteral("present")).toBool(), false);
    QCOMPARE(objects.at(3).value(QStringLiteral("bytes")).toInt(), 123456);
}

void CliAttachmentsTest::plainLinesAndOneConversation()
{
    const Result r = runCli(
        {QStringLiteral("attachments"), QStringLiteral("--conversation"), QStringLiteral("+12095981933"), m_plain});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.lines(),
             (QList<QByteArray>{"+12095981933\t10\tphoto.jpg\timage/jpeg\t" + QByteArray::number(kPhoto.size()) +
                                    "\tpresent",
                                "+12095981933\t12\tIMG_1.MOV\tvideo/quicktime\t123456\tnot in this backup"}));
    const Result unknown =
        runCli({QStringLiteral("attachments"), QStringLiteral("--conversation"), QStringLiteral("nobody"), m_plain});
    QCOMPARE(unknown.status, 1);
    QVERIFY(unknown.err.contains("no conversation nobody"));
}

void CliAttachmentsTest::showJsonCarriesAttachments()
{
    const Result r =
        runCli({QStringLiteral("show"), QStringLiteral("--json"), m_plain, QStringLiteral("+12095981933")});
    QCOMPARE(r.status, 0);
    const QList<QJsonObject> objects = r.objects();
    QCOMPARE(objects.size(), 3);
    QCOMPARE(objects.at(0).value(QStringLiteral("attachments")).toArray(),
             (QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("photo.jpg")},
                                     {QStringLiteral("mime"), QStringLiteral("image/jpeg")},
                                     {QStringLiteral("present"), true}}}));
    QCOMPARE(objects.at(1).value(QStringLiteral("attachments")).toArray(), QJsonArray());
    QCOMPARE(
        objects.at(2).value(QStringLiteral("attachments")).toArray().at(0).toObject().value(QStringLiteral("present")),
        QJsonValue(false));
}

void CliAttachmentsTest::saveWritesByteIdenticalFiles()
{
    const QByteArray before = fixtures::folderDigest(m_encrypted);
    const QString target = m_dir.filePath(QStringLiteral("saved/deeper"));
    const Result r = runCli({QStringLiteral("attachments"), QStringLiteral("--save"), target, m_encrypted});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.lines(), (QList<QByteArray>{(target + QStringLiteral("/photo.jpg")).toUtf8(),
                                           (target + QStringLiteral("/Audio Message.caf")).toUtf8(),
                                           (target + QStringLiteral("/photo (1).jpg")).toUtf8()}));
    QVERIFY(r.err.contains("IMG_1.MOV: not in this backup"));
    QCOMPARE(fileBytes(target + QStringLiteral("/photo.jpg")), kSamePhoto);
    QCOMPARE(fileBytes(target + QStringLiteral("/photo (1).jpg")), kPhoto);
    QCOMPARE(fileBytes(target + QStringLiteral("/Audio Message.caf")), kVoice);
    QCOMPARE(fixtures::folderDigest(m_encrypted), before);

    // Again into the same folder: new names, the first files kept.
    const Result again = runCli({QStringLiteral("attachments"), QStringLiteral("--save"), target, m_plain});
    QCOMPARE(again.status, 0);
    QCOMPARE(again.lines().at(0), (target + QStringLiteral("/photo (2).jpg")).toUtf8());
    QCOMPARE(fileBytes(target + QStringLiteral("/photo.jpg")), kSamePhoto);
}

void CliAttachmentsTest::backupCarriesTheFiles()
{
    const QString sms = m_dir.filePath(QStringLiteral("phone.sms"));
    const Result r = runCli({QStringLiteral("backup"), m_encrypted, sms});
    QCOMPARE(r.status, 0);
    QVERIFY(QFileInfo(sms).isFile());

    // The ".sms" alone gives the same files back, byte for byte.
    const QString target = m_dir.filePath(QStringLiteral("from-sms"));
    const Result saved = runCli({QStringLiteral("attachments"), QStringLiteral("--save"), target, sms});
    QCOMPARE(saved.status, 0);
    QCOMPARE(saved.lines().size(), 3);
    QCOMPARE(fileBytes(target + QStringLiteral("/photo.jpg")), kSamePhoto);
    QCOMPARE(fileBytes(target + QStringLiteral("/photo (1).jpg")), kPhoto);
    QCOMPARE(fileBytes(target + QStringLiteral("/Audio Message.caf")), kVoice);
    const Result listed = runCli({QStringLiteral("attachments"), QStringLiteral("--json"), sms});
    QCOMPARE(listed.objects().size(), 4);
    QCOMPARE(listed.objects().at(3).value(QStringLiteral("present")).toBool(), false);

    // An existing file is refused and left as it was.
    const QByteArray written = fileBytes(sms);
    const Result refused = runCli({QStringLiteral("backup"), m_plain, sms});
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.err.contains("already there"));
    QCOMPARE(fileBytes(sms), written);
}

void CliAttachmentsTest::usage()
{
    QCOMPARE(runCli({QStringLiteral("list"), QStringLiteral("--save"), QStringLiteral("x"), m_plain}).status, 2);
    QCOMPARE(runCli({QStringLiteral("attachments"), QStringLiteral("--save")}).status, 2);
    QCOMPARE(runCli({QStringLiteral("attachments"), QStringLiteral("--json"), QStringLiteral("--save"),
                     QStringLiteral("x"), m_plain})
                 .status,
             2);
    QCOMPARE(runCli({QStringLiteral("backup"), m_plain}).status, 2);
    QCOMPARE(runCli({QStringLiteral("backup"), QStringLiteral("--json"), m_plain, QStringLiteral("x.sms")}).status, 2);
}

QTEST_GUILESS_MAIN(CliAttachmentsTest)
#include "tst_cli_attachments.moc"

// Attachments from the data side: names made safe, the records both layouts
// give, finding the files in backup folders of every layout (encrypted
// too), saving them, and ".sms" backups that carry them (round trip,
// deletes, cancel).

#include "AttachmentBackup.h"
#include "AttachmentContent.h"
#include "AttachmentFiles.h"
#include "AttachmentSaving.h"
#include "BackupBuilder.h"
#include "Fixtures.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "SafeFileName.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <sqlite3.h>

namespace {

struct SampleFile
{
    qint64 rowId;
    const char* transferName; // null: NULL
    const char* filename;
    const char* mime;
    const char* uti;
    bool inBackup;
};

// Two files named "photo.jpg", one kept in the cloud, one hostile name, one
// in the older "/var/mobile/" form, one without a transfer name.
const SampleFile kFiles[] = {
    {1, "IMG_0001.HEIC", "~/Library/SMS/Attachments/ab/01/G1/IMG_0001.HEIC", "image/heic", "public.heic", true},
    {2, "photo.jpg", "~/Library/SMS/Attachments/ab/02/G2/photo.jpg", "image/jpeg", "public.jpeg", true},
    {3, "photo.jpg", "~/Library/SMS/Attachments/ab/03/G3/photo.jpg", "image/jpeg", "public.jpeg", true},
    {4, "IMG_9999.MOV", "~/Library/SMS/Attachments/ab/04/G4/IMG_9999.MOV", "video/quicktime",
     "com.apple.quicktime-movie", false},
    {5, "../../.bashrc\x01\n", "/var/mobile/Library/SMS/Attachments/cd/05/G5/x.pdf", "application/pdf", "com.adobe.pdf",
     true},
    {6, nullptr, "~/Library/SMS/Attachments/ef/06/G6/Audio Message.caf", "audio/x-caf", "com.apple.coreaudio-format",
     true},
};

QByteArray contentOf(qint64 rowId)
{
    // Distinct bytes of a few chunks' size for the larger ones, so that
    // chunked copies are checked across chunk borders.
    QByteArray content;
    const qint64 size = rowId == 1 ? attachmentcontent::kChunkBytes * 2 + 17 : 1000 + rowId * 37;
    content.reserve(qsizetype(size));
    for (qint64 i = 0; i < size; ++i)
        content.append(char((i * 31 + rowId * 7) & 0xff));
    return content;
}

modernfixtures::Database sampleDatabase()
{
    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("SMS"), QVariant()}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    for (const SampleFile& f : kFiles) {
        Attachment a;
        a.rowId = f.rowId;
        a.transferName = f.transferName ? QVariant(QString::fromUtf8(f.transferName)) : QVariant();
        a.filename = QString::fromUtf8(f.filename);
        a.columns = {{QStringLiteral("mime_type"), QString::fromUtf8(f.mime)},
                     {QStringLiteral("uti"), QString::fromUtf8(f.uti)},
                     {QStringLiteral("total_bytes"), contentOf(f.rowId).size()},
                     {QStringLiteral("is_sticker"), f.rowId == 3 ? 1 : 0}};
        db.attachments.append(a);
    }
    const qint64 base = 1700000000;
    auto message = [&](qint64 rowId, const QString& text, QList<qint64> attachments) {
        Message m;
        m.rowId = rowId;
        m.text = text;
        m.handle = 1;
        m.fromMe = rowId % 2 == 0 ? 1 : 0;
        m.date = appleNanoseconds(base + rowId * 60);
        m.chats = {1};
        m.attachments = attachments;
        db.messages.append(m);
    };
    message(1, QStringLiteral("Look \uFFFC and \uFFFC"), {1, 2});
    message(2, QStringLiteral("\uFFFC\uFFFC"), {3, 4});
    message(3, QStringLiteral("\uFFFC"), {5});
    message(4, QString(), {6});
    message(5, QStringLiteral("No files here"), {});
    return db;
}

QList<backupbuilder::PhoneFile> backupFiles(const QString& smsDb)
{
    QFile db(smsDb);
    db.open(QIODevice::ReadOnly);
    QList<backupbuilder::PhoneFile> files{
        {QStringLiteral("HomeDomain"), QStringLiteral("Library/SMS/sms.db"), db.readAll()}};
    for (const SampleFile& f : kFiles) {
        if (!f.inBackup)
            continue;
        files.append({QStringLiteral("MediaDomain"), QString::fromUtf8(attachments::backupPathOf(f.filename)),
                      contentOf(f.rowId)});
    }
    return files;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesUnder(const QString& folder)
{
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(QDir(folder).relativeFilePath(it.next()));
    names.sort();
    return names;
}

QVector<AttachmentRecord> allAttachments(const MessageStore& store)
{
    QVector<AttachmentRecord> all;
    for (qint64 rowId : store.messagesWithAttachments())
        all += store.attachmentsOf(rowId);
    return all;
}

} // namespace

class AttachmentsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("private"))));
    }

    void safeNames_data();
    void safeNames();
    void safeNamesStayShort();
    void uniqueFilesNeverOverwrite();
    void backupPaths();
    void textBesideAttachments_data();
    void textBesideAttachments();
    void modernRecords();
    void legacyParts();
    void backupFolders_data();
    void backupFolders();
    void encryptedDecryptsOnlyWhatIsAsked();
    void twoReadersOfOneBackup();
    void smsBackupRoundTrip();
    void smsBackupRefusesExistingAndCancels();
    void smsWithoutContentTable();

private:
    QString freshFolder(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        QDir(path).removeRecursively();
        QDir().mkpath(path);
        return path;
    }
    QString sampleDb()
    {
        const QString path = m_dir.filePath(QStringLiteral("sample-sms.db"));
        if (!QFile::exists(path))
            modernfixtures::makeModernDb(path, sampleDatabase(), modernfixtures::Schema::Ios17);
        return path;
    }
    QString sampleBackup(backupbuilder::Layout layout, bool encrypted)
    {
        const QString folder = freshFolder(QStringLiteral("backup-%1-%2").arg(int(layout)).arg(encrypted));
        backupbuilder::Options options;
        options.layout = layout;
        options.encrypted = encrypted;
        options.password = "secret";
        QString error;
        if (!backupbuilder::writeBackup(folder, backupFiles(sampleDb()), options, &error))
            qWarning() << error;
        return folder;
    }

    QTemporaryDir m_dir;
};

void AttachmentsTest::safeNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << QStringLiteral("IMG_0001.HEIC") << QStringLiteral("IMG_0001.HEIC");
    QTest::newRow("spaces and unicode") << QStringLiteral("Boarding pass 李明 ✈.pdf")
                                        << QStringLiteral("Boarding pass 李明 ✈.pdf");
    QTest::newRow("folders") << QStringLiteral("a/b/c.jpg") << QStringLiteral("a_b_c.jpg");
    QTest::newRow("climbing") << QStringLiteral("../../etc/passwd") << QStringLiteral("_.._etc_passwd");
    QTest::newRow("dot dot") << QStringLiteral("..") << QStringLiteral("attachment");
    QTest::newRow("dot") << QStringLiteral(".") << QStringLiteral("attachment");
    QTest::newRow("hidden") << QStringLiteral(".bashrc") << QStringLiteral("bashrc");
    QTest::newRow("backslash") << QStringLiteral("..\\..\\win.ini") << QStringLiteral("_.._win.ini");
    QTest::newRow("NUL inside") << QString::fromUtf8("evil\0.jpg", 9) << QStringLiteral("evil_.jpg");
    QTest::newRow("controls") << QStringLiteral("a\x01\x1b[31mb\n.txt") << QStringLiteral("a__[31mb_.txt");
    QTest::newRow("direction override") << QStringLiteral("photo\u202Egpj.exe") << QStringLiteral("photo_gpj.exe");
    QTest::newRow("empty") << QString() << QStringLiteral("attachment");
    QTest::newRow("only slashes") << QStringLiteral("///") << QStringLiteral("attachment");
    QTest::newRow("trailing dots and spaces") << QStringLiteral("name. . ") << QStringLiteral("name");
    QTest::newRow("reserved characters") << QStringLiteral("a:b*c?d\"e<f>g|h.png")
                                         << QStringLiteral("a_b_c_d_e_f_g_h.png");
}

void AttachmentsTest::safeNames()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString safe = safename::safeFileName(name);
    QCOMPARE(safe, expected);
    QVERIFY(!safe.contains(QLatin1Char('/')));
    QVERIFY(!safe.startsWith(QLatin1Char('.')));
}

void AttachmentsTest::safeNamesStayShort()
{
    // Over-long names are cut on character borders and keep the extension.
    const QString longName = QString(300, QChar(0x674E)) + QStringLiteral(".jpeg");
    const QString safe = safename::safeFileName(longName);
    QVERIFY(safe.toUtf8().size() <= safename::kMaxNameBytes);
    QVERIFY(safe.endsWith(QLatin1String(".jpeg")));
    QVERIFY(safe.startsWith(QChar(0x674E)));

    const QString emoji = QString::fromUtf8("😀").repeated(100) + QStringLiteral(".png");
    const QString cut = safename::safeFileName(emoji);
    QVERIFY(cut.toUtf8().size() <= safename::kMaxNameBytes);
    QVERIFY(!cut.toUtf8().contains("\xef\xbf\xbd")); // no half surrogate pair left behind
    QCOMPARE(QString::fromUtf8(cut.toUtf8()), cut);

    // A long extension is no extension: the whole name is cut.
    const QString odd = QStringLiteral("a.") + QString(400, QLatin1Char('x'));
    QVERIFY(safename::safeFileName(odd).toUtf8().size() <= safename::kMaxNameBytes);
}

void AttachmentsTest::uniqueFilesNeverOverwrite()
{
    const QString folder = freshFolder(QStringLiteral("unique"));
    QFile existing(folder + QStringLiteral("/photo.jpg"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();
    QDir(folder).mkdir(QStringLiteral("photo (1).jpg")); // a folder takes a name too
    QVERIFY(QFile::link(folder + QStringLiteral("/nowhere"), folder + QStringLiteral("/photo (2).jpg")));

    QFile file;
    const QString path = safename::createUniqueFile(folder, QStringLiteral("photo.jpg"), &file);
    QCOMPARE(path, folder + QStringLiteral("/photo (3).jpg"));
    QVERIFY(file.isOpen());
    file.close();
    QCOMPARE(readAll(folder + QStringLiteral("/photo.jpg")), QByteArray("keep me"));
    QVERIFY(!QFile::exists(folder + QStringLiteral("/nowhere")));

    QCOMPARE(safename::numberedName(QStringLiteral("noext"), 2), QStringLiteral("noext (2)"));
    QCOMPARE(safename::numberedName(QStringLiteral("a.tar.gz"), 1), QStringLiteral("a.tar (1).gz"));

    // A hostile name lands inside the folder, whatever it says.
    QFile hostile;
    const QString inside = safename::createUniqueFile(folder, QStringLiteral("../../escape"), &hostile);
    QCOMPARE(QFileInfo(inside).absolutePath(), QFileInfo(folder).absoluteFilePath());
    hostile.close();

    QFile none;
    QVERIFY(safename::createUniqueFile(folder + QStringLiteral("/missing"), QStringLiteral("a"), &none).isEmpty());
}

void AttachmentsTest::backupPaths()
{
    QCOMPARE(attachments::backupPathOf("~/Library/SMS/Attachments/ab/01/G/IMG.HEIC"),
             QByteArray("Library/SMS/Attachments/ab/01/G/IMG.HEIC"));
    QCOMPARE(attachments::backupPathOf("/var/mobile/Library/SMS/Attachments/ab/01/G/a.jpg"),
             QByteArray("Library/SMS/Attachments/ab/01/G/a.jpg"));
    QVERIFY(attachments::backupPathOf("~/Library/SMS/../../../etc/passwd").isEmpty());
    QVERIFY(attachments::backupPathOf("/etc/passwd").isEmpty());
    QVERIFY(attachments::backupPathOf("").isEmpty());
    QCOMPARE(attachments::legacyPartPath("IMG_3766.jpg"), QByteArray("Library/SMS/Parts/IMG_3766.jpg"));
    QVERIFY(attachments::legacyPartPath("../x").isEmpty());
    QVERIFY(attachments::legacyPartPath("..").isEmpty());

    using Kind = AttachmentRecord::Kind;
    QCOMPARE(attachments::kindOf("image/heic", "", ""), Kind::Picture);
    QCOMPARE(attachments::kindOf("", "com.apple.quicktime-movie", ""), Kind::Video);
    QCOMPARE(attachments::kindOf("application/octet-stream", "", "Audio.caf"), Kind::Voice);
    QCOMPARE(attachments::kindOf("text/vcard", "public.vcard", "a.vcf"), Kind::File);
}

void AttachmentsTest::textBesideAttachments_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QList<QByteArray>>("names");
    QTest::addColumn<QByteArray>("shown");
    using Names = QList<QByteArray>;
    QTest::newRow("picture alone") << QByteArray("[IMG_3918.HEIC]") << Names{"IMG_3918.HEIC"} << QByteArray();
    QTest::newRow("text before and between") << QByteArray("Look [IMG_0001.HEIC] and [photo.jpg]")
                                             << Names{"IMG_0001.HEIC", "photo.jpg"} << QByteArray("Look and");
    QTest::newRow("names before text (legacy parts)")
        << QByteArray("[IMG_3766.jpg] See the picture [../../evil.png]") << Names{"IMG_3766.jpg", "../../evil.png"}
        << QByteArray("See the picture");
    QTest::newRow("same name twice") << QByteArray("[photo.jpg] [photo.jpg]") << Names{"photo.jpg", "photo.jpg"}
                                     << QByteArray();
    QTest::newRow("own line") << QByteArray("Before\n[a.jpg]\nAfter") << Names{"a.jpg"} << QByteArray("Before\nAfter");
    QTest::newRow("unnamed keeps its placeholder in the record")
        << QByteArray("Hi \xef\xbf\xbc there") << Names{QByteArray()} << QByteArray("Hi there");
    QTest::newRow("a bracketed word of the sender's own stays")
        << QByteArray("[note] see [a.jpg]") << Names{"a.jpg"} << QByteArray("[note] see");
    QTest::newRow("placeholder before a later name")
        << QByteArray("\xef\xbf\xbc [a.jpg] [b.jpg]") << Names{QByteArray(), "b.jpg"} << QByteArray("[a.jpg]");
    QTest::newRow("more records than placeholders") << QByteArray("[a.jpg]") << Names{"a.jpg", "b.jpg"} << QByteArray();
    QTest::newRow("no placeholder at all: the text as stored")
        << QByteArray("  spaced  ") << Names{"a.jpg"} << QByteArray("  spaced  ");
    QTest::newRow("no attachments") << QByteArray(" [a.jpg] ") << Names{} << QByteArray(" [a.jpg] ");
}

void AttachmentsTest::textBesideAttachments()
{
    QFETCH(QByteArray, text);
    QFETCH(QList<QByteArray>, names);
    QFETCH(QByteArray, shown);
    QVector<AttachmentRecord> records;
    for (const QByteArray& name : names) {
        AttachmentRecord a;
        a.name = name;
        records.append(a);
    }
    QCOMPARE(attachments::textBesideAttachments(text, records), shown);
}

void AttachmentsTest::modernRecords()
{
    MessageStore store(sampleDb().toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.messagesWithAttachments(), (QVector<qint64>{1, 2, 3, 4}));

    const QVector<AttachmentRecord> first = store.attachmentsOf(1);
    QCOMPARE(first.size(), 2);
    QCOMPARE(first.at(0).name, QByteArray("IMG_0001.HEIC"));
    QCOMPARE(first.at(0).mimeType, QByteArray("image/heic"));
    QCOMPARE(first.at(0).uti, QByteArray("public.heic"));
    QCOMPARE(first.at(0).bytes, contentOf(1).size());
    QCOMPARE(first.at(0).relativePath, QByteArray("Library/SMS/Attachments/ab/01/G1/IMG_0001.HEIC"));
    QCOMPARE(first.at(0).kind(), AttachmentRecord::Kind::Picture);
    QCOMPARE(first.at(1).name, QByteArray("photo.jpg"));
    // The text still shows the names where the placeholders stood; what
    // is left beside the pictures is only for showing.
    QCOMPARE(store.message(1)->text, QByteArray("Look [IMG_0001.HEIC] and [photo.jpg]"));
    QCOMPARE(attachments::textBesideAttachments(store.message(1)->text, first), QByteArray("Look and"));
    QVERIFY(attachments::textBesideAttachments(store.message(2)->text, store.attachmentsOf(2)).isEmpty());

    QVERIFY(store.attachmentsOf(2).at(0).isSticker);
    QVERIFY(!store.attachmentsOf(2).at(1).isSticker);
    // The older absolute form names the same backup file.
    QCOMPARE(store.attachmentsOf(3).at(0).relativePath, QByteArray("Library/SMS/Attachments/cd/05/G5/x.pdf"));
    // Without a transfer name, the file's own name.
    QCOMPARE(store.attachmentsOf(4).at(0).name, QByteArray("Audio Message.caf"));
    QCOMPARE(store.attachmentsOf(4).at(0).kind(), AttachmentRecord::Kind::Voice);
    QVERIFY(store.attachmentsOf(5).isEmpty());
}

void AttachmentsTest::legacyParts()
{
    const QString path = m_dir.filePath(QStringLiteral("legacy-mms.db"));
    fixtures::makeMessageDb(path,
                            {{1, QStringLiteral("13800138000"), 1262304000, QStringLiteral("Hello"), 2},
                             {2, QVariant(), 1262304060, QVariant(), 3}},
                            fixtures::SmsSchema::Ios5);
    QCOMPARE(fixtures::exec(
                 path, QStringLiteral("insert into msg_pieces (message_id, part_id, content_type, data, content_loc) "
                                      "values (2, 0, 'application/smil', x'3c736d696c3e', 'mms.smil'),"
                                      "(2, 2, 'text/plain', 'See the picture', 'text_0002.txt'),"
                                      "(2, 1, 'image/jpeg', NULL, 'IMG_3766.jpg'),"
                                      "(2, 3, 'image/png', NULL, '../../evil.png'),"
                                      "(99, 1, 'image/jpeg', NULL, 'orphan.jpg')")),
             SQLITE_OK);
    MessageStore store(path.toUtf8(), StoreAccess::ReadOnly);
    QCOMPARE(store.layout(), MessageLayout::Legacy);
    QCOMPARE(store.messagesWithAttachments(), QVector<qint64>{2});
    const QVector<AttachmentRecord> parts = store.attachmentsOf(2);
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts.at(0).name, QByteArray("IMG_3766.jpg"));
    QCOMPARE(parts.at(0).mimeType, QByteArray("image/jpeg"));
    QCOMPARE(parts.at(0).relativePath, QByteArray("Library/SMS/Parts/IMG_3766.jpg"));
    // A location that climbs names no file; the part still shows its name.
    QCOMPARE(parts.at(1).name, QByteArray("../../evil.png"));
    QVERIFY(parts.at(1).relativePath.isEmpty());
    // The text part stays beside the pictures; the layout part's name is
    // no attachment's.
    QCOMPARE(attachments::textBesideAttachments(store.message(2)->text, parts),
             QByteArray("[mms.smil] See the picture"));
}

void AttachmentsTest::backupFolders_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("description files") << int(backupbuilder::Layout::DescriptionFiles) << false;
    QTest::newRow("Manifest.mbdb") << int(backupbuilder::Layout::ManifestMbdb) << false;
    QTest::newRow("Manifest.db") << int(backupbuilder::Layout::ManifestDb) << false;
    QTest::newRow("Manifest.mbdb encrypted") << int(backupbuilder::Layout::ManifestMbdb) << true;
    QTest::newRow("Manifest.db encrypted") << int(backupbuilder::Layout::ManifestDb) << true;
}

void AttachmentsTest::backupFolders()
{
    QFETCH(int, layout);
    QFETCH(bool, encrypted);
    const QString folder = sampleBackup(backupbuilder::Layout(layout), encrypted);
    const QByteArray before = fixtures::folderDigest(folder);

    phonebackup::PhoneBackup backup(folder, m_dir.filePath(QStringLiteral("private")));
    QVERIFY2(backup.isValid(), qPrintable(backup.errorString()));
    if (encrypted)
        QCOMPARE(backup.unlock("secret"), phonebackup::UnlockResult::Unlocked);
    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    QVERIFY2(dbs.error.isEmpty(), qPrintable(dbs.error));
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    MessageStore store(dbs.messages.path.toUtf8(), options);
    std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofPhoneBackup(&backup);

    const QVector<AttachmentRecord> all = allAttachments(store);
    QCOMPARE(all.size(), 6);
    for (int i = 0; i < all.size(); ++i)
        QCOMPARE(files->isPresent(all.at(i)), kFiles[i].inBackup);
    QString why;
    QVERIFY(files->localFile(all.at(3), &why).isEmpty());
    QCOMPARE(why, QStringLiteral("not in this backup"));

    const QString target = freshFolder(QStringLiteral("saved-%1-%2").arg(layout).arg(encrypted));
    const attachmentsaving::Report report = attachmentsaving::saveAll(*files, all, target + QStringLiteral("/new"));
    QVERIFY2(report.failures.isEmpty(), qPrintable(report.failures.join(QLatin1Char('\n'))));
    QCOMPARE(report.missing.size(), 1);
    QCOMPARE(report.missing.at(0).name, QByteArray("IMG_9999.MOV"));
    QCOMPARE(filesUnder(target), (QStringList{QStringLiteral("new/Audio Message.caf"),
                                              QStringLiteral("new/IMG_0001.HEIC"), QStringLiteral("new/_.._.bashrc__"),
                                              QStringLiteral("new/photo (1).jpg"), QStringLiteral("new/photo.jpg")}));
    QCOMPARE(report.written.size(), 5);
    const qint64 order[] = {1, 2, 3, 5, 6};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(readAll(report.written.at(i)), contentOf(order[i]));

    // Saving again numbers, never overwrites.
    const attachmentsaving::Report again = attachmentsaving::saveAll(*files, all, target + QStringLiteral("/new"));
    QCOMPARE(again.written.at(0), target + QStringLiteral("/new/IMG_0001 (1).HEIC"));
    QCOMPARE(readAll(report.written.at(0)), contentOf(1));

    QCOMPARE(fixtures::folderDigest(folder), before);
}

void AttachmentsTest::encryptedDecryptsOnlyWhatIsAsked()
{
    const QString folder = sampleBackup(backupbuilder::Layout::ManifestDb, true);
    const QString privateBase = freshFolder(QStringLiteral("private-only"));
    QString privatePath;
    {
        phonebackup::PhoneBackup backup(folder, privateBase);
        QCOMPARE(backup.unlock("secret"), phonebackup::UnlockResult::Unlocked);
        ReadOptions options;
        options.access = StoreAccess::ReadOnly;
        MessageStore store(backup.phoneDatabases().messages.path.toUtf8(), options);
        std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofPhoneBackup(&backup);
        privatePath = backup.privateFolderPath();
        const QStringList withDatabase = filesUnder(privatePath);

        const QVector<AttachmentRecord> all = allAttachments(store);
        for (const AttachmentRecord& a : all)
            files->isPresent(a);
        QCOMPARE(filesUnder(privatePath), withDatabase);

        QString why;
        const QString opened = files->localFile(all.at(1), &why);
        QVERIFY2(!opened.isEmpty(), qPrintable(why));
        QVERIFY(opened.startsWith(privatePath));
        QCOMPARE(readAll(opened), contentOf(2));
        QCOMPARE(filesUnder(privatePath).size(), withDatabase.size() + 1);
        QCOMPARE(QFileInfo(privatePath).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());
    }
    // The decrypted copies go with the source.
    QVERIFY(!QFileInfo::exists(privatePath));
}

void AttachmentsTest::twoReadersOfOneBackup()
{
    // The chat page's pictures and an export on its own thread read the
    // same encrypted backup at once, each through files of its own.
    const QString folder = sampleBackup(backupbuilder::Layout::ManifestDb, true);
    phonebackup::PhoneBackup backup(folder, freshFolder(QStringLiteral("private-two")));
    QCOMPARE(backup.unlock("secret"), phonebackup::UnlockResult::Unlocked);
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    MessageStore store(backup.phoneDatabases().messages.path.toUtf8(), options);
    const QVector<AttachmentRecord> all = allAttachments(store);
    QCOMPARE(all.size(), int(std::size(kFiles)));

    // Each reader opens every file many times over; a wrong content or a
    // wrong answer about presence counts as a failure.
    const auto reader = [&](int* failures) {
        std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofPhoneBackup(&backup);
        for (int round = 0; round < 40; ++round) {
            for (int i = 0; i < all.size(); ++i) {
                const bool present = kFiles[i].inBackup;
                QString why;
                const QString path = files->localFile(all.at(i), &why);
                if (files->isPresent(all.at(i)) != present || path.isEmpty() == present ||
                    (present && readAll(path) != contentOf(kFiles[i].rowId)) ||
                    (!present && why != attachmentfiles::notInBackup()))
                    ++*failures;
            }
        }
    };
    int otherFailures = 0;
    std::unique_ptr<QThread> other(QThread::create(reader, &otherFailures));
    other->start();
    int ownFailures = 0;
    reader(&ownFailures);
    QVERIFY(other->wait(120000));
    QCOMPARE(ownFailures, 0);
    QCOMPARE(otherFailures, 0);
}

void AttachmentsTest::smsBackupRoundTrip()
{
    const QString folder = sampleBackup(backupbuilder::Layout::ManifestDb, true);
    phonebackup::PhoneBackup backup(folder, m_dir.filePath(QStringLiteral("private")));
    QCOMPARE(backup.unlock("secret"), phonebackup::UnlockResult::Unlocked);
    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    MessageStore source(dbs.messages.path.toUtf8(), options);
    std::unique_ptr<AttachmentFiles> sourceFiles = attachmentfiles::ofPhoneBackup(&backup);

    const QString sms = m_dir.filePath(QStringLiteral("roundtrip.sms"));
    QFile::remove(sms);
    QVector<qint64> reported;
    QString why;
    const attachmentbackup::Result result = attachmentbackup::writeBackup(
        dbs.messages.path, sms, {ContactRecord("Anna", "Berg", "+12095981933")}, dbs.messages.walPath, *sourceFiles,
        attachmentbackup::attachmentsOf(source),
        [&](qint64 done, qint64 total) {
            reported.append(done);
            return done <= total;
        },
        &why);
    QVERIFY2(result == attachmentbackup::Result::Written, qPrintable(why));
    QVERIFY(reported.size() >= 3); // the largest file goes in more than one chunk
    QVERIFY(std::is_sorted(reported.cbegin(), reported.cend()));

    {
        MessageStore copy(sms.toUtf8(), StoreAccess::ReadOnly);
        std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofSmsFile(sms);
        const QVector<AttachmentRecord> all = allAttachments(copy);
        QCOMPARE(all.size(), 6);
        for (int i = 0; i < all.size(); ++i)
            QCOMPARE(files->isPresent(all.at(i)), kFiles[i].inBackup);
        const QString target = freshFolder(QStringLiteral("from-sms"));
        const attachmentsaving::Report report = attachmentsaving::saveAll(*files, all, target);
        QCOMPARE(report.written.size(), 5);
        const qint64 order[] = {1, 2, 3, 5, 6};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(readAll(report.written.at(i)), contentOf(order[i]));

        // A private copy for a viewer: the same bytes, mode 0600.
        const QString local = files->localFile(all.at(0), &why);
        QCOMPARE(readAll(local), contentOf(1));
        QCOMPARE(QFileInfo(local).permissions() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ReadUser | QFileDevice::WriteUser),
                 QFileDevice::Permissions());
    }

    // Deleting a message deletes its attachments' content, nothing else;
    // a reader the window keeps open meanwhile sees the file as it is now.
    sqlite3* db = nullptr;
    {
        MessageStore store(sms.toUtf8(), StoreAccess::ReadWrite);
        const QVector<AttachmentRecord> before = allAttachments(store);
        std::unique_ptr<AttachmentFiles> live = attachmentfiles::ofSmsFile(sms, attachmentfiles::SmsAccess::MayChange);
        QVERIFY(live->isPresent(before.at(0)));
        QCOMPARE(store.deleteMessage(1), 0);
        QVERIFY(store.attachmentsOf(1).isEmpty());
        QVERIFY(!live->isPresent(before.at(0)));
        QBuffer third;
        third.open(QIODevice::WriteOnly);
        QVERIFY2(live->copyTo(before.at(2), &third, &why), qPrintable(why));
        QCOMPARE(third.data(), contentOf(3));
    }
    QCOMPARE(sqlite3_open_v2(sms.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QCOMPARE(attachmentcontent::storedSize(db, attachments::backupPathOf(kFiles[0].filename)), -1);
    QCOMPARE(attachmentcontent::storedSize(db, attachments::backupPathOf(kFiles[1].filename)), -1);
    QCOMPARE(attachmentcontent::storedSize(db, attachments::backupPathOf(kFiles[2].filename)), contentOf(3).size());
    sqlite3_close(db);
    // Secure delete: the bytes are gone from the file, not only unlinked.
    QVERIFY(!readAll(sms).contains(contentOf(1).mid(1000, 4096)));
    QVERIFY(readAll(sms).contains(contentOf(3).mid(0, 512)));
}

void AttachmentsTest::smsBackupRefusesExistingAndCancels()
{
    const QString folder = sampleBackup(backupbuilder::Layout::ManifestDb, false);
    phonebackup::PhoneBackup backup(folder);
    const phonebackup::PhoneDatabases dbs = backup.phoneDatabases();
    ReadOptions options;
    options.access = StoreAccess::ReadOnly;
    MessageStore source(dbs.messages.path.toUtf8(), options);
    std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofPhoneBackup(&backup);
    const QVector<AttachmentRecord> all = attachmentbackup::attachmentsOf(source);

    const QString existing = m_dir.filePath(QStringLiteral("existing.sms"));
    QFile f(existing);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("mine");
    f.close();
    QCOMPARE(attachmentbackup::writeBackup(dbs.messages.path, existing, {}, dbs.messages.walPath, *files, all),
             attachmentbackup::Result::TargetExists);
    QCOMPARE(readAll(existing), QByteArray("mine"));

    // Cancelled in the middle of the large file: no file, no journal left.
    const QString cancelled = m_dir.filePath(QStringLiteral("cancelled.sms"));
    int calls = 0;
    QCOMPARE(attachmentbackup::writeBackup(dbs.messages.path, cancelled, {}, dbs.messages.walPath, *files, all,
                                           [&](qint64, qint64) { return ++calls < 3; }),
             attachmentbackup::Result::Cancelled);
    QVERIFY(!QFileInfo::exists(cancelled));
    QVERIFY(!QFileInfo::exists(cancelled + QStringLiteral("-journal")));
}

void AttachmentsTest::smsWithoutContentTable()
{
    // An older backup: the database and contacts only. It reads as before;
    // its attachments are all "not in this backup".
    const QString sms = m_dir.filePath(QStringLiteral("plain.sms"));
    QFile::remove(sms);
    QCOMPARE(backupwriter::writeBackup(sampleDb(), sms, {}), backupwriter::Result::Written);
    MessageStore store(sms.toUtf8(), StoreAccess::ReadWrite);
    QCOMPARE(store.messages.size(), 5);
    std::unique_ptr<AttachmentFiles> files = attachmentfiles::ofSmsFile(sms);
    QString why;
    for (const AttachmentRecord& a : allAttachments(store)) {
        QVERIFY(!files->isPresent(a));
        QVERIFY(files->localFile(a, &why).isEmpty());
        QCOMPARE(why, QStringLiteral("not in this backup"));
    }
    QCOMPARE(store.deleteMessage(2), 0);
    QCOMPARE(store.messages.size(), 4);
}

QTEST_GUILESS_MAIN(AttachmentsTest)
#include "tst_attachments.moc"

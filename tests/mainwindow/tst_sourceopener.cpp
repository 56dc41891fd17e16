// Opening sources on their own: what a ".sms" file and a phone backup of
// every layout give to read, folders that are no backups or hold no
// messages, and the warnings of a backup reaching the window as codes and
// told in the window's words.

#include "BackupBuilder.h"
#include "Fixtures.h"
#include "PhoneBackup.h"
#include "PhoneSession.h"
#include "SourceOpener.h"
#include "xdialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using phonebackup::DatabaseWarning;
using phonebackup::PhoneBackup;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class SourceOpenerTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void smsFileIsReadWrite();
    void phoneBackupOfEveryLayout_data();
    void phoneBackupOfEveryLayout();
    void foldersThatAreNoBackups_data();
    void foldersThatAreNoBackups();
    void backupWithoutMessages();
    void addressBookWarnings_data();
    void addressBookWarnings();
    void unfinishedBackupKeepsItsWords();
    void checkTellsWhyAFolderIsNoBackup();

private:
    QString writeBackup(const QString& name, const QList<backupbuilder::PhoneFile>& files,
                        backupbuilder::Options options = {});
    QList<backupbuilder::PhoneFile> bothDatabases() const;

    QTemporaryDir m_dir;
    QString m_messages;
    QString m_book;
};

void SourceOpenerTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_messages = fixtures::makeMessageDb(m_dir.filePath(QStringLiteral("sms.db")), fixtures::sampleMessages());
    m_book = fixtures::makeAddressBook(m_dir.filePath(QStringLiteral("book.sqlitedb")), fixtures::samplePeople());
    QVERIFY(!fileBytes(m_messages).isEmpty());
    QVERIFY(!fileBytes(m_book).isEmpty());
}

void SourceOpenerTest::init()
{
    shellkit::DialogSeam::activate();
    shellkit::DialogSeam::reset();
}

void SourceOpenerTest::cleanup()
{
    // Every box that came had its answer waiting, and no answer was left.
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
}

QList<backupbuilder::PhoneFile> SourceOpenerTest::bothDatabases() const
{
    return {{PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath, fileBytes(m_messages)},
            {PhoneBackup::kHomeDomain, PhoneBackup::kAddressBookPath, fileBytes(m_book)}};
}

QString SourceOpenerTest::writeBackup(const QString& name, const QList<backupbuilder::PhoneFile>& files,
                                      backupbuilder::Options options)
{
    const QString folder = m_dir.filePath(QStringLiteral("backups/") + name);
    QString error;
    if (!backupbuilder::writeBackup(folder, files, options, &error))
        qWarning("%s", qPrintable(error));
    return folder;
}

void SourceOpenerTest::smsFileIsReadWrite()
{
    // A name outside Latin-1 reaches SQLite whole, as UTF-8.
    const QString path = m_dir.filePath(QStringLiteral("备份 2010.sms"));
    const OpenedSource source = SourceOpener(nullptr).openSmsFile(path);
    QVERIFY(source.isOpen());
    QCOMPARE(source.request.messagesPath, path.toUtf8());
    QCOMPARE(source.request.access, StoreAccess::ReadWrite);
    QCOMPARE(source.request.names, SourceRequest::Names::FromBackupFile);
    QVERIFY(source.request.bookPath.isEmpty());
    QVERIFY(!source.backup);
}

void SourceOpenerTest::phoneBackupOfEveryLayout_data()
{
    QTest::addColumn<int>("layout");
    QTest::newRow("description files") << int(backupbuilder::Layout::DescriptionFiles);
    QTest::newRow("Manifest.mbdb") << int(backupbuilder::Layout::ManifestMbdb);
    QTest::newRow("Manifest.db") << int(backupbuilder::Layout::ManifestDb);
}

void SourceOpenerTest::phoneBackupOfEveryLayout()
{
    QFETCH(int, layout);
    backupbuilder::Options options;
    options.layout = backupbuilder::Layout(layout);
    const QString folder = writeBackup(QStringLiteral("layout%1").arg(layout), bothDatabases(), options);
    const QByteArray before = fixtures::folderDigest(folder);

    const OpenedSource source = SourceOpener(nullptr).openPhoneBackup(folder);
    QVERIFY2(source.isOpen(), qPrintable(source.detail));
    // The phone's databases are only ever read.
    QCOMPARE(source.request.access, StoreAccess::ReadOnly);
    QCOMPARE(source.request.names, SourceRequest::Names::FromPhoneBook);
    QCOMPARE(fileBytes(QString::fromUtf8(source.request.messagesPath)), fileBytes(m_messages));
    QCOMPARE(fileBytes(QString::fromUtf8(source.request.bookPath)), fileBytes(m_book));
    QVERIFY(source.request.messagesWal.isEmpty());
    QVERIFY(source.backup);
    QVERIFY(source.databases.warnings.isEmpty());
    QVERIFY(source.databases.warningCodes.isEmpty());
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
    QCOMPARE(fixtures::folderDigest(folder), before);
}

void SourceOpenerTest::foldersThatAreNoBackups_data()
{
    QTest::addColumn<QString>("folder");
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("empty")));
    QTest::newRow("empty folder") << m_dir.filePath(QStringLiteral("empty"));
    QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("missing"));
    QTest::newRow("a file") << m_messages;
    QTest::newRow("no path") << QString();
}

void SourceOpenerTest::foldersThatAreNoBackups()
{
    QFETCH(QString, folder);
    const OpenedSource source = SourceOpener(nullptr).openPhoneBackup(folder);
    QCOMPARE(source.status, OpenedSource::Status::NotReadable);
    QVERIFY(!source.detail.isEmpty());
    QVERIFY(!source.backup);
    QVERIFY(source.request.messagesPath.isEmpty());
    // The caller words the message: the opener shows nothing itself.
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
}

void SourceOpenerTest::backupWithoutMessages()
{
    const QString folder = writeBackup(QStringLiteral("bookonly"),
                                       {{PhoneBackup::kHomeDomain, PhoneBackup::kAddressBookPath, fileBytes(m_book)}});
    const OpenedSource source = SourceOpener(nullptr).openPhoneBackup(folder);
    QCOMPARE(source.status, OpenedSource::Status::NoMessages);
    QVERIFY(source.detail.contains(PhoneBackup::kMessagesPath));
    QVERIFY(!source.backup);
    QVERIFY(source.request.messagesPath.isEmpty());
}

void SourceOpenerTest::addressBookWarnings_data()
{
    QTest::addColumn<bool>("listed");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("told");
    // Not listed at all: the window says so in its own words.
    QTest::newRow("not listed") << false << int(DatabaseWarning::NoAddressBook)
                                << QStringLiteral("The iPhone's backup holds no address book: names cannot be shown.");
    // Listed but its file is gone: the backup layer's own account stays.
    QTest::newRow("listed, file missing") << true << int(DatabaseWarning::UnreadableAddressBook) << QString();
}

void SourceOpenerTest::addressBookWarnings()
{
    QFETCH(bool, listed);
    QFETCH(int, code);
    QFETCH(QString, told);

    QList<backupbuilder::PhoneFile> files = bothDatabases();
    if (!listed)
        files.removeLast();
    const QString folder = writeBackup(listed ? QStringLiteral("booklost") : QStringLiteral("nobook"), files);
    if (listed) {
        QVERIFY(QFile::remove(backupbuilder::dataPath(backupbuilder::Layout::ManifestDb, folder,
                                                      PhoneBackup::kHomeDomain, PhoneBackup::kAddressBookPath)));
    }

    const OpenedSource source = SourceOpener(nullptr).openPhoneBackup(folder);
    QVERIFY2(source.isOpen(), qPrintable(source.detail));
    QVERIFY(source.request.bookPath.isEmpty());
    QCOMPARE(source.databases.warningCodes, QVector<DatabaseWarning>{DatabaseWarning(code)});
    QCOMPARE(source.databases.warnings.size(), 1);
    QVERIFY(source.databases.hasWarning(DatabaseWarning(code)));

    const QString text = PhoneSession::warningsText(source.databases);
    if (told.isEmpty()) {
        QCOMPARE(text, source.databases.warnings.first());
        QVERIFY2(text.endsWith(QStringLiteral(" Names cannot be shown.")), qPrintable(text));
    } else {
        QCOMPARE(text, told);
    }
}

void SourceOpenerTest::unfinishedBackupKeepsItsWords()
{
    backupbuilder::Options options;
    options.snapshotState = QStringLiteral("uploading");
    QList<backupbuilder::PhoneFile> files = bothDatabases();
    files.removeLast();
    const QString folder = writeBackup(QStringLiteral("unfinished"), files, options);

    const OpenedSource source = SourceOpener(nullptr).openPhoneBackup(folder);
    QVERIFY2(source.isOpen(), qPrintable(source.detail));
    const QVector<DatabaseWarning> expected{DatabaseWarning::Incomplete, DatabaseWarning::NoAddressBook};
    QCOMPARE(source.databases.warningCodes, expected);
    // Each warning is told once, in its order; only the missing book is
    // reworded.
    const QString text = PhoneSession::warningsText(source.databases);
    QCOMPARE(text, source.databases.warnings.first() + QStringLiteral("\n\n") +
                       QStringLiteral("The iPhone's backup holds no address book: names cannot be shown."));
    QVERIFY2(text.contains(QStringLiteral("uploading")), qPrintable(text));
}

void SourceOpenerTest::checkTellsWhyAFolderIsNoBackup()
{
    const QString good = writeBackup(QStringLiteral("checked"), bothDatabases());
    phonebackup::BackupInfo info;
    QVERIFY(SourceOpener(nullptr).checkPhoneBackup(good, &info));
    QCOMPARE(info.folder, QFileInfo(good).absoluteFilePath());
    QCOMPARE(info.deviceName, QStringLiteral("Test iPhone"));
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());

    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("plain")));
    phonebackup::BackupInfo untouched;
    shellkit::DialogSeam::pushAnswer(0);
    QVERIFY(!SourceOpener(nullptr).checkPhoneBackup(m_dir.filePath(QStringLiteral("plain")), &untouched));
    QVERIFY(untouched.folder.isEmpty());
    const auto shown = shellkit::DialogSeam::shown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Warning"));
    QVERIFY2(shown.first().text.startsWith(QStringLiteral("This folder is no phone backup that can be read:\n") +
                                           QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("plain")))),
             qPrintable(shown.first().text));
}

QTEST_MAIN(SourceOpenerTest)
#include "tst_sourceopener.moc"

// "BackUp" of a phone backup folder (plain and encrypted) whose messages
// carry attachments, driven through the window: the ".sms" it writes is
// listed and shown, its chat page shows the pictures from the file itself,
// and the file holds every present attachment byte for byte (a missing one
// stays "not in this backup"); the folder is never changed.

#include "AttachmentFiles.h"
#include "AttachmentStrip.h"
#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "MessageStore.h"
#include "ModernFixtures.h"
#include "PhoneBackup.h"
#include "ThumbnailCache.h"
#include "frame_page2.h"

#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QTreeWidget>

using harness::Window;

namespace {

QString usualRoot()
{
    return QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup");
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray jpeg()
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

struct File
{
    const char* name;
    const char* mime;
    QByteArray content; // empty: kept in the cloud, not in the backup
};

QList<File> files()
{
    return {{"IMG_3918.JPG", "image/jpeg", jpeg()},
            {"invoice.pdf", "application/pdf", QByteArray("%PDF-1.7\n") + QByteArray(70000, 'p')},
            {"IMG_4000.HEIC", "image/heic", QByteArray()},
            {"Audio Message.caf", "audio/x-caf", QByteArray("caff") + QByteArray(3000, 'a')}};
}

QString backupPathOf(int i)
{
    return QStringLiteral("Library/SMS/Attachments/0%1/0%1/G%1/").arg(i) + QString::fromUtf8(files().at(i).name);
}

// One conversation: a picture with a few words, then each other file alone.
QString makeMessages(const QString& path)
{
    using namespace modernfixtures;
    Database db;
    db.handles = {{1, QStringLiteral("+12095981933"), QStringLiteral("iMessage"), QVariant()}};
    db.chats = {{1, QStringLiteral("+12095981933"), 45, QVariant(), {1}}};
    const QList<File> all = files();
    for (int i = 0; i < all.size(); ++i) {
        Attachment a;
        a.rowId = i + 1;
        a.transferName = QString::fromUtf8(all.at(i).name);
        a.filename = QStringLiteral("~/") + backupPathOf(i);
        a.columns = {{QStringLiteral("mime_type"), QString::fromUtf8(all.at(i).mime)},
                     {QStringLiteral("total_bytes"), qMax(1000, int(all.at(i).content.size()))}};
        db.attachments.append(a);
        Message m;
        m.rowId = i + 1;
        m.text = i == 0 ? QStringLiteral("From the trip \uFFFC") : QStringLiteral("\uFFFC");
        m.handle = 1;
        m.fromMe = i % 2;
        m.date = appleNanoseconds(1700000000 + i * 60);
        m.chats = {1};
        m.attachments = {i + 1};
        db.messages.append(m);
    }
    return makeModernDb(path, db, Schema::Ios17);
}

QList<views::AttachmentStrip*> visibleStrips(QWidget* page)
{
    QList<views::AttachmentStrip*> shown;
    for (views::AttachmentStrip* strip : page->findChildren<views::AttachmentStrip*>()) {
        if (strip->isVisible())
            shown.append(strip);
    }
    return shown;
}

bool isChooser(QWidget* modal)
{
    return modal->findChild<QTreeWidget*>(QStringLiteral("backupList")) != nullptr;
}

// Picks the backup whose row names the device in the next chooser.
void answerChooser(const QString& device)
{
    driver::whenModal(isChooser, [=](QWidget* modal) {
        QMetaObject::invokeMethod(
            modal,
            [modal, device] {
                auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("backupList"));
                const auto items = list->findItems(device, Qt::MatchContains, BackupChooser::DeviceColumn);
                if (items.isEmpty()) {
                    driver::click(modal, QStringLiteral("cancelButton"));
                    return;
                }
                list->setCurrentItem(items.first());
                driver::click(modal, QStringLiteral("openButton"));
            },
            Qt::QueuedConnection);
    });
}

} // namespace

class BackupAttachmentsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void backUpCarriesTheAttachments_data();
    void backUpCarriesTheAttachments();

private:
    QTemporaryDir m_dir;
    QString m_messages;
    QString m_book;
};

void BackupAttachmentsTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_messages = makeMessages(m_dir.filePath(QStringLiteral("sms.db")));
    m_book = fixtures::makeAddressBook(
        m_dir.filePath(QStringLiteral("book.sqlitedb")),
        {{QStringLiteral("Kim"), QStringLiteral("Berg"), {{3, QStringLiteral("(209) 598-1933")}}}},
        fixtures::BookSchema::Ios15);
}

void BackupAttachmentsTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    QDir(usualRoot()).removeRecursively();
    phonebackup::PhoneBackup::forgetKeys();
}

void BackupAttachmentsTest::cleanup()
{
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void BackupAttachmentsTest::backUpCarriesTheAttachments_data()
{
    QTest::addColumn<bool>("encrypted");
    QTest::newRow("plain") << false;
    QTest::newRow("encrypted") << true;
}

void BackupAttachmentsTest::backUpCarriesTheAttachments()
{
    QFETCH(bool, encrypted);
    const QList<File> all = files();
    QList<backupbuilder::PhoneFile> phoneFiles{
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, fileBytes(m_messages)},
        {phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kAddressBookPath, fileBytes(m_book)}};
    for (int i = 0; i < all.size(); ++i) {
        if (!all.at(i).content.isEmpty())
            phoneFiles.append({QStringLiteral("MediaDomain"), backupPathOf(i), all.at(i).content});
    }
    backupbuilder::Options options;
    options.encrypted = encrypted;
    options.password = "secret";
    options.device.deviceName = QStringLiteral("Kim's iPhone");
    const QString folder = usualRoot() + QStringLiteral("/00008110-000A1B2C3D4E5F60");
    QString error;
    QVERIFY2(backupbuilder::writeBackup(folder, phoneFiles, options, &error), qPrintable(error));
    const QByteArray digest = fixtures::folderDigest(folder);

    Window win;
    const int rowsBefore = win.list()->count();
    QStringList passwordMessages;
    answerChooser(QStringLiteral("Kim's iPhone"));
    if (encrypted)
        driver::answerPasswords({QStringLiteral("secret")}, &passwordMessages);
    win.w->openPhoneBackup();
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Berg Kim")});
    QVERIFY(passwordMessages.isEmpty());

    const QStringList before = QDir(harness::backupFolder()).entryList({QStringLiteral("*.sms")}, QDir::Files);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("pushButtonBACKUP")), Qt::LeftButton);
    QTRY_COMPARE(win.list()->count(), rowsBefore + 2);
    QCOMPARE(win.list()->currentRow(), rowsBefore + 1);
    QVERIFY2(shellkit::DialogSeam::shown().isEmpty(), qPrintable(harness::shownTexts().join(QLatin1Char('\n'))));
    QStringList written = QDir(harness::backupFolder()).entryList({QStringLiteral("*.sms")}, QDir::Files);
    for (const QString& name : before)
        written.removeOne(name);
    QCOMPARE(written.size(), 1);
    const QString sms = harness::backupFolder() + QLatin1Char('/') + written.first();

    // The file on display: its chat page shows the attachments from the
    // file itself, the missing one as not in this backup.
    QTRY_COMPARE(win.conversationNames(), QStringList{QStringLiteral("Kim Berg")});
    win.openConversation(0);
    auto* page = qobject_cast<frame_page2*>(win.chatPage());
    QVERIFY(page);
    QTRY_VERIFY(!visibleStrips(page).isEmpty());
    for (views::AttachmentStrip* strip : visibleStrips(page))
        QVERIFY(strip->attachments().at(0).relativePath.startsWith("Library/SMS/Attachments/"));
    MessageStore store(sms.toUtf8(), StoreAccess::ReadOnly);
    using State = views::ThumbnailCache::State;
    for (int i = 0; i < all.size(); ++i) {
        const AttachmentRecord a = store.attachmentsOf(i + 1).value(0);
        State state = State::Pending;
        if (i == 0) {
            QTRY_VERIFY_WITH_TIMEOUT((page->thumbnails().thumbnail(a, &state), state != State::Pending), 20000);
            QCOMPARE(state, State::Ready);
        } else {
            // Not pictures, or not there.
            page->thumbnails().thumbnail(a, &state);
            QCOMPARE(state, all.at(i).content.isEmpty() ? State::Missing : State::Failed);
        }
    }

    // Read on its own, the file holds every present attachment byte for byte.
    const std::unique_ptr<AttachmentFiles> inFile = attachmentfiles::ofSmsFile(sms);
    for (int i = 0; i < all.size(); ++i) {
        const QVector<AttachmentRecord> records = store.attachmentsOf(i + 1);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.at(0).name, QByteArray(all.at(i).name));
        QCOMPARE(inFile->isPresent(records.at(0)), !all.at(i).content.isEmpty());
        if (all.at(i).content.isEmpty())
            continue;
        QBuffer copy;
        copy.open(QIODevice::WriteOnly);
        QString why;
        QVERIFY2(inFile->copyTo(records.at(0), &copy, &why), qPrintable(why));
        QCOMPARE(copy.data(), all.at(i).content);
    }
    QCOMPARE(fixtures::folderDigest(folder), digest);
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    BackupAttachmentsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backupattachments.moc"

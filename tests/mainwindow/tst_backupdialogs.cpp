// The two dialogs of phone backups on fixture backups: the password dialog
// (wrong and right passwords, Cancel, Cancel while the keys are derived,
// keys that do not open the backup) and the chooser (what it lists, Open,
// Cancel, a folder of backups or a plain folder chosen by the user).
//
// Set MSGDESK_SHOTS_DIR to keep pictures of both dialogs there.

#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "BackupPassword.h"
#include "DialogDriver.h"
#include "PhoneBackup.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xproductInfo.h"
#include "xresourceMgr.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using phonebackup::PhoneBackup;

namespace {

const QByteArray kPassword = "correct horse";

struct Fixture
{
    QString name;
    QString deviceName = QStringLiteral("Test iPhone");
    QString version = QStringLiteral("17.2");
    bool encrypted = false;
    bool finished = true;
    backupbuilder::Layout layout = backupbuilder::Layout::ManifestDb;
    quint32 rounds = 16;
    // 2026-11-30 06:05 UTC is 14:05 in the tests' time zone.
    QDateTime date = QDateTime(QDate(2026, 11, 30), QTime(6, 5), Qt::UTC);
};

QString writeFixture(const QString& root, const Fixture& f)
{
    backupbuilder::Options options;
    options.layout = f.layout;
    options.device.deviceName = f.deviceName;
    options.device.productVersion = f.version;
    options.device.lastBackupDate = f.date;
    options.encrypted = f.encrypted;
    options.password = kPassword;
    options.doubleProtectionIterations = f.rounds;
    if (!f.finished)
        options.snapshotState = QStringLiteral("uploading");
    const QString folder = root + QLatin1Char('/') + f.name;
    QString error;
    const bool written = backupbuilder::writeBackup(
        folder, {{PhoneBackup::kHomeDomain, PhoneBackup::kMessagesPath, QByteArray("not read here")}}, options, &error);
    if (!written)
        qWarning("fixture %s: %s", qPrintable(f.name), qPrintable(error));
    return written ? QFileInfo(folder).canonicalFilePath() : QString();
}

// Acts on the next modal dialog; a check that fails there closes it, so
// that the test goes on to report rather than waiting forever.
void inNextModal(std::function<void(QWidget*)> act)
{
    driver::onNextModal([act](QWidget* modal) {
        act(modal);
        if (QTest::currentTestFailed() && modal->isVisible())
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
    });
}

template <typename T> T* child(QWidget* dialog, const char* name)
{
    T* found = dialog->findChild<T*>(QLatin1String(name));
    if (!found)
        qWarning("no %s", name);
    return found;
}

void typeAndPress(QWidget* dialog, const QByteArray& password)
{
    auto* edit = child<QLineEdit>(dialog, "passwordEdit");
    QTRY_VERIFY(edit->isEnabled());
    edit->setFocus();
    QTest::keyClicks(edit, QString::fromUtf8(password));
    QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
}

void keepShot(QWidget* dialog, const QString& name)
{
    const QString dir = qEnvironmentVariable("MSGDESK_SHOTS_DIR");
    if (!dir.isEmpty())
        QVERIFY(dialog->window()->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

// Every child widget that is shown lies wholly inside the dialog's contents
// and gets at least the room its text needs.
void checkNothingClipped(QWidget* dialog)
{
    const QRect inside = dialog->contentsRect();
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog) || w->parentWidget() != dialog || w->inherits("xbackgroundFrame"))
            continue;
        const QRect r(w->mapTo(dialog, QPoint()), w->size());
        QVERIFY2(inside.contains(r), qPrintable(w->objectName()));
        if (qobject_cast<QPushButton*>(w))
            QVERIFY2(w->width() >= w->sizeHint().width(), qPrintable(w->objectName()));
        if (auto* label = qobject_cast<QLabel*>(w); label && label->wordWrap())
            QVERIFY2(w->height() >= label->heightForWidth(w->width()), qPrintable(w->objectName()));
    }
}

} // namespace

class BackupDialogsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void noDialogWhenNothingToAsk();
    void wrongThenRightPassword();
    void cancelLeavesTheBackupLocked();
    void cancelStopsARunningDerivation();
    void keysThatDoNotOpenTheBackupAreReported();
    void thePasswordIsNotKept();

    void listsBackupsWithTheirMarks();
    void openAndCancel();
    void folderOfBackupsIsAdded();
    void otherFoldersAreReturnedAsTheyAre();
    void nothingFound();

    void dialogsLookRight();

private:
    xproductInfo m_info;
    QTemporaryDir m_dir;
    QString m_plain;
    QString m_locked;
    QString m_slow;
};

void BackupDialogsTest::initTestCase()
{
    _AppInfo app;
    app.appName = QStringLiteral("msgdesk");
    m_info.setCurAppInfo(app);
    xproductInfo::m_instance = &m_info;
    static const char* const skins[] = {"default", nullptr};
    auto* resources = new xresourceMgr(qApp);
    QVERIFY(resources->registerSkin(skins));
    QVERIFY(resources->setSkin(QStringLiteral("default")));

    QVERIFY(m_dir.isValid());
    Fixture plain;
    plain.name = QStringLiteral("plain");
    m_plain = writeFixture(m_dir.filePath(QStringLiteral("single")), plain);
    Fixture locked;
    locked.name = QStringLiteral("locked");
    locked.encrypted = true;
    m_locked = writeFixture(m_dir.filePath(QStringLiteral("single")), locked);
    // Enough rounds that the derivation runs long after Cancel is pressed.
    Fixture slow = locked;
    slow.name = QStringLiteral("slow");
    slow.rounds = 2000000;
    m_slow = writeFixture(m_dir.filePath(QStringLiteral("single")), slow);
    QVERIFY(!m_plain.isEmpty() && !m_locked.isEmpty() && !m_slow.isEmpty());
}

void BackupDialogsTest::noDialogWhenNothingToAsk()
{
    {
        PhoneBackup plain(m_plain);
        QVERIFY(plain.isValid());
        QVERIFY(askBackupPassword(nullptr, plain));
    }
    {
        PhoneBackup locked(m_locked);
        QCOMPARE(locked.unlock(kPassword), phonebackup::UnlockResult::Unlocked);
        QVERIFY(askBackupPassword(nullptr, locked));
        // The keys of this run open a second object of the same folder.
        PhoneBackup again(m_locked);
        QVERIFY(askBackupPassword(nullptr, again));
        PhoneBackup::forgetKeys();
    }
    {
        PhoneBackup missing(m_dir.filePath(QStringLiteral("nothing here")));
        QVERIFY(!missing.isValid());
        QVERIFY(!askBackupPassword(nullptr, missing));
    }
    // No dialog may have come up in any of these.
    QVERIFY(!QApplication::activeModalWidget());
}

void BackupDialogsTest::wrongThenRightPassword()
{
    PhoneBackup backup(m_locked);
    QVERIFY(backup.needsPassword());
    QString messageAfterWrong;
    QString backupLine;
    bool okWasDefault = false;
    bool wasPasswordMode = false;
    bool clearedAfterWrong = false;
    inNextModal([&](QWidget* dialog) {
        QVERIFY(qobject_cast<BackupPassword*>(dialog));
        QVERIFY(child<QLabel>(dialog, "messageLabel")->text().isEmpty());
        QVERIFY(!child<QProgressBar>(dialog, "progressBar")->isVisible());
        backupLine = child<QLabel>(dialog, "backupLabel")->text();
        okWasDefault = child<QPushButton>(dialog, "okButton")->isDefault();
        wasPasswordMode = child<QLineEdit>(dialog, "passwordEdit")->echoMode() == QLineEdit::Password;
        typeAndPress(dialog, "wrong one");
        auto* message = child<QLabel>(dialog, "messageLabel");
        QTRY_VERIFY(!message->text().isEmpty());
        messageAfterWrong = message->text();
        auto* edit = child<QLineEdit>(dialog, "passwordEdit");
        clearedAfterWrong = edit->text().isEmpty() && edit->isEnabled() && edit->hasFocus();
        QVERIFY(!backup.isUnlocked());
        typeAndPress(dialog, kPassword);
    });
    QVERIFY(askBackupPassword(nullptr, backup));
    QVERIFY(backup.isUnlocked());
    QCOMPARE(messageAfterWrong, QStringLiteral("The password is wrong. Please try again."));
    QVERIFY(clearedAfterWrong);
    QCOMPARE(backupLine, QStringLiteral("Test iPhone, backed up 2026-11-30 14:05"));
    QVERIFY(okWasDefault);
    QVERIFY(wasPasswordMode);
    // Unlocked for real: the messages can now be located.
    QVERIFY(backup.phoneDatabases().error.isEmpty());
    PhoneBackup::forgetKeys();
}

void BackupDialogsTest::cancelLeavesTheBackupLocked()
{
    PhoneBackup backup(m_locked);
    driver::pressInNextModal(QStringLiteral("cancelButton"), [](QWidget* dialog) {
        QTest::keyClicks(child<QLineEdit>(dialog, "passwordEdit"), QStringLiteral("typed but not sent"));
    });
    QVERIFY(!askBackupPassword(nullptr, backup));
    QVERIFY(!backup.isUnlocked());

    // Escape is Cancel too, and OK without a password does nothing.
    inNextModal([](QWidget* dialog) {
        auto* ok = child<QPushButton>(dialog, "okButton");
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(child<QLineEdit>(dialog, "passwordEdit"), Qt::Key_Return);
        QVERIFY(child<QLabel>(dialog, "messageLabel")->text().isEmpty());
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    QVERIFY(!askBackupPassword(nullptr, backup));
    QVERIFY(!backup.isUnlocked());
}

void BackupDialogsTest::cancelStopsARunningDerivation()
{
    PhoneBackup backup(m_slow);
    QVERIFY(backup.needsPassword());
    int percentAtCancel = -1;
    bool fieldLockedMeanwhile = false;
    inNextModal([&](QWidget* dialog) {
        typeAndPress(dialog, kPassword);
        auto* bar = child<QProgressBar>(dialog, "progressBar");
        QVERIFY(bar->isVisible());
        QTRY_VERIFY(bar->value() > 0);
        fieldLockedMeanwhile = !child<QLineEdit>(dialog, "passwordEdit")->isEnabled() &&
                               !child<QPushButton>(dialog, "okButton")->isEnabled();
        percentAtCancel = bar->value();
        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
    });
    QVERIFY(!askBackupPassword(nullptr, backup));
    QVERIFY(fieldLockedMeanwhile);
    // Cancelled while the derivation ran: the dialog returned without
    // waiting for its end (its job stops within a few thousand rounds).
    QVERIFY2(percentAtCancel > 0 && percentAtCancel < 100, qPrintable(QString::number(percentAtCancel)));
    QVERIFY(!backup.isUnlocked());
}

void BackupDialogsTest::keysThatDoNotOpenTheBackupAreReported()
{
    // The password opens the key bag, but the catalogue's own key is
    // damaged: the dialog says so and stays for another try.
    Fixture f;
    f.name = QStringLiteral("bad-catalogue-key");
    f.encrypted = true;
    const QString folder = writeFixture(m_dir.filePath(QStringLiteral("other")), f);
    QVERIFY(!folder.isEmpty());
    QFile list(folder + QStringLiteral("/Manifest.plist"));
    QVERIFY(list.open(QIODevice::ReadOnly));
    QByteArray xml = list.readAll();
    list.close();
    const QRegularExpression keyData(QStringLiteral("<key>ManifestKey</key>\\s*<data>([^<]*)</data>"));
    const QRegularExpressionMatch match = keyData.match(QString::fromUtf8(xml));
    QVERIFY(match.hasMatch());
    QByteArray key = QByteArray::fromBase64(match.captured(1).toLatin1());
    QCOMPARE(key.size(), 44);
    // The protection class stays; the wrapped key no longer unwraps.
    key[10] = char(key[10] ^ 0x5a);
    xml.replace(match.captured(1).toLatin1(), key.toBase64());
    QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
    list.write(xml);
    list.close();

    PhoneBackup backup(folder);
    QVERIFY2(backup.needsPassword(), qPrintable(backup.errorString()));
    QString message;
    bool stayed = false;
    inNextModal([&](QWidget* dialog) {
        typeAndPress(dialog, kPassword);
        auto* label = child<QLabel>(dialog, "messageLabel");
        QTRY_VERIFY(!label->text().isEmpty());
        message = label->text();
        stayed = dialog->isVisible() && child<QLineEdit>(dialog, "passwordEdit")->isEnabled();
        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
    });
    QVERIFY(!askBackupPassword(nullptr, backup));
    QVERIFY(stayed);
    QVERIFY2(message.startsWith(QStringLiteral("The backup's catalogue key cannot be unlocked")), qPrintable(message));
    QVERIFY(!message.contains(QStringLiteral("password is wrong")));
}

void BackupDialogsTest::thePasswordIsNotKept()
{
    PhoneBackup backup(m_locked);
    xdialogContainer<BackupPassword, xbackgroundFrame> dialog;
    dialog.setBackup(&backup);
    dialog.show();
    typeAndPress(&dialog, "wrong one");
    // While the job runs and after it ended, the field holds nothing.
    QVERIFY(child<QLineEdit>(&dialog, "passwordEdit")->text().isEmpty());
    QVERIFY(dialog.isDeriving());
    QTRY_VERIFY(!dialog.isDeriving());
    QVERIFY(child<QLineEdit>(&dialog, "passwordEdit")->text().isEmpty());
    // Nor can undo bring back what was typed.
    auto* edit = child<QLineEdit>(&dialog, "passwordEdit");
    edit->undo();
    edit->undo();
    QVERIFY(edit->text().isEmpty());
    QVERIFY(dialog.isVisible());
}

void BackupDialogsTest::listsBackupsWithTheirMarks()
{
    const QString root = m_dir.filePath(QStringLiteral("marks/Backup"));
    Fixture locked;
    locked.name = QStringLiteral("a-locked");
    locked.deviceName = QStringLiteral("Zoë's iPhone");
    locked.version = QStringLiteral("16.4.1");
    locked.encrypted = true;
    Fixture cut;
    cut.name = QStringLiteral("b-cut");
    cut.deviceName = QStringLiteral("Old phone");
    cut.version = QStringLiteral("9.3.5");
    cut.finished = false;
    cut.layout = backupbuilder::Layout::ManifestMbdb;
    cut.date = QDateTime(QDate(2016, 2, 29), QTime(23, 59), Qt::UTC);
    const QString lockedFolder = writeFixture(root, locked);
    const QString cutFolder = writeFixture(root, cut);
    // A folder whose list is damaged is shown, but cannot be opened.
    QDir().mkpath(root + QStringLiteral("/c-damaged"));
    QFile info(root + QStringLiteral("/c-damaged/Info.plist"));
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write("not a property list");
    info.close();

    BackupChooser chooser;
    chooser.setRoots({root + QStringLiteral("/.."), m_dir.filePath(QStringLiteral("no such root"))});
    auto* list = child<QTreeWidget>(&chooser, "backupList");
    QCOMPARE(list->topLevelItemCount(), 3);
    QTreeWidgetItem* first = list->topLevelItem(0);
    QCOMPARE(first->text(BackupChooser::DeviceColumn), QStringLiteral("Zoë's iPhone"));
    QCOMPARE(first->text(BackupChooser::VersionColumn), QStringLiteral("iOS 16.4.1"));
    QCOMPARE(first->text(BackupChooser::DateColumn), QStringLiteral("2026-11-30 14:05"));
    QCOMPARE(first->text(BackupChooser::StateColumn), QStringLiteral("Encrypted"));
    QVERIFY(!first->icon(BackupChooser::StateColumn).isNull());
    QTreeWidgetItem* second = list->topLevelItem(1);
    QCOMPARE(second->text(BackupChooser::DeviceColumn), QStringLiteral("Old phone"));
    QCOMPARE(second->text(BackupChooser::VersionColumn), QStringLiteral("iOS 9.3.5"));
    // Past midnight in the tests' time zone.
    QCOMPARE(second->text(BackupChooser::DateColumn), QStringLiteral("2016-03-01 07:59"));
    QCOMPARE(second->text(BackupChooser::StateColumn), QStringLiteral("incomplete"));
    QVERIFY(second->icon(BackupChooser::StateColumn).isNull());
    QTreeWidgetItem* damaged = list->topLevelItem(2);
    QVERIFY(!(damaged->flags() & Qt::ItemIsSelectable));
    QVERIFY(!(damaged->flags() & Qt::ItemIsEnabled));
    QVERIFY2(damaged->text(0).contains(QStringLiteral("Info.plist is damaged")), qPrintable(damaged->text(0)));

    // The first backup is selected, so Open is ready at once.
    QCOMPARE(list->currentItem(), first);
    QVERIFY(child<QPushButton>(&chooser, "openButton")->isEnabled());
    QVERIFY(!child<QLabel>(&chooser, "emptyLabel")->isVisibleTo(&chooser));
    list->clearSelection();
    QVERIFY(!child<QPushButton>(&chooser, "openButton")->isEnabled());
    list->setCurrentItem(damaged);
    QVERIFY(!child<QPushButton>(&chooser, "openButton")->isEnabled());
    QVERIFY(!lockedFolder.isEmpty() && !cutFolder.isEmpty());
}

void BackupDialogsTest::openAndCancel()
{
    const QString root = m_dir.filePath(QStringLiteral("single"));
    // Open takes the selected backup, double click too.
    inNextModal([](QWidget* dialog) {
        auto* list = child<QTreeWidget>(dialog, "backupList");
        QCOMPARE(list->topLevelItemCount(), 3);
        list->setCurrentItem(list->topLevelItem(1));
        QTest::mouseClick(child<QPushButton>(dialog, "openButton"), Qt::LeftButton);
    });
    QCOMPARE(choosePhoneBackup(nullptr, {root}), m_plain);

    inNextModal([](QWidget* dialog) {
        auto* list = child<QTreeWidget>(dialog, "backupList");
        const QRect row = list->visualItemRect(list->topLevelItem(2));
        // A double click comes after the press of its first click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    });
    QCOMPARE(choosePhoneBackup(nullptr, {root}), m_slow);

    driver::pressInNextModal(QStringLiteral("cancelButton"));
    QCOMPARE(choosePhoneBackup(nullptr, {root}), QString());
    inNextModal([](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
    QCOMPARE(choosePhoneBackup(nullptr, {root}), QString());
}

void BackupDialogsTest::folderOfBackupsIsAdded()
{
    // A MobileSync folder copied from another computer, chosen through the
    // folder dialog: its backups join the list and the first is selected.
    const QString copied = m_dir.filePath(QStringLiteral("copied/MobileSync"));
    Fixture f;
    f.name = QStringLiteral("from-elsewhere");
    f.deviceName = QStringLiteral("Work phone");
    const QString folder = writeFixture(copied + QStringLiteral("/Backup"), f);
    QVERIFY(!folder.isEmpty());

    BackupChooser chooser;
    chooser.setRoots({m_dir.filePath(QStringLiteral("single"))});
    auto* list = child<QTreeWidget>(&chooser, "backupList");
    QCOMPARE(list->topLevelItemCount(), 3);
    QString title;
    driver::answerFileDialog(copied, &title);
    QTest::mouseClick(child<QPushButton>(&chooser, "chooseFolderButton"), Qt::LeftButton);
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->currentItem()->text(BackupChooser::DeviceColumn), QStringLiteral("Work phone"));
    QVERIFY(list->currentItem()->isSelected());
    QVERIFY(chooser.result() != QDialog::Accepted);
    QVERIFY(!title.isEmpty());

    // The same folder again, as a "Backup" folder this time: listed once.
    chooser.addFolder(copied + QStringLiteral("/Backup"));
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->currentItem()->text(BackupChooser::DeviceColumn), QStringLiteral("Work phone"));

    QTest::mouseClick(child<QPushButton>(&chooser, "openButton"), Qt::LeftButton);
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QCOMPARE(chooser.chosenFolder(), folder);

    // A cancelled folder dialog changes nothing.
    BackupChooser again;
    again.setRoots({});
    driver::answerFileDialog(QString());
    QTest::mouseClick(child<QPushButton>(&again, "chooseFolderButton"), Qt::LeftButton);
    QCOMPARE(child<QTreeWidget>(&again, "backupList")->topLevelItemCount(), 0);
    QVERIFY(again.chosenFolder().isEmpty());
    QVERIFY(again.result() != QDialog::Accepted);
}

void BackupDialogsTest::otherFoldersAreReturnedAsTheyAre()
{
    // A folder with no backup below it: the window says why it is none.
    const QString plainFolder = m_dir.filePath(QStringLiteral("just files"));
    QVERIFY(QDir().mkpath(plainFolder + QStringLiteral("/sub")));
    inNextModal([&](QWidget* dialog) {
        driver::answerFileDialog(plainFolder);
        QTest::mouseClick(child<QPushButton>(dialog, "chooseFolderButton"), Qt::LeftButton);
    });
    QCOMPARE(choosePhoneBackup(nullptr, {}), plainFolder);

    // A backup folder picked itself is taken at once, even a damaged one.
    BackupChooser chooser;
    chooser.setRoots({});
    chooser.addFolder(m_locked);
    QCOMPARE(chooser.result(), int(QDialog::Accepted));
    QCOMPARE(chooser.chosenFolder(), m_locked);

    const QString broken = m_dir.filePath(QStringLiteral("broken"));
    QVERIFY(QDir().mkpath(broken));
    QFile catalogue(broken + QStringLiteral("/Manifest.db"));
    QVERIFY(catalogue.open(QIODevice::WriteOnly));
    catalogue.write("garbage");
    catalogue.close();
    BackupChooser other;
    other.setRoots({});
    other.addFolder(broken);
    QCOMPARE(other.chosenFolder(), broken);
}

void BackupDialogsTest::nothingFound()
{
    BackupChooser chooser;
    chooser.setRoots({m_dir.filePath(QStringLiteral("no such root")), m_dir.filePath(QStringLiteral("just files"))});
    chooser.show();
    auto* empty = child<QLabel>(&chooser, "emptyLabel");
    QVERIFY(empty->isVisible());
    QCOMPARE(empty->text(),
             QStringLiteral("No phone backup was found in the usual places. Choose a folder that holds one."));
    QVERIFY(!child<QTreeWidget>(&chooser, "backupList")->isVisible());
    QVERIFY(!child<QPushButton>(&chooser, "openButton")->isEnabled());
    QVERIFY(child<QPushButton>(&chooser, "chooseFolderButton")->isEnabled());
    // Clicking Open anyway chooses nothing.
    child<QPushButton>(&chooser, "openButton")->click();
    QVERIFY(chooser.isVisible());

    // Once a folder brings backups, the list replaces the note.
    chooser.addFolder(m_dir.filePath(QStringLiteral("single")));
    QVERIFY(!empty->isVisible());
    QVERIFY(child<QTreeWidget>(&chooser, "backupList")->isVisible());
    QVERIFY(child<QPushButton>(&chooser, "openButton")->isEnabled());
}

void BackupDialogsTest::dialogsLookRight()
{
    PhoneBackup backup(m_slow);
    xdialogContainer<BackupPassword, xbackgroundFrame> password;
    password.setBackup(&backup);
    password.show();
    QVERIFY(QTest::qWaitForWindowExposed(&password));
    checkNothingClipped(&password);
    keepShot(&password, QStringLiteral("backup-password"));
    typeAndPress(&password, "wrong");
    auto* bar = child<QProgressBar>(&password, "progressBar");
    QTRY_VERIFY(bar->value() > 0);
    checkNothingClipped(&password);
    keepShot(&password, QStringLiteral("backup-password-running"));
    QTest::mouseClick(child<QPushButton>(&password, "cancelButton"), Qt::LeftButton);
    QVERIFY(!password.isDeriving());

    PhoneBackup locked(m_locked);
    xdialogContainer<BackupPassword, xbackgroundFrame> wrong;
    wrong.setBackup(&locked);
    wrong.show();
    QVERIFY(QTest::qWaitForWindowExposed(&wrong));
    typeAndPress(&wrong, "wrong");
    QTRY_VERIFY(!child<QLabel>(&wrong, "messageLabel")->text().isEmpty());
    checkNothingClipped(&wrong);
    keepShot(&wrong, QStringLiteral("backup-password-wrong"));

    xdialogContainer<BackupChooser, xbackgroundFrame> chooser;
    chooser.setRoots({m_dir.filePath(QStringLiteral("single")), m_dir.filePath(QStringLiteral("marks"))});
    chooser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chooser));
    checkNothingClipped(&chooser);
    // Every column shows its text whole.
    auto* list = child<QTreeWidget>(&chooser, "backupList");
    for (int column = BackupChooser::VersionColumn; column < BackupChooser::ColumnCount; ++column)
        QVERIFY(list->columnWidth(column) >= list->header()->sectionSizeHint(column));
    keepShot(&chooser, QStringLiteral("backup-chooser"));

    xdialogContainer<BackupChooser, xbackgroundFrame> empty;
    empty.setRoots({});
    empty.show();
    QVERIFY(QTest::qWaitForWindowExposed(&empty));
    checkNothingClipped(&empty);
    keepShot(&empty, QStringLiteral("backup-chooser-empty"));
}

QTEST_MAIN(BackupDialogsTest)

#include "tst_backupdialogs.moc"

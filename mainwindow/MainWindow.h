#pragma once

// The main window: the navigation list of data sources on the left (the
// phone, a header, one row per ".sms" backup file or phone backup folder
// opened), the page stack on the
// right (start picture, conversation list, chat page), the summary line and
// the BackUp / Copy buttons. It owns the stores of the source on display and
// hands them to the pages, which never own them.
//
// Rows of the navigation list, databasePaths and rowKinds stay parallel:
// entry i is the source of row i (0 the phone, 1 a placeholder for the
// header row, then ".sms" files and phone backup folders).
//
// Sources are read by a SourceLoader: the window stays responsive, and a
// read of more than half a second shows its progress.

#include <QMainWindow>
#include <QStringList>
#include <QVector>

#include <memory>

class BackupProgress;
class BackupRun;
class ContactStore;
class DetectIphoneAction;
class MessageStore;
struct DeviceLink;
class QAction;
class QFrame;
class SourceLoader;
struct SourceRequest;
namespace phonebackup {
class PhoneBackup;
struct BackupInfo;
}
class frame_page1;
class frame_page2;

namespace Ui {
class MainWindow;
}

// Completed loads of the phone's databases since start or since the last
// removal; 0 means the phone must be backed up and its databases located anew.
extern int phoneLoadCount;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The folder holding the ".sms" backups, without a trailing separator.
    static QString backupFolder();

public slots:
    // Link (true) or removal (false) of the phone; runs on the GUI thread in
    // the order of the device reports. The result is always true.
    bool detectIphone(bool islink);

    void ChangePageToNext(QString sss);
    void reBackToPage1(QString sss);
    void setIngWhichDB(int r);
    void removelistOne();
    void OpenOneData();

    void on_pushButtonBACKUP_clicked();
    void Open_A_BackUp();
    void Delete_A_BackUp();
    // "Open phone backup...": a backup folder of any layout becomes a source.
    void openPhoneBackup();
    // Opens a ".sms" backup file or a phone backup folder given at start:
    // its row is added (or found) and shown. A path that is neither is told
    // to the user; false then.
    bool openPath(const QString& path);

    void on_Btn_Back_clicked();
    void saveToTxt(QString path);
    void CopyOneMessage(QFrame* f, int t);
    void saveToTxt1(QString path);

    // The reader of sources (tests wait on its signals).
    SourceLoader* sourceLoader() const { return m_loader; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum Page { StartPage = 0, ListPage = 1, ChatPage = 2 };
    enum class RowKind { Phone, Header, SmsFile, PhoneBackupFolder };

    void listBackups();
    void appendBackupRow(const QString& path);
    void appendPhoneBackupRow(const phonebackup::BackupInfo& info);
    void showBackup(int r);
    void showPhoneBackup(int r);
    bool openPhoneBackupFolder(const QString& folder);
    bool isPhoneSourceRow(int r) const;
    // Reads a source into the stores with the pages detached; false when the
    // user cancelled the read: then nothing is on display.
    bool readSource(const SourceRequest& request);
    // Shows the stores' conversations; deletes only where they are allowed.
    void showStores(bool deletesOffered);
    void replayLinkReports();
    SourceRequest phoneRequest() const;
    // Asks for the password of an encrypted backup that is still locked;
    // false when it stays locked (the user cancelled, or it cannot be
    // unlocked: then the user is told why).
    bool unlockIfNeeded(phonebackup::PhoneBackup& backup);
    // Writes a ".sms" backup of the databases and shows it as a new row.
    void writeSmsBackup(const QByteArray& messages, const QByteArray& messagesWal, const QByteArray& book,
                        const QByteArray& bookWal);
    void leaveSourceUnloaded();
    void dropSourceOnDisplay();
    void setStartPicture(const QString& name);

    // Phone link steps.
    void rereadPhone();
    void startPhoneBackup();
    void onPhoneBackupFinished(bool ok, const QString& message);
    void loadPhoneDatabases();
    void showPhoneConversations();
    // The pages let go of the stores before these are replaced or dropped.
    void detachPages();
    // Runs the save dialog with the default export path; the dialog's OK
    // calls writer, which writes the file before the dialog closes.
    void runSaveDialog(void (MainWindow::*writer)(QString));

    std::unique_ptr<Ui::MainWindow> ui;
    frame_page1* listPage = nullptr;
    frame_page2* chatPage = nullptr;
    bool phoneLinked = false;
    std::unique_ptr<MessageStore> messageStore;
    std::unique_ptr<ContactStore> contactStore;
    // Filled by the device support once a phone is linked and its databases
    // are located inside its fresh device backup.
    QByteArray messageDbPath;
    int currentSourceRow = -1;
    QStringList exportLines;
    QAction* removeAction = nullptr;
    QAction* openAction = nullptr;
    QVector<QString> databasePaths;
    QVector<RowKind> rowKinds;
    QByteArray addressBookPath;
    // The write-ahead logs a phone backup keeps beside those databases.
    QByteArray messageWalPath;
    QByteArray addressBookWalPath;
    // The phone's fresh backup while its data is loaded: its decrypted
    // copies (of an encrypted backup) live as long as it does.
    std::unique_ptr<phonebackup::PhoneBackup> m_phoneBackup;
    // The phone backup folder on display, and the databases read from it.
    std::unique_ptr<phonebackup::PhoneBackup> m_shownBackup;
    QByteArray m_shownMessages, m_shownMessagesWal, m_shownBook, m_shownBookWal;
    // Folders whose warnings were told in this run.
    QStringList m_warnedBackups;

    SourceLoader* m_loader = nullptr;
    // Device reports that came while a read ran, in their order.
    QVector<bool> m_pendingLinkReports;

    DeviceLink* deviceLink = nullptr;
    DetectIphoneAction* m_linkNotifier = nullptr;
    BackupRun* m_backupRun = nullptr;
    BackupProgress* m_backupProgress = nullptr;
    // Set when the phone was removed while its backup ran: the run's own
    // ending is then no news to the user.
    bool m_backupAbandoned = false;
    // A link report came while such a run was stopping.
    bool m_relinkAfterRun = false;

    // Whether the last export file was written completely.
    bool m_exportWritten = false;
};

#pragma once

// The main window: the navigation list of data sources on the left (the
// phone, a header, one row per ".sms" backup file or phone backup folder
// opened), the page stack on the
// right (start picture, conversation list, chat page), the summary line and
// the BackUp / Copy buttons. It owns the stores of the source on display and
// hands them to the pages, which never own them.
//
// The window is a switchboard: it owns the pieces and connects them. Each
// job is a class of its own:
//   NavigationRows  the rows of the navigation list and databasePaths, kept
//                   parallel (entry i is the source of row i)
//   PhoneSession    the device reports, the phone's backup run and the
//                   databases located in that backup
//   SourceOpener    opens any source (".sms", phone backup, the phone),
//                   unlocking an encrypted backup
//   SourceDisplay   the source on display: reads it into the stores (through
//                   a SourceLoader, without freezing the window) and hands
//                   the stores to the pages
//   SmsFileWriter   writes ".sms" backups
//   TextExporter    the lines of the text export and its save dialog
//   ExportDialog    "File > Export…" (run by SourceDisplay on what it shows)

#include <QMainWindow>
#include <QStringList>
#include <QVector>

#include <memory>

class ContactStore;
class MessageStore;
class NavigationRows;
class PhoneSession;
namespace phonebackup {
class PhoneBackup;
}
class QAction;
class QFrame;
class SearchController;
class SourceLoader;
class SourceDisplay;
struct DeviceLink;
struct SourceRequest;
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
    SourceLoader* sourceLoader() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void replayLinkReports();
    // Writes a ".sms" backup of the databases and shows it as a new row.
    void writeSmsBackup(const SourceRequest& source, phonebackup::PhoneBackup* backup);

    // Phone link steps.
    void phoneRemoved();
    void phoneAttached();
    void rereadPhone();
    void onPhoneBackupDone();
    void loadPhoneDatabases();
    // Runs the save dialog with the default export path; the dialog's OK
    // calls writer, which writes the file before the dialog closes.
    void runSaveDialog(void (MainWindow::*writer)(QString));

    std::unique_ptr<Ui::MainWindow> ui;
    frame_page1* listPage = nullptr;
    frame_page2* chatPage = nullptr;
    bool phoneLinked = false;
    std::unique_ptr<MessageStore> messageStore;
    std::unique_ptr<ContactStore> contactStore;
    // The phone's link, owned by the phone session.
    DeviceLink* deviceLink = nullptr;
    // The phone's databases inside its fresh device backup, once located.
    QByteArray messageDbPath;
    int currentSourceRow = -1;
    QStringList exportLines;
    QAction* removeAction = nullptr;
    QAction* openAction = nullptr;
    QVector<QString> databasePaths;
    QByteArray addressBookPath;

    std::unique_ptr<NavigationRows> m_rows;
    PhoneSession* m_phone = nullptr;
    std::unique_ptr<SourceDisplay> m_display;
    // The search field, its results page and the find in the open chat.
    SearchController* m_search = nullptr;
    // Whether the last export file was written completely.
    bool m_exportWritten = false;
};

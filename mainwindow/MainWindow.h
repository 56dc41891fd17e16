#pragma once

// The main window: the navigation list of data sources on the left (the
// phone, a header, one row per ".sms" backup file), the page stack on the
// right (start picture, conversation list, chat page), the summary line and
// the BackUp / Copy buttons. It owns the stores of the source on display and
// hands them to the pages, which never own them.
//
// Rows of the navigation list and databasePaths stay parallel: entry i is
// the database of row i (0 the phone, 1 a placeholder for the header row).

#include <QMainWindow>
#include <QStringList>
#include <QVector>

#include <memory>

class ContactStore;
class MessageStore;
class QAction;
class QFrame;
class frame_page1;
class frame_page2;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The folder holding the ".sms" backups, without a trailing separator.
    static QString backupFolder();

public slots:
    void ChangePageToNext(QString sss);
    void reBackToPage1(QString sss);
    void setIngWhichDB(int r);
    void removelistOne();
    void OpenOneData();

    void on_pushButtonBACKUP_clicked();
    void Open_A_BackUp();
    void Delete_A_BackUp();

    void on_Btn_Back_clicked();
    void saveToTxt(QString path);
    void CopyOneMessage(QFrame* f, int t);
    void saveToTxt1(QString path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum Page { StartPage = 0, ListPage = 1, ChatPage = 2 };

    void listBackups();
    void appendBackupRow(const QString& path);
    void showBackup(int r);
    void dropSourceOnDisplay();
    void setStartPicture(const QString& name);
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
    QByteArray addressBookPath;

    // Whether the last export file was written completely.
    bool m_exportWritten = false;
};

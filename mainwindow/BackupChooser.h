#pragma once

// The "Open phone backup..." dialog: the backups found below the usual
// roots, and a folder dialog for one kept elsewhere (a MobileSync folder
// copied from another computer, or a backup folder itself). The dialog only
// chooses; the window opens the folder with PhoneBackup and says why when
// it is not a backup. It is used inside the shell's dialog container, like
// the save dialog.

#include <QDialog>
#include <QStringList>

class QDateTime;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace phonebackup {
struct BackupInfo;
}

// Lists the backups found below roots (findPhoneBackups) and returns the
// folder the user chose, or an empty string on Cancel.
QString choosePhoneBackup(QWidget* parent, const QStringList& roots);

// A backup's date as the dialogs show it: local time, "2026-11-30 14:05";
// empty when unknown.
QString backupDateText(const QDateTime& when);

class BackupChooser : public QDialog
{
    Q_OBJECT
public:
    enum Column { DeviceColumn, VersionColumn, DateColumn, StateColumn, ColumnCount };

    explicit BackupChooser(QWidget* parent = nullptr);

    // Replaces the list with the backups below roots.
    void setRoots(const QStringList& roots);
    // What "Choose folder..." does with the folder it was given: a folder
    // holding backups adds them to the list and selects the first; a
    // backup folder, or a folder that holds none, is chosen as it is and
    // the dialog accepts.
    void addFolder(const QString& folder);
    // The folder of the selected backup, once accepted; empty otherwise.
    QString chosenFolder() const { return m_chosen; }

protected:
    void changeEvent(QEvent* event) override;

private:
    // Adds the backups below roots; returns the first item added.
    QTreeWidgetItem* addBackups(const QStringList& roots);
    QTreeWidgetItem* addBackup(const phonebackup::BackupInfo& info);
    void addDamaged(const QString& error);
    int rowHeight() const;
    void chooseFolder();
    void openSelected();
    void choose(const QString& folder);
    void updateState();
    void retranslate();

    QString m_chosen;
    QLabel* m_heading = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_empty = nullptr;
    QPushButton* m_chooseFolder = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_cancel = nullptr;
};

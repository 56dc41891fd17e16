#pragma once

// The password dialog of an encrypted phone backup. The keys are derived on
// the unlock job's thread, so the window keeps painting through the long
// derivation of a real backup; Cancel stops it at once. The dialog never
// keeps the password: the field and every copy are cleared once the job has
// it. It is used inside the shell's dialog container, like the save dialog.
//
//   if (!askBackupPassword(this, backup))
//       return; // cancelled: nothing else is shown

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

namespace phonebackup {
class PhoneBackup;
class UnlockJob;
class UnlockedKeys;
enum class UnlockResult;
} // namespace phonebackup

// Asks for the password of an encrypted backup and unlocks it, modal to the
// whole application. True once backup.isUnlocked(), at once and without a
// dialog when it already is (not encrypted, or unlocked earlier in this
// run); false when the user cancelled or the backup cannot be unlocked by
// any password (then backup.errorString() says why).
bool askBackupPassword(QWidget* parent, phonebackup::PhoneBackup& backup);

class BackupPassword : public QDialog
{
    Q_OBJECT
public:
    explicit BackupPassword(QWidget* parent = nullptr);
    ~BackupPassword() override;

    // The backup to unlock; it must outlive the dialog. The dialog accepts
    // once it is unlocked.
    void setBackup(phonebackup::PhoneBackup* backup);
    bool isDeriving() const;

protected:
    void changeEvent(QEvent* event) override;
    // Escape, the window's close and Cancel: a running derivation is
    // stopped and the dialog closes without waiting for it to end.
    void reject() override;

private:
    void startUnlock();
    void unlockFinished(phonebackup::UnlockResult result, const phonebackup::UnlockedKeys& keys, const QString& error);
    void askAgain(const QString& message);
    void wipeField();
    void retranslate();

    phonebackup::PhoneBackup* m_backup = nullptr;
    std::unique_ptr<phonebackup::UnlockJob> m_job;

    QLabel* m_heading = nullptr;
    QLabel* m_backupLine = nullptr;
    QLabel* m_prompt = nullptr;
    QLineEdit* m_password = nullptr;
    QLabel* m_message = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

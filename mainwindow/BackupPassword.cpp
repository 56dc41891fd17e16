#include "BackupPassword.h"

#include "BackupChooser.h"
#include "BackupCrypto.h"
#include "PhoneBackup.h"
#include "UnlockJob.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using phonebackup::PhoneBackup;
using phonebackup::UnlockedKeys;
using phonebackup::UnlockJob;
using phonebackup::UnlockResult;

bool askBackupPassword(QWidget* parent, PhoneBackup& backup)
{
    if (backup.isUnlocked())
        return true;
    // A damaged backup or a bag without keys: no password can help, and
    // the caller reports the backup's own error.
    if (!backup.needsPassword() || !backup.keyBag())
        return false;
    xdialogContainer<BackupPassword, xbackgroundFrame> dialog(parent);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setBackup(&backup);
    dialog.exec();
    return backup.isUnlocked();
}

BackupPassword::BackupPassword(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackupPassword"));
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("headingLabel"));
    m_backupLine = new QLabel(this);
    m_backupLine->setObjectName(QStringLiteral("backupLabel"));
    m_backupLine->setWordWrap(true);
    m_backupLine->setTextFormat(Qt::PlainText);
    m_prompt = new QLabel(this);
    m_prompt->setObjectName(QStringLiteral("promptLabel"));
    m_prompt->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setContextMenuPolicy(Qt::NoContextMenu);
    m_prompt->setBuddy(m_password);
    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messageLabel"));
    m_message->setWordWrap(true);
    m_message->setTextFormat(Qt::PlainText);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progressBar"));
    m_progress->setRange(0, 100);
    m_progress->setTextVisible(true);
    m_progress->hide();
    // The bar comes and goes; the field above it should not jump when it does.
    QSizePolicy keep = m_progress->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(keep);
    m_ok = new QPushButton(this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &BackupPassword::startUnlock);
    connect(m_cancel, &QPushButton::clicked, this, &BackupPassword::reject);
    connect(m_password, &QLineEdit::textChanged, this, [this] {
        if (!isDeriving())
            m_ok->setEnabled(!m_password->text().isEmpty());
    });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_backupLine);
    layout->addSpacing(8);
    layout->addWidget(m_prompt);
    layout->addWidget(m_password);
    layout->addWidget(m_message);
    layout->addWidget(m_progress);
    layout->addStretch(1);
    layout->addLayout(buttons);
    m_ok->setEnabled(false);
    resize(460, 300);
    retranslate();
}

BackupPassword::~BackupPassword() = default;

void BackupPassword::setBackup(PhoneBackup* backup)
{
    m_backup = backup;
    retranslate();
}

bool BackupPassword::isDeriving() const
{
    return m_job != nullptr;
}

void BackupPassword::startUnlock()
{
    if (!m_backup || isDeriving() || m_password->text().isEmpty())
        return;
    if (m_backup->isUnlocked()) {
        accept();
        return;
    }
    const std::optional<phonebackup::KeyBag> bag = m_backup->keyBag();
    if (!bag) {
        askAgain(m_backup->errorString());
        return;
    }
    QByteArray password = m_password->text().toUtf8();
    // The job keeps its own copy and wipes it when done; ours is wiped at
    // once and the field is emptied.
    m_job = std::make_unique<UnlockJob>(*bag, password);
    phonebackup::crypto::wipe(password);
    wipeField();
    connect(m_job.get(), &UnlockJob::progress, m_progress, &QProgressBar::setValue);
    connect(m_job.get(), &UnlockJob::finished, this, &BackupPassword::unlockFinished);

    m_message->clear();
    m_password->setEnabled(false);
    m_ok->setEnabled(false);
    m_progress->setValue(0);
    m_progress->show();
    m_job->start();
}

void BackupPassword::unlockFinished(UnlockResult result, const UnlockedKeys& keys, const QString& error)
{
    // Released later: this runs inside the job's own signal.
    m_job.release()->deleteLater();
    switch (result) {
    case UnlockResult::Unlocked:
        if (m_backup->unlock(keys)) {
            accept();
            return;
        }
        askAgain(m_backup->lastError());
        return;
    case UnlockResult::WrongPassword:
        askAgain(tr("The password is wrong. Please try again."));
        return;
    case UnlockResult::Failed:
        askAgain(error);
        return;
    case UnlockResult::Cancelled:
        // Only this dialog cancels, and it closes when it does.
        askAgain(QString());
        return;
    }
}

void BackupPassword::askAgain(const QString& message)
{
    m_progress->hide();
    m_message->setText(message);
    m_password->setEnabled(true);
    wipeField();
    m_ok->setEnabled(false);
    m_password->setFocus();
}

void BackupPassword::wipeField()
{
    // setText, unlike clear(), also drops the field's undo steps, which
    // would hold what was typed.
    m_password->setText(QString());
}

void BackupPassword::reject()
{
    if (m_job) {
        // The derivation looks at the flag every few thousand rounds, so
        // the job's end (its destructor waits for the thread) is a matter
        // of milliseconds even at ten million rounds.
        m_job->cancel();
        m_job.reset();
        m_progress->hide();
    }
    wipeField();
    QDialog::reject();
}

void BackupPassword::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void BackupPassword::retranslate()
{
    m_heading->setText(tr("Encrypted backup"));
    m_prompt->setText(tr("This backup is encrypted. Enter the password that was set for the phone's backups:"));
    QString name;
    QString when;
    if (m_backup) {
        const phonebackup::BackupInfo& info = m_backup->info();
        name = info.deviceName.isEmpty() ? info.identifier : info.deviceName;
        when = backupDateText(info.lastBackupDate);
    }
    if (name.isEmpty())
        m_backupLine->clear();
    else if (when.isEmpty())
        m_backupLine->setText(name);
    else
        m_backupLine->setText(tr("%1, backed up %2").arg(name, when));
    m_progress->setFormat(tr("Checking the password… %p%"));
    m_ok->setText(tr("OK"));
    m_cancel->setText(tr("Cancel"));
}

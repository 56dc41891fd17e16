#include "BackupProgress.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A real phone's backup tool reports thousands of lines; the window keeps
// the latest ones only.
const int kKeptLines = 500;
} // namespace

BackupProgress::BackupProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BackupProgress"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("labelBackupCaption"));
    m_caption->setWordWrap(true);
    m_output = new QPlainTextEdit(this);
    m_output->setObjectName(QStringLiteral("plainTextEditBackupOutput"));
    m_output->setReadOnly(true);
    m_output->setMaximumBlockCount(kKeptLines);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_cancel = new QPushButton(this);
    m_cancel->setObjectName(QStringLiteral("pushButtonCancelBackup"));
    connect(m_cancel, &QPushButton::clicked, this, &BackupProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_output, 1);
    layout->addLayout(buttons);
    resize(520, 320);
    retranslate();
}

void BackupProgress::startRun()
{
    m_output->clear();
    m_cancel->setEnabled(true);
    retranslate();
}

void BackupProgress::appendLine(const QString& line)
{
    m_output->appendPlainText(line);
}

QString BackupProgress::outputText() const
{
    return m_output->toPlainText();
}

void BackupProgress::reject()
{
    if (!m_cancel->isEnabled())
        return;
    // Stopping a tool takes a moment; a second press would change nothing.
    m_cancel->setEnabled(false);
    m_caption->setText(tr("Cancelling the backup..."));
    emit cancelRequested();
}

void BackupProgress::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        retranslate();
}

void BackupProgress::retranslate()
{
    if (m_cancel->isEnabled())
        m_caption->setText(tr("Backing up the iPhone. The first backup of a phone can take a long time."));
    m_cancel->setText(tr("Cancel"));
}

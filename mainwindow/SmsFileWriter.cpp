#include "SmsFileWriter.h"

#include "AttachmentBackup.h"
#include "AttachmentFiles.h"
#include "ContactStore.h"
#include "MessageStore.h"
#include "SourceLoader.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProgressDialog>

SmsFileWriter::Written SmsFileWriter::write(QWidget* parent, const QString& folder, const SourceRequest& source,
                                            ContactStore* contacts, const MessageStore* messages,
                                            phonebackup::PhoneBackup* backup)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + backupwriter::backupFileName(QDateTime::currentDateTime());

    QVector<ContactRecord> records;
    if (contacts) {
        contacts->readPhoneAddressBook(source.bookPath, source.bookWal);
        records = contacts->contacts;
    }
    const std::unique_ptr<AttachmentFiles> files =
        backup ? attachmentfiles::ofPhoneBackup(backup) : attachmentfiles::none();
    const QVector<AttachmentRecord> attachments =
        messages ? attachmentbackup::attachmentsOf(*messages) : QVector<AttachmentRecord>();
    QProgressDialog progress(QCoreApplication::translate("MainWindow", "Backing up the attachments..."),
                             QCoreApplication::translate("MainWindow", "Cancel"), 0, 1000, parent);
    progress.setObjectName(QStringLiteral("attachmentBackupProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(800);
    progress.setValue(0);
    const auto result = attachmentbackup::writeBackup(QString::fromUtf8(source.messagesPath), path, records,
                                                      QString::fromUtf8(source.messagesWal), *files, attachments,
                                                      [&progress](qint64 done, qint64 total) {
                                                          progress.setValue(total > 0 ? int(done * 1000 / total) : 0);
                                                          QCoreApplication::processEvents();
                                                          return !progress.wasCanceled();
                                                      });
    progress.reset();
    Written written;
    written.cancelled = result == attachmentbackup::Result::Cancelled;
    if (result == attachmentbackup::Result::Written)
        written.path = path;
    return written;
}

#include "SmsFileWriter.h"

#include "BackupWriter.h"
#include "ContactStore.h"
#include "SourceLoader.h"

#include <QDateTime>
#include <QDir>

QString SmsFileWriter::write(const QString& folder, const SourceRequest& source, ContactStore* contacts)
{
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + backupwriter::backupFileName(QDateTime::currentDateTime());

    QVector<ContactRecord> records;
    if (contacts) {
        contacts->readPhoneAddressBook(source.bookPath, source.bookWal);
        records = contacts->contacts;
    }
    const auto result = backupwriter::writeBackup(QString::fromUtf8(source.messagesPath), path, records,
                                                  QString::fromUtf8(source.messagesWal));
    return result == backupwriter::Result::Written ? path : QString();
}

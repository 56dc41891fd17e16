#include "SourceOpener.h"

#include "BackupPassword.h"
#include "NavigationRows.h"
#include "xdialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

bool SourceOpener::checkPhoneBackup(const QString& folder, phonebackup::BackupInfo* info) const
{
    const phonebackup::PhoneBackup probe(folder);
    if (!probe.isValid()) {
        infoDialogOK(
            nullptr, QCoreApplication::translate("MainWindow", "Warning"),
            QCoreApplication::translate("MainWindow", "This folder is no phone backup that can be read:\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(folder), probe.errorString()));
        return false;
    }
    *info = probe.info();
    return true;
}

int SourceOpener::listedRow(const QString& path, NavigationRows& rows) const
{
    // A source listed already (or opened before) keeps its one row.
    const QFileInfo file(path);
    if (file.isDir()) {
        phonebackup::BackupInfo info;
        if (!checkPhoneBackup(file.absoluteFilePath(), &info))
            return -1;
        const int row = rows.findPhoneBackup(info.folder);
        return row >= 0 ? row : rows.appendPhoneBackup(info);
    }
    if (file.isFile()) {
        const int row = rows.find(NavigationRows::Kind::SmsFile, file.absoluteFilePath());
        return row >= 0 ? row : rows.appendSmsFile(file.absoluteFilePath());
    }
    infoDialogOK(nullptr, QCoreApplication::translate("MainWindow", "Warning"),
                 QCoreApplication::translate("MainWindow", "There is no .sms backup or phone backup folder at\n%1")
                     .arg(QDir::toNativeSeparators(path)));
    return -1;
}

OpenedSource SourceOpener::openSmsFile(const QString& path) const
{
    OpenedSource source;
    source.status = OpenedSource::Status::Opened;
    // SQLite takes UTF-8 file names on every system.
    source.request.messagesPath = path.toUtf8();
    source.request.access = StoreAccess::ReadWrite;
    source.request.names = SourceRequest::Names::FromBackupFile;
    return source;
}

OpenedSource SourceOpener::openPhoneBackup(const QString& folder) const
{
    OpenedSource source;
    auto backup = std::make_unique<phonebackup::PhoneBackup>(folder);
    // An empty path would read as an empty phone with no messages at all.
    if (folder.isEmpty() || !backup->isValid()) {
        source.status = OpenedSource::Status::NotReadable;
        source.detail = backup->errorString();
        return source;
    }
    if (!unlockIfNeeded(*backup)) {
        source.status = OpenedSource::Status::Cancelled;
        return source;
    }
    source.databases = backup->phoneDatabases();
    if (!source.databases.error.isEmpty()) {
        source.status = OpenedSource::Status::NoMessages;
        source.detail = source.databases.error;
        return source;
    }
    source.request = phoneDatabasesRequest(source.databases);
    source.backup = std::move(backup);
    source.status = OpenedSource::Status::Opened;
    return source;
}

SourceRequest SourceOpener::phoneDatabasesRequest(const phonebackup::PhoneDatabases& databases)
{
    SourceRequest request;
    // Paths are kept whole: a cut path would name another file or none.
    request.messagesPath = databases.messages.path.toUtf8();
    request.messagesWal = databases.messages.walPath.toUtf8();
    request.access = StoreAccess::ReadOnly;
    request.names = SourceRequest::Names::FromPhoneBook;
    request.bookPath = databases.addressBook.path.toUtf8();
    request.bookWal = databases.addressBook.walPath.toUtf8();
    return request;
}

bool SourceOpener::unlockIfNeeded(phonebackup::PhoneBackup& backup) const
{
    if (!backup.needsPassword())
        return true;
    // Without its key bag no password can open it: say why instead of asking.
    if (!backup.keyBag()) {
        infoDialogOK(nullptr, QCoreApplication::translate("MainWindow", "Warning"), backup.errorString());
        return false;
    }
    return askBackupPassword(m_parent, backup);
}

#include "AttachmentSaving.h"

#include "SafeFileName.h"

#include <QDir>
#include <QFile>

namespace attachmentsaving {

namespace {

bool fill(AttachmentFiles& files, const AttachmentRecord& attachment, QFile* file, QString* why)
{
    if (files.copyTo(attachment, file, why) && file->flush()) {
        file->close();
        if (file->error() == QFileDevice::NoError)
            return true;
        *why = QStringLiteral("the file cannot be written");
    }
    if (why->isEmpty())
        *why = QStringLiteral("the file cannot be written");
    file->close();
    file->remove();
    return false;
}

} // namespace

QString saveInto(AttachmentFiles& files, const AttachmentRecord& attachment, const QString& folder, QString* why)
{
    if (!files.isPresent(attachment)) {
        *why = attachmentfiles::notInBackup();
        return {};
    }
    QFile file;
    const QString path = safename::createUniqueFile(folder, attachment.shownName(), &file);
    if (path.isEmpty()) {
        *why = QStringLiteral("no file can be made in %1").arg(QDir::toNativeSeparators(folder));
        return {};
    }
    return fill(files, attachment, &file, why) ? path : QString();
}

bool saveAs(AttachmentFiles& files, const AttachmentRecord& attachment, const QString& path, QString* why)
{
    if (!files.isPresent(attachment)) {
        *why = attachmentfiles::notInBackup();
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *why = QFile::exists(path) ? QStringLiteral("a file of that name is already there")
                                   : QStringLiteral("the file cannot be made");
        return false;
    }
    return fill(files, attachment, &file, why);
}

Report saveAll(AttachmentFiles& files, const QVector<AttachmentRecord>& attachments, const QString& folder)
{
    Report report;
    if (!QDir().mkpath(folder)) {
        for (const AttachmentRecord& a : attachments)
            report.failures.append(a.shownName() + QStringLiteral(": the folder cannot be made"));
        return report;
    }
    for (const AttachmentRecord& a : attachments) {
        if (!files.isPresent(a)) {
            report.missing.append(a);
            continue;
        }
        QString why;
        const QString path = saveInto(files, a, folder, &why);
        if (path.isEmpty())
            report.failures.append(a.shownName() + QStringLiteral(": ") + why);
        else
            report.written.append(path);
    }
    return report;
}

} // namespace attachmentsaving

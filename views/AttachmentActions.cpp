#include "AttachmentActions.h"

#include "AttachmentSaving.h"
#include "PrivateFolder.h"
#include "SafeFileName.h"
#include "xdialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace views {

namespace {

AttachmentActions::UrlOpener& urlOpener()
{
    static AttachmentActions::UrlOpener opener;
    return opener;
}

QString startFolder()
{
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
}

} // namespace

AttachmentActions::AttachmentActions(QObject* parent) : QObject(parent) {}

AttachmentActions::~AttachmentActions() = default;

void AttachmentActions::setUrlOpener(UrlOpener opener)
{
    urlOpener() = std::move(opener);
}

QString AttachmentActions::openedCopiesFolder() const
{
    return m_copies ? m_copies->path() : QString();
}

bool AttachmentActions::open(const AttachmentRecord& attachment, QWidget* parent)
{
    if (!m_files || !m_files->isPresent(attachment)) {
        infoDialogOK(parent, tr("Information"),
                     tr("%1 is not in this backup.").arg(safename::safeFileName(attachment.shownName())));
        return false;
    }
    if (!m_copies) {
        m_copies = std::make_unique<phonebackup::PrivateFolder>();
        if (!m_copies->isValid()) {
            m_copies.reset();
            infoDialogOK(parent, tr("Warning"), tr("The attachment cannot be opened."));
            return false;
        }
    }
    QFile file;
    const QString path = safename::createUniqueFile(m_copies->path(), attachment.shownName(), &file);
    QString why;
    bool ok = !path.isEmpty() && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
              m_files->copyTo(attachment, &file, &why) && file.flush();
    file.close();
    if (!ok) {
        if (!path.isEmpty())
            QFile::remove(path);
        infoDialogOK(parent, tr("Warning"), tr("The attachment cannot be opened."));
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    ok = urlOpener() ? urlOpener()(url) : QDesktopServices::openUrl(url);
    if (!ok)
        infoDialogOK(parent, tr("Warning"), tr("No program to open %1 was found.").arg(QFileInfo(path).fileName()));
    return ok;
}

QString AttachmentActions::save(const AttachmentRecord& attachment, QWidget* parent)
{
    if (!m_files || !m_files->isPresent(attachment)) {
        infoDialogOK(parent, tr("Information"),
                     tr("%1 is not in this backup.").arg(safename::safeFileName(attachment.shownName())));
        return {};
    }
    const QString suggested = QDir(startFolder()).filePath(safename::safeFileName(attachment.shownName()));
    const QString chosen =
        QFileDialog::getSaveFileName(parent, tr("Save attachment"), suggested, QString(), nullptr,
                                     QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    if (chosen.isEmpty())
        return {};
    // The name typed is made safe too, and a file already there is kept:
    // the new one takes the next free number.
    QString why;
    const QFileInfo info(chosen);
    QFile file;
    const QString path = safename::createUniqueFile(info.absolutePath(), info.fileName(), &file);
    bool ok = !path.isEmpty() && m_files->copyTo(attachment, &file, &why) && file.flush();
    file.close();
    if (!ok) {
        if (!path.isEmpty())
            QFile::remove(path);
        infoDialogOK(parent, tr("Warning"), tr("The attachment could not be saved."));
        return {};
    }
    return path;
}

QStringList AttachmentActions::saveAll(const QVector<AttachmentRecord>& attachments, QWidget* parent)
{
    if (!m_files || attachments.isEmpty()) {
        infoDialogOK(parent, tr("Information"), tr("This conversation has no attachments."));
        return {};
    }
    const QString folder =
        QFileDialog::getExistingDirectory(parent, tr("Save all attachments"), startFolder(),
                                          QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return {};
    const attachmentsaving::Report report = attachmentsaving::saveAll(*m_files, attachments, folder);
    QString text = tr("%n attachment(s) saved.", nullptr, int(report.written.size()));
    if (!report.missing.isEmpty())
        text += QLatin1Char('\n') + tr("%n not in this backup.", nullptr, int(report.missing.size()));
    if (!report.failures.isEmpty())
        text += QLatin1Char('\n') + tr("%n could not be saved.", nullptr, int(report.failures.size()));
    infoDialogOK(parent, tr("Information"), text);
    return report.written;
}

} // namespace views

#include "ExportTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

namespace exporting {

namespace {

struct Export
{
    Q_DECLARE_TR_FUNCTIONS(Export)
};

// ".name.part-XXXXXX" beside the target: hidden, and on the same file
// system, so that the last step is a rename.
QString temporaryPattern(const QString& path)
{
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".part-XXXXXX");
}

bool isEmptyFolder(const QString& path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

ExportTarget::Check ExportTarget::check(const QString& path, bool folder)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.absoluteDir().exists())
        return Check::NoParent;
    if (!info.exists() && !info.isSymLink())
        return Check::Free;
    if (folder && info.isDir() && !info.isSymLink())
        return isEmptyFolder(path) ? Check::Free : Check::FolderNotEmpty;
    return Check::Exists;
}

QString ExportTarget::refusal(Check check, const QString& path)
{
    switch (check) {
    case Check::Free:
        return QString();
    case Check::Exists:
        return Export::tr("%1: a file of that name is already there").arg(path);
    case Check::FolderNotEmpty:
        return Export::tr("%1: the folder is not empty").arg(path);
    case Check::NoParent:
        return Export::tr("%1: its folder does not exist").arg(path);
    }
    return QString();
}

ExportTarget::ExportTarget(const QString& path, bool folder) : m_path(path), m_folder(folder) {}

ExportTarget::~ExportTarget()
{
    if (m_committed)
        return;
    // Both remove what they hold when they go.
    m_file.reset();
    m_dir.reset();
}

bool ExportTarget::open(QString* why)
{
    const Check before = check(m_path, m_folder);
    if (before != Check::Free) {
        *why = refusal(before, m_path);
        return false;
    }
    if (m_folder) {
        m_dir = std::make_unique<QTemporaryDir>(temporaryPattern(m_path));
        if (!m_dir->isValid()) {
            *why = Export::tr("%1: cannot be written: %2").arg(m_path, m_dir->errorString());
            return false;
        }
        return true;
    }
    m_file = std::make_unique<QTemporaryFile>(temporaryPattern(m_path));
    if (!m_file->open()) {
        *why = Export::tr("%1: cannot be written: %2").arg(m_path, m_file->errorString());
        return false;
    }
    return true;
}

QIODevice* ExportTarget::file() const
{
    return m_file.get();
}

QString ExportTarget::folder() const
{
    return m_dir ? m_dir->path() : QString();
}

bool ExportTarget::commit(QString* why)
{
    if (m_folder) {
        if (!m_dir || !m_dir->isValid())
            return false;
        // An empty folder chosen as the target gives way to the new one; a
        // folder that filled up meanwhile does not.
        if (QFileInfo(m_path).isDir() && !QDir().rmdir(m_path)) {
            *why = refusal(Check::FolderNotEmpty, m_path);
            return false;
        }
        if (!QDir().rename(m_dir->path(), m_path)) {
            *why = refusal(Check::Exists, m_path);
            return false;
        }
        m_dir->setAutoRemove(false);
        m_committed = true;
        return true;
    }
    if (!m_file)
        return false;
    if (!m_file->flush() || m_file->error() != QFileDevice::NoError) {
        *why = Export::tr("%1: cannot be written: %2").arg(m_path, m_file->errorString());
        return false;
    }
    m_file->close();
    // A plain rename never replaces: a file that took the name meanwhile stays.
    if (!QFile::rename(m_file->fileName(), m_path)) {
        *why = refusal(Check::Exists, m_path);
        return false;
    }
    m_file->setAutoRemove(false);
    m_committed = true;
    return true;
}

} // namespace exporting

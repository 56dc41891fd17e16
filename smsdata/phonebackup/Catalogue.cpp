#include "Catalogue.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace phonebackup {

QString layoutName(BackupLayout layout)
{
    switch (layout) {
    case BackupLayout::DescriptionFiles:
        return QStringLiteral("description files");
    case BackupLayout::ManifestMbdb:
        return QStringLiteral("Manifest.mbdb");
    case BackupLayout::ManifestDb:
        return QStringLiteral("Manifest.db");
    case BackupLayout::None:
        break;
    }
    return QStringLiteral("none");
}

QVector<BackupLayout> layoutsPresent(const QString& folder)
{
    QVector<BackupLayout> found;
    const QDir dir(folder);
    // exists() rather than isFile(): a catalogue that is not a regular file
    // is reported when it is read, not taken for a missing one.
    if (QFileInfo::exists(dir.filePath(QStringLiteral("Manifest.db"))))
        found.append(BackupLayout::ManifestDb);
    if (QFileInfo::exists(dir.filePath(QStringLiteral("Manifest.mbdb"))))
        found.append(BackupLayout::ManifestMbdb);
    // A flat folder of the Manifest.mbdb layout may hold a hundred thousand
    // files and never a description file: it is not searched for them.
    if (found.contains(BackupLayout::ManifestMbdb))
        return found;
    QDirIterator it(folder, {QStringLiteral("*mdinfo")}, QDir::Files | QDir::Hidden | QDir::System);
    if (it.hasNext())
        found.append(BackupLayout::DescriptionFiles);
    return found;
}

} // namespace phonebackup

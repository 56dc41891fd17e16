#pragma once

// The layout of iOS 3 backups: every phone file is a pair of a description
// "<name>.mdinfo" and its content "<name>.mddata". A description is a
// property list naming the file's Domain and Path, either at its top level
// or in the nested property list of its Metadata. Descriptions are read
// once, in name order; when several describe the same file, the first in
// name order comes first.

#include "Catalogue.h"

#include <QHash>

namespace phonebackup {

class DescriptionFiles : public Catalogue
{
public:
    // canonicalFolder: the backup folder with its links resolved.
    explicit DescriptionFiles(const QString& canonicalFolder);

    BackupLayout layout() const override { return BackupLayout::DescriptionFiles; }
    std::optional<QVector<CatalogueEntry>> find(const QString& domain, const QString& relativePath,
                                                QString* error) override;

    // The Domain and Path a description names; nullopt when the bytes are
    // not a description.
    static std::optional<QPair<QString, QString>> parseDescription(const QByteArray& bytes);

private:
    void readDescriptions();

    QString m_folder;
    bool m_read = false;
    QHash<QString, QVector<CatalogueEntry>> m_entries;
};

} // namespace phonebackup

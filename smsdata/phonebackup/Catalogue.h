#pragma once

// What the three backup layouts have in common: a catalogue that maps a
// file's domain and phone-side path to where its content lies in the
// backup folder. One class per layout, each in a file of its own:
//   DescriptionFiles     iOS 3: "<name>.mdinfo" describing "<name>.mddata"
//   MbdbCatalogue        iOS 4 to 9: the binary Manifest.mbdb, files flat
//   ManifestDbCatalogue  iOS 10 and later: the SQLite Manifest.db, files
//                        under "<first two hex digits>/<file id>"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

namespace phonebackup {

enum class BackupLayout { None, DescriptionFiles, ManifestMbdb, ManifestDb };

// "description files", "Manifest.mbdb", "Manifest.db" or "none".
QString layoutName(BackupLayout layout);

// The layouts whose catalogue is present in the folder, newest first.
QVector<BackupLayout> layoutsPresent(const QString& folder);

struct CatalogueEntry
{
    enum class Kind { File, Folder, Link, Other };

    QString domain;
    QString relativePath;
    Kind kind = Kind::File;
    // The name the layout gives the content: forty hex digits in the two
    // catalogued layouts, the pair's name in the description layout.
    QString fileId;
    // Where the content may lie, in the order to try.
    QStringList dataPaths;
    // The plain size when the catalogue records it, else -1.
    qint64 size = -1;
    quint32 protectionClass = 0;
    // Encrypted backups: 4-byte little-endian protection class, then the
    // file's key wrapped with that class's key.
    QByteArray encryptionKey;
    // The catalogue's record of the file could not be read in full.
    bool recordDamaged = false;
};

class Catalogue
{
public:
    virtual ~Catalogue() = default;
    virtual BackupLayout layout() const = 0;
    // The entries with exactly this domain and relative path, in the order
    // to try; nullopt with *error when the catalogue cannot be read.
    virtual std::optional<QVector<CatalogueEntry>> find(const QString& domain, const QString& relativePath,
                                                        QString* error) = 0;
};

} // namespace phonebackup

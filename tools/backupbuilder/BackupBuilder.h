#pragma once

// Writes a phone backup folder as the phone's backup service does, in any
// of the three layouts, and encrypted the way iOS 10.2 and later encrypt
// (or, with no second derivation step, as iOS 4 to 10.1 did):
//
//   backupbuilder::Options options;
//   options.layout = backupbuilder::Layout::ManifestDb;
//   options.encrypted = true;
//   options.password = "secret";
//   backupbuilder::writeBackup(folder, {{"HomeDomain", "Library/SMS/sms.db", bytes}}, options, &error);
//
// Every file is written beside its old version and renamed over it, and
// the catalogue and the lists come after the files, Status.plist last: a
// backup already in the folder stays readable at every moment, and a run
// stopped through Options::beforeFile leaves it as it was, apart from the
// files already replaced. Files of an earlier backup that this one lacks
// are left in place.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace backupbuilder {

enum class Layout { DescriptionFiles, ManifestMbdb, ManifestDb };

struct PhoneFile
{
    enum class Kind { File, Folder, Link };

    PhoneFile() = default;
    PhoneFile(const QString& domain, const QString& relativePath, const QByteArray& content = QByteArray(),
              Kind kind = Kind::File, const QString& linkTarget = QString())
        : domain(domain), relativePath(relativePath), content(content), kind(kind), linkTarget(linkTarget)
    {
    }

    QString domain;
    QString relativePath;
    QByteArray content;
    Kind kind = Kind::File;
    QString linkTarget;
    // The phone's data protection class of the file (3 for most files).
    quint32 protectionClass = 3;
};

struct DeviceInfo
{
    QString deviceName = QStringLiteral("Test iPhone");
    QString productVersion = QStringLiteral("17.2");
    QString productType = QStringLiteral("iPhone15,2");
    QString buildVersion = QStringLiteral("21C62");
    QString serialNumber = QStringLiteral("F2LXK0T3PQ7M");
    // Empty: the backup folder's name.
    QString uniqueIdentifier;
    // Invalid: now.
    QDateTime lastBackupDate;
};

struct Options
{
    Layout layout = Layout::ManifestDb;
    DeviceInfo device;

    bool encrypted = false;
    QByteArray password;
    // SALT/ITER rounds (SHA-1) and DPSL/DPIC rounds (SHA-256). Real bags
    // use 10,000 and 10,000,000; tests use few. A DPIC of 0 writes a bag
    // without the second step, as before iOS 10.2.
    quint32 iterations = 16;
    quint32 doubleProtectionIterations = 16;
    // False: Manifest.db stays plain in an encrypted backup (iOS 10.0, 10.1).
    bool encryptManifestDb = true;
    // True: an encrypted backup already in the folder that the password
    // opens keeps its key bag, class keys and catalogue key, and every file
    // key comes from its class key and the file's name, as a phone keeps
    // its keys from one backup to the next. An unchanged file then keeps
    // its stored bytes, so the earlier catalogue opens it at every moment
    // of the run. Costs one unlock of the earlier bag. Without such a
    // backup, fresh keys as usual.
    bool keepKeys = false;

    bool writeInfoPlist = true;
    bool writeStatusPlist = true;
    bool writeManifestPlist = true;
    bool binaryPlists = false;
    QString snapshotState = QStringLiteral("finished");

    // Called before each file is written with its index and the number of
    // files; false stops the run there (writeBackup then returns false).
    std::function<bool(int index, int count)> beforeFile;
    // Called once after the files, before the catalogue and the lists;
    // false stops the run there.
    std::function<bool()> beforeCatalogue;
};

bool writeBackup(const QString& folder, const QList<PhoneFile>& files, const Options& options,
                 QString* error = nullptr);

// Pieces for tests that damage a backup on purpose.
// The file's name in a backup: SHA-1 (hex) of domain, "-" and path.
QString fileId(const QString& domain, const QString& relativePath);
// Where the layout puts the content of that file.
QString dataPath(Layout layout, const QString& folder, const QString& domain, const QString& relativePath);
// A Files.file record: an MBFile keyed archive with Size, ProtectionClass
// and, when given, EncryptionKey (4-byte little-endian class + wrapped key).
QByteArray fileRecord(qint64 size, quint32 protectionClass, const QByteArray& encryptionKey = QByteArray(),
                      const QString& relativePath = QString());
// A property list of one dictionary of text values.
QByteArray plistOfStrings(const QList<QPair<QString, QString>>& values, bool binary = false);

} // namespace backupbuilder

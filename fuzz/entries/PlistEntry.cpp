// The property-list readers on arbitrary bytes: the bounds check, the
// parser behind it, a catalogue's file record, a description file and the
// three lists of a backup folder. Nothing the check lets through may crash
// the parser, and a list it parsed stays within the bounds when written out
// again. The first byte picks which of the folder's lists the rest becomes.

#include "FuzzEntries.h"

#include "BackupInfo.h"
#include "DescriptionFiles.h"
#include "ManifestDbCatalogue.h"
#include "PlistValue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

// Every value of a parsed list is read once through the typed accessors;
// an explicit stack, as the lists may be deep.
void readAllValues(phonebackup::plistvalue::Node root)
{
    using namespace phonebackup::plistvalue;
    QVector<Node> pending{root};
    while (!pending.isEmpty()) {
        const Node node = pending.takeLast();
        string(node);
        boolean(node);
        integer(node);
        data(node);
        date(node);
        uid(node);
        for (quint32 i = 0; i < arraySize(node); ++i)
            pending.append(arrayItem(node, i));
        for (const char* key : {"$objects", "$top", "root", "Metadata", "Domain", "Path", "Lockdown"}) {
            if (const Node child = item(node, key))
                pending.append(child);
        }
    }
}

const QString& scratchFolder()
{
    static QTemporaryDir dir;
    static const QString path = dir.path();
    return path;
}

} // namespace

namespace fuzzentries {

int plist(const uint8_t* data, size_t size)
{
    using namespace phonebackup;
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    for (const plistvalue::Bounds& bounds : {plistvalue::Bounds(), plistvalue::kRecordBounds}) {
        QString why;
        const plistvalue::Tree tree = plistvalue::parse(bytes, bounds, &why);
        if (!tree) {
            if (why.isEmpty())
                std::abort();
            continue;
        }
        if (!plistvalue::checkBounds(bytes, bounds).isEmpty())
            std::abort();
        readAllValues(tree.get());
        // Written out, shared objects are copied: the bytes may grow, the
        // nesting and the values may not.
        plistvalue::Bounds written = bounds;
        written.maxBytes = std::numeric_limits<qint64>::max();
        if (!plistvalue::checkBounds(plistvalue::toBinary(tree.get()), written).isEmpty())
            std::abort();
    }
    parseFileRecord(bytes);
    DescriptionFiles::parseDescription(bytes);

    static const char* const lists[] = {"Info.plist", "Status.plist", "Manifest.plist"};
    const QString folder = scratchFolder();
    if (folder.isEmpty())
        return 0;
    for (const char* name : lists)
        QFile::remove(folder + QLatin1Char('/') + QLatin1String(name));
    QFile file(folder + QLatin1Char('/') + QLatin1String(lists[data[0] % 3]));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 0;
    file.close();
    QString error;
    const std::optional<BackupInfo> info = readBackupInfo(folder, &error);
    if (!info && error.isEmpty())
        std::abort();
    return 0;
}

} // namespace fuzzentries

#include "DescriptionFiles.h"

#include "FileChecks.h"
#include "PlistValue.h"

#include <QDebug>
#include <QDir>

namespace phonebackup {

namespace {

// Descriptions are a few hundred bytes; a larger file named like one is
// not read.
constexpr qint64 kDescriptionReadLimit = 1 << 20;

QString key(const QString& domain, const QString& relativePath)
{
    return domain + QChar(0) + relativePath;
}

std::optional<QPair<QString, QString>> domainAndPath(plistvalue::Node dict)
{
    const std::optional<QString> path = plistvalue::string(plistvalue::item(dict, "Path"));
    if (!path || path->isEmpty())
        return std::nullopt;
    // Descriptions of the oldest tools name no domain: their files are the
    // home domain's.
    const std::optional<QString> domain = plistvalue::string(plistvalue::item(dict, "Domain"));
    return qMakePair(domain && !domain->isEmpty() ? *domain : QStringLiteral("HomeDomain"), *path);
}

} // namespace

DescriptionFiles::DescriptionFiles(const QString& canonicalFolder) : m_folder(canonicalFolder) {}

std::optional<QPair<QString, QString>> DescriptionFiles::parseDescription(const QByteArray& bytes)
{
    const plistvalue::Tree root = plistvalue::parse(bytes);
    if (!plistvalue::isDict(root.get()))
        return std::nullopt;
    if (std::optional<QPair<QString, QString>> top = domainAndPath(root.get()))
        return top;
    const std::optional<QByteArray> metadata = plistvalue::data(plistvalue::item(root.get(), "Metadata"));
    if (!metadata)
        return std::nullopt;
    const plistvalue::Tree nested = plistvalue::parse(*metadata, plistvalue::kRecordBounds);
    return domainAndPath(nested.get());
}

void DescriptionFiles::readDescriptions()
{
    if (m_read)
        return;
    m_read = true;
    const QDir dir(m_folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*mdinfo")}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        QString why;
        const std::optional<QByteArray> bytes =
            files::readInside(m_folder, dir.filePath(name), kDescriptionReadLimit, &why);
        if (!bytes) {
            qDebug() << "description passed over:" << why;
            continue;
        }
        const std::optional<QPair<QString, QString>> described = parseDescription(*bytes);
        if (!described) {
            qDebug() << "description passed over:" << name << "is not a description";
            continue;
        }
        CatalogueEntry entry;
        entry.domain = described->first;
        entry.relativePath = described->second;
        // "<name>.mdinfo" describes "<name>.mddata".
        const QString base = name.left(name.size() - 6);
        entry.fileId = base.endsWith(QLatin1Char('.')) ? base.chopped(1) : base;
        entry.dataPaths = QStringList{dir.filePath(base + QStringLiteral("mddata"))};
        m_entries[key(entry.domain, entry.relativePath)].append(entry);
    }
}

std::optional<QVector<CatalogueEntry>> DescriptionFiles::find(const QString& domain, const QString& relativePath,
                                                              QString*)
{
    readDescriptions();
    return m_entries.value(key(domain, relativePath));
}

} // namespace phonebackup

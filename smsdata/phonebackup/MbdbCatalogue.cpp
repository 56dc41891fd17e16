#include "MbdbCatalogue.h"

#include "FileChecks.h"

#include <QDir>
#include <QtEndian>

#include <limits>
#include <memory>

namespace phonebackup {

namespace {

constexpr char kHeader[] = {'m', 'b', 'd', 'b', 0x05, 0x00};
constexpr int kHeaderSize = 6;
constexpr quint16 kNoString = 0xFFFF;

// A cursor over the catalogue that never reads past its end: every read
// checks what is left first and marks the cursor failed when it is short.
class Reader
{
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    bool failed() const { return m_failed; }
    bool atEnd() const { return m_pos >= m_bytes.size(); }
    qsizetype position() const { return m_pos; }

    template <typename T> T integer()
    {
        if (!take(sizeof(T)))
            return 0;
        const T value = qFromBigEndian<T>(m_bytes.constData() + m_pos - qsizetype(sizeof(T)));
        return value;
    }

    QByteArray string()
    {
        const quint16 length = integer<quint16>();
        if (m_failed || length == kNoString)
            return {};
        if (!take(length))
            return {};
        return m_bytes.mid(m_pos - length, length);
    }

private:
    bool take(qsizetype count)
    {
        if (m_failed || m_bytes.size() - m_pos < count) {
            m_failed = true;
            return false;
        }
        m_pos += count;
        return true;
    }

    const QByteArray& m_bytes;
    qsizetype m_pos = kHeaderSize;
    bool m_failed = false;
};

void appendInteger(QByteArray& out, quint64 value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

void appendString(QByteArray& out, const QByteArray& value, bool none)
{
    if (none) {
        appendInteger(out, kNoString, 2);
        return;
    }
    appendInteger(out, quint64(qMin<qsizetype>(value.size(), kNoString - 1)), 2);
    out.append(value.left(kNoString - 1));
}

QString key(const QString& domain, const QString& relativePath)
{
    return domain + QChar(0) + relativePath;
}

} // namespace

CatalogueEntry::Kind MbdbRecord::kind() const
{
    switch (mode & 0xF000) {
    case 0x8000:
        return CatalogueEntry::Kind::File;
    case 0x4000:
        return CatalogueEntry::Kind::Folder;
    case 0xA000:
        return CatalogueEntry::Kind::Link;
    default:
        return CatalogueEntry::Kind::Other;
    }
}

std::optional<QVector<MbdbRecord>> parseMbdb(const QByteArray& bytes, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Manifest.mbdb is damaged: %1.").arg(why);
        return std::nullopt;
    };
    if (bytes.size() < kHeaderSize || memcmp(bytes.constData(), kHeader, kHeaderSize) != 0)
        return fail(QStringLiteral("it does not begin with the catalogue's header"));
    QVector<MbdbRecord> records;
    Reader in(bytes);
    while (!in.atEnd()) {
        const qsizetype start = in.position();
        MbdbRecord r;
        r.domain = QString::fromUtf8(in.string());
        r.relativePath = QString::fromUtf8(in.string());
        r.linkTarget = QString::fromUtf8(in.string());
        r.digest = in.string();
        r.encryptionKey = in.string();
        r.mode = in.integer<quint16>();
        r.inode = in.integer<quint64>();
        r.userId = in.integer<quint32>();
        r.groupId = in.integer<quint32>();
        r.modified = in.integer<quint32>();
        r.accessed = in.integer<quint32>();
        r.changed = in.integer<quint32>();
        r.size = in.integer<quint64>();
        r.protectionClass = in.integer<quint8>();
        const quint8 propertyCount = in.integer<quint8>();
        for (int i = 0; !in.failed() && i < propertyCount; ++i) {
            QByteArray name = in.string();
            QByteArray value = in.string();
            r.properties.append(qMakePair(name, value));
        }
        if (in.failed())
            return fail(QStringLiteral("record %1 (at byte %2) is cut off").arg(records.size() + 1).arg(start));
        records.append(r);
    }
    return records;
}

QByteArray serializeMbdb(const QVector<MbdbRecord>& records)
{
    QByteArray out(kHeader, kHeaderSize);
    for (const MbdbRecord& r : records) {
        appendString(out, r.domain.toUtf8(), false);
        appendString(out, r.relativePath.toUtf8(), false);
        appendString(out, r.linkTarget.toUtf8(), r.linkTarget.isEmpty());
        appendString(out, r.digest, r.digest.isEmpty());
        appendString(out, r.encryptionKey, r.encryptionKey.isEmpty());
        appendInteger(out, r.mode, 2);
        appendInteger(out, r.inode, 8);
        appendInteger(out, r.userId, 4);
        appendInteger(out, r.groupId, 4);
        appendInteger(out, r.modified, 4);
        appendInteger(out, r.accessed, 4);
        appendInteger(out, r.changed, 4);
        appendInteger(out, r.size, 8);
        appendInteger(out, r.protectionClass, 1);
        const int count = int(qMin<qsizetype>(r.properties.size(), 255));
        appendInteger(out, quint64(count), 1);
        for (int i = 0; i < count; ++i) {
            appendString(out, r.properties.at(i).first, false);
            appendString(out, r.properties.at(i).second, false);
        }
    }
    return out;
}

MbdbCatalogue::MbdbCatalogue(const QString& canonicalFolder, QVector<MbdbRecord> records)
    : m_folder(canonicalFolder), m_records(std::move(records))
{
    for (int i = 0; i < m_records.size(); ++i)
        m_index[key(m_records.at(i).domain, m_records.at(i).relativePath)].append(i);
}

std::unique_ptr<MbdbCatalogue> MbdbCatalogue::open(const QString& canonicalFolder, QString* error)
{
    QString why;
    const std::optional<QByteArray> bytes = files::readInside(
        canonicalFolder, QDir(canonicalFolder).filePath(QStringLiteral("Manifest.mbdb")), kMaxBytes, &why);
    if (!bytes) {
        if (error)
            *error = QStringLiteral("The backup's catalogue cannot be read: %1.").arg(why);
        return nullptr;
    }
    std::optional<QVector<MbdbRecord>> records = parseMbdb(*bytes, error);
    if (!records)
        return nullptr;
    return std::unique_ptr<MbdbCatalogue>(new MbdbCatalogue(canonicalFolder, std::move(*records)));
}

std::optional<QVector<CatalogueEntry>> MbdbCatalogue::find(const QString& domain, const QString& relativePath, QString*)
{
    QVector<CatalogueEntry> found;
    const QVector<int> hits = m_index.value(key(domain, relativePath));
    for (int i : hits) {
        const MbdbRecord& r = m_records.at(i);
        CatalogueEntry entry;
        entry.domain = r.domain;
        entry.relativePath = r.relativePath;
        entry.kind = r.kind();
        entry.fileId = files::fileId(r.domain, r.relativePath);
        entry.dataPaths = QStringList{m_folder + QLatin1Char('/') + entry.fileId};
        entry.size = r.size > quint64(std::numeric_limits<qint64>::max()) ? -1 : qint64(r.size);
        entry.protectionClass = r.protectionClass;
        entry.encryptionKey = r.encryptionKey;
        found.append(entry);
    }
    return found;
}

} // namespace phonebackup

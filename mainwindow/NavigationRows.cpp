#include "NavigationRows.h"

#include "BackupChooser.h"
#include "BackupInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

namespace {

QIcon backupIcon()
{
    return QIcon(QStringLiteral(":/icon/backup.png"));
}

QIcon phoneIcon()
{
    return QIcon(QStringLiteral(":/icon/iphone.png"));
}

} // namespace

NavigationRows::NavigationRows(QListWidget* list, QVector<QString>& paths) : m_list(list), m_paths(paths)
{
    m_paths.clear();
    m_paths << QString() << QString();
    m_kinds << Kind::Phone << Kind::Header;

    m_list->item(kPhoneRow)->setIcon(phoneIcon());
    QListWidgetItem* header = m_list->item(kHeaderRow);
    header->setFlags(header->flags() & ~Qt::ItemIsSelectable);
    // The header reads as a caption, not as one more source.
    QFont captionFont = header->font();
    captionFont.setBold(true);
    if (captionFont.pointSizeF() > 0)
        captionFont.setPointSizeF(captionFont.pointSizeF() * 0.85);
    header->setFont(captionFont);
    header->setForeground(QColor(0x9a, 0xa1, 0xab));
    // Long backup names are cut in the middle, where the time of day stands,
    // rather than pushing a scroll bar under the list.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideMiddle);
}

NavigationRows::Kind NavigationRows::kind(int row) const
{
    return m_kinds.at(row);
}

bool NavigationRows::isPhoneSource(int row) const
{
    return row == kPhoneRow || (isBackupRow(row) && m_kinds.at(row) == Kind::PhoneBackupFolder);
}

QString NavigationRows::path(int row) const
{
    return m_paths.at(row);
}

void NavigationRows::setPhonePath(const QString& path)
{
    m_paths[kPhoneRow] = path;
}

void NavigationRows::appendItem(Kind kind, const QString& path, const QString& text, const QString& tip)
{
    // The entry first: the new row may become current at once, and its
    // source must then be known.
    m_paths.append(path);
    m_kinds.append(kind);
    auto* item = new QListWidgetItem(kind == Kind::SmsFile ? backupIcon() : phoneIcon(), text);
    item->setToolTip(tip);
    const QSignalBlocker blocker(m_list);
    m_list->addItem(item);
}

int NavigationRows::appendSmsFile(const QString& path)
{
    appendItem(Kind::SmsFile, path, QFileInfo(path).fileName(), QDir::toNativeSeparators(path));
    return count() - 1;
}

int NavigationRows::appendPhoneBackup(const phonebackup::BackupInfo& info)
{
    QString tip = QDir::toNativeSeparators(info.folder);
    if (info.lastBackupDate.isValid())
        tip = backupDateText(info.lastBackupDate) + QLatin1Char('\n') + tip;
    if (!info.productVersion.isEmpty())
        tip = QCoreApplication::translate("MainWindow", "iOS %1").arg(info.productVersion) + QLatin1Char('\n') + tip;
    appendItem(Kind::PhoneBackupFolder, info.folder, phoneBackupText(info), tip);
    return count() - 1;
}

void NavigationRows::appendSmsFolder(const QString& folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral("*.sms")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names)
        appendSmsFile(dir.filePath(name));
}

int NavigationRows::find(Kind kind, const QString& path) const
{
    const QString key = fileKey(path);
    for (int r = kFirstSourceRow; r < count(); ++r) {
        if (m_kinds.at(r) == kind && fileKey(m_paths.at(r)) == key)
            return r;
    }
    return -1;
}

QVector<int> NavigationRows::rowsOfSameFile(int row) const
{
    QVector<int> rows;
    if (!isBackupRow(row) || m_kinds.at(row) != Kind::SmsFile)
        return rows;
    const QString key = fileKey(m_paths.at(row));
    for (int r = kFirstSourceRow; r < count(); ++r) {
        if (m_kinds.at(r) == Kind::SmsFile && fileKey(m_paths.at(r)) == key)
            rows.append(r);
    }
    return rows;
}

QString NavigationRows::removeSource(int r, int& currentSourceRow, const std::function<void()>& releaseShown)
{
    // A file goes with every row naming it, so no row is left pointing at a
    // file that is gone.
    const bool smsFile = kind(r) == Kind::SmsFile;
    const QVector<int> rows = smsFile ? rowsOfSameFile(r) : QVector<int>{r};
    // The only connection that can hold the file open is the store's, when
    // the file is on display; a store showing another backup stays usable.
    if (rows.contains(currentSourceRow))
        releaseShown();
    const QString file = path(r);
    if (smsFile && QFileInfo::exists(file) && !QFile::remove(file))
        return file;
    removeRows(rows, currentSourceRow);
    return QString();
}

void NavigationRows::removeRows(const QVector<int>& rows, int& currentSourceRow)
{
    QVector<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // Rows and entries leave together; the list must not switch sources
    // half way through.
    const QSignalBlocker blocker(m_list);
    for (int i = int(sorted.size()) - 1; i >= 0; --i) {
        const int row = sorted.at(i);
        // The two fixed rows stay.
        if (!isBackupRow(row))
            continue;
        delete m_list->takeItem(row);
        m_paths.removeAt(row);
        m_kinds.removeAt(row);
        if (currentSourceRow == row)
            currentSourceRow = -1;
        else if (currentSourceRow > row)
            --currentSourceRow;
    }
    select(currentSourceRow);
}

void NavigationRows::select(int row)
{
    m_list->setCurrentRow(row);
    if (row < 0)
        m_list->clearSelection();
}

QString NavigationRows::fileKey(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString NavigationRows::phoneBackupText(const phonebackup::BackupInfo& info)
{
    QString name = info.deviceName.isEmpty() ? info.identifier : info.deviceName;
    if (info.lastBackupDate.isValid())
        name += QLatin1Char(' ') + info.lastBackupDate.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    return name;
}

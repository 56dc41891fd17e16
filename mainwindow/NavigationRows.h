#pragma once

// The rows of the navigation list and the source each stands for. Row 0 is
// the phone, row 1 the "BACKUP FILES" header, rows 2 and up the ".sms"
// backup files and phone backup folders opened. The window's
// databasePaths holds one entry per row; this class keeps that vector, the
// kinds of the rows and the list's items in step, so that entry i always
// belongs to row i.

#include <QString>
#include <QVector>

#include <functional>

class QListWidget;
namespace phonebackup {
struct BackupInfo;
}

class NavigationRows
{
public:
    enum class Kind { Phone, Header, SmsFile, PhoneBackupFolder };

    static const int kPhoneRow = 0;
    static const int kHeaderRow = 1;
    static const int kFirstSourceRow = 2;

    // list already holds the two fixed rows of the form; paths is the
    // window's vector of row sources, which gets their two entries here.
    NavigationRows(QListWidget* list, QVector<QString>& paths);

    int count() const { return int(m_kinds.size()); }
    Kind kind(int row) const;
    // A ".sms" file or a phone backup folder (rows 2 and up).
    bool isBackupRow(int row) const { return row >= kFirstSourceRow && row < count(); }
    // The phone or one of its backup folders: sources never edited here.
    bool isPhoneSource(int row) const;
    QString path(int row) const;
    void setPhonePath(const QString& path);

    // Each appends one row at the end and returns its index; the list's
    // current row does not change.
    int appendSmsFile(const QString& path);
    int appendPhoneBackup(const phonebackup::BackupInfo& info);
    // One row per "*.sms" file of folder, sorted by name, case ignored.
    void appendSmsFolder(const QString& folder);

    // Makes row current without the selection following it when it is -1.
    void select(int row);

    // The row of a phone backup folder already listed; -1 when none is.
    int findPhoneBackup(const QString& folder) const { return find(Kind::PhoneBackupFolder, folder); }
    // The row of a source of that kind already listed; -1 when none is.
    int find(Kind kind, const QString& path) const;
    // Every ".sms" row naming the same file as row (row included).
    QVector<int> rowsOfSameFile(int row) const;

    // Removes the source of row r: a ".sms" file is deleted with every row
    // naming it; of a phone backup folder only the row goes, the folder is
    // never deleted. releaseShown is called first when one of those rows is
    // on display. Returns the file that could not be deleted (its rows stay);
    // empty when done.
    QString removeSource(int r, int& currentSourceRow, const std::function<void()>& releaseShown);
    // Removes rows with their entries, without the list switching sources
    // half way; currentSourceRow follows the rows it passes and becomes -1
    // when its own row goes. That row (or none) is then current again.
    void removeRows(const QVector<int>& rows, int& currentSourceRow);

    // What a path resolves to: two spellings of one file (opened from
    // elsewhere, through a link) give one key.
    static QString fileKey(const QString& path);
    // A phone backup's row text: its device name and backup day.
    static QString phoneBackupText(const phonebackup::BackupInfo& info);

private:
    void appendItem(Kind kind, const QString& path, const QString& text, const QString& tip);

    QListWidget* m_list;
    QVector<QString>& m_paths;
    QVector<Kind> m_kinds;
};

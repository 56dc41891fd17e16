// The navigation rows on their own: the two fixed rows, rows and entries
// kept parallel, one file or folder under several spellings, and removal
// that keeps the row on display pointing at the same source.

#include "BackupInfo.h"
#include "NavigationRows.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

using Kind = NavigationRows::Kind;

class NavigationRowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fixedRowsAndKinds();
    void folderListingTakesSmsFilesOnly();
    void phoneBackupRowText();
    void sameFileUnderOtherSpellings();
    void phoneBackupFoundUnderOtherSpellings();
    void removalKeepsRowsAndEntriesParallel_data();
    void removalKeepsRowsAndEntriesParallel();
    void removalNeverTakesFixedRows();

private:
    // Checks that the list, databasePaths and the rows agree row for row.
    void verifyParallel() const;
    QString touch(const QString& name) const;

    // A fresh folder for each test.
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QListWidget> m_list;
    QVector<QString> m_paths;
    std::unique_ptr<NavigationRows> m_rows;
};

void NavigationRowsTest::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    m_list = std::make_unique<QListWidget>();
    // The form's two rows.
    m_list->addItem(QStringLiteral("iPhone Lost"));
    m_list->addItem(QStringLiteral("BACKUP FILES"));
    m_paths = {QStringLiteral("left over")};
    m_rows = std::make_unique<NavigationRows>(m_list.get(), m_paths);
}

void NavigationRowsTest::cleanup()
{
    m_rows.reset();
    m_list.reset();
    m_folder.reset();
}

void NavigationRowsTest::verifyParallel() const
{
    QCOMPARE(m_paths.size(), m_list->count());
    QCOMPARE(m_rows->count(), m_list->count());
    for (int r = 0; r < m_rows->count(); ++r) {
        QCOMPARE(m_rows->path(r), m_paths.at(r));
        if (m_rows->kind(r) == Kind::SmsFile)
            QCOMPARE(m_list->item(r)->text(), QFileInfo(m_paths.at(r)).fileName());
    }
}

QString NavigationRowsTest::touch(const QString& name) const
{
    const QString path = m_folder->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qWarning("cannot create %s", qPrintable(path));
    return path;
}

void NavigationRowsTest::fixedRowsAndKinds()
{
    // The vector starts with exactly the two fixed entries, whatever it held.
    QCOMPARE(m_paths, QVector<QString>({QString(), QString()}));
    QCOMPARE(m_rows->kind(0), Kind::Phone);
    QCOMPARE(m_rows->kind(1), Kind::Header);
    QVERIFY(!(m_list->item(1)->flags() & Qt::ItemIsSelectable));
    QVERIFY(m_rows->isPhoneSource(0));
    QVERIFY(!m_rows->isBackupRow(0));
    QVERIFY(!m_rows->isBackupRow(1));

    m_rows->setPhonePath(QStringLiteral("/phone/sms.db"));
    QCOMPARE(m_paths.at(0), QStringLiteral("/phone/sms.db"));

    QSignalSpy changed(m_list.get(), &QListWidget::currentRowChanged);
    const int sms = m_rows->appendSmsFile(touch(QStringLiteral("a.sms")));
    phonebackup::BackupInfo info;
    info.folder = m_folder->filePath(QStringLiteral("backup"));
    info.identifier = QStringLiteral("backup");
    const int folder = m_rows->appendPhoneBackup(info);
    QCOMPARE(sms, 2);
    QCOMPARE(folder, 3);
    // Appending never switches the source on display.
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_rows->kind(sms), Kind::SmsFile);
    QCOMPARE(m_rows->kind(folder), Kind::PhoneBackupFolder);
    QVERIFY(!m_rows->isPhoneSource(sms));
    QVERIFY(m_rows->isPhoneSource(folder));
    QVERIFY(m_rows->isBackupRow(sms) && m_rows->isBackupRow(folder));
    QVERIFY(!m_rows->isBackupRow(4));
    QVERIFY(!m_rows->isPhoneSource(-1));
    QVERIFY(!m_rows->isPhoneSource(4));
    QCOMPARE(m_list->item(sms)->toolTip(), QDir::toNativeSeparators(m_paths.at(sms)));
    verifyParallel();
}

void NavigationRowsTest::folderListingTakesSmsFilesOnly()
{
    touch(QStringLiteral("b.sms"));
    touch(QStringLiteral("A.sms"));
    touch(QStringLiteral("c.SMS.txt"));
    touch(QStringLiteral("notes.txt"));
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder.sms")));
    m_rows->appendSmsFolder(m_folder->path());
    QCOMPARE(m_rows->count(), 4);
    // Sorted by name, case ignored.
    QCOMPARE(m_list->item(2)->text(), QStringLiteral("A.sms"));
    QCOMPARE(m_list->item(3)->text(), QStringLiteral("b.sms"));
    verifyParallel();

    // A folder that is not there lists nothing.
    m_rows->appendSmsFolder(m_folder->filePath(QStringLiteral("missing")));
    QCOMPARE(m_rows->count(), 4);
}

void NavigationRowsTest::phoneBackupRowText()
{
    phonebackup::BackupInfo info;
    info.folder = QStringLiteral("/backups/00008110-000A");
    info.identifier = QStringLiteral("00008110-000A");
    QCOMPARE(NavigationRows::phoneBackupText(info), info.identifier);
    info.deviceName = QStringLiteral("Anna's iPhone");
    // 2024-03-01 20:30 UTC is already the 2nd in the tests' time zone (UTC+8).
    info.lastBackupDate = QDateTime(QDate(2024, 3, 1), QTime(20, 30), QTimeZone::utc());
    QCOMPARE(NavigationRows::phoneBackupText(info), QStringLiteral("Anna's iPhone 2024-03-02"));
    info.productVersion = QStringLiteral("17.2");
    const int row = m_rows->appendPhoneBackup(info);
    QCOMPARE(m_list->item(row)->text(), QStringLiteral("Anna's iPhone 2024-03-02"));
    const QString tip = m_list->item(row)->toolTip();
    QVERIFY2(tip.startsWith(QStringLiteral("iOS 17.2\n")), qPrintable(tip));
    QVERIFY2(tip.endsWith(QDir::toNativeSeparators(info.folder)), qPrintable(tip));
}

void NavigationRowsTest::sameFileUnderOtherSpellings()
{
    const QString a = touch(QStringLiteral("a.sms"));
    const QString b = touch(QStringLiteral("b.sms"));
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("sub")));
    QVERIFY(QFile::link(a, m_folder->filePath(QStringLiteral("link.sms"))));

    const int first = m_rows->appendSmsFile(a);
    const int other = m_rows->appendSmsFile(b);
    const int dotted = m_rows->appendSmsFile(m_folder->filePath(QStringLiteral("sub/../a.sms")));
    const int linked = m_rows->appendSmsFile(m_folder->filePath(QStringLiteral("link.sms")));
    // A phone backup folder row at the same path is no ".sms" row.
    phonebackup::BackupInfo info;
    info.folder = a;
    const int folder = m_rows->appendPhoneBackup(info);

    const QVector<int> expected{first, dotted, linked};
    QCOMPARE(m_rows->rowsOfSameFile(first), expected);
    QCOMPARE(m_rows->rowsOfSameFile(linked), expected);
    QCOMPARE(m_rows->rowsOfSameFile(other), QVector<int>{other});
    QVERIFY(m_rows->rowsOfSameFile(folder).isEmpty());
    QVERIFY(m_rows->rowsOfSameFile(0).isEmpty());
    QVERIFY(m_rows->rowsOfSameFile(1).isEmpty());
    QVERIFY(m_rows->rowsOfSameFile(99).isEmpty());

    // A file that is gone still matches its other spellings by path.
    QVERIFY(QFile::remove(b));
    const int again = m_rows->appendSmsFile(m_folder->filePath(QStringLiteral("sub/../b.sms")));
    QCOMPARE(m_rows->rowsOfSameFile(other), QVector<int>({other, again}));
}

void NavigationRowsTest::phoneBackupFoundUnderOtherSpellings()
{
    QVERIFY(QDir(m_folder->path()).mkpath(QStringLiteral("root/device")));
    QVERIFY(QFile::link(m_folder->filePath(QStringLiteral("root")), m_folder->filePath(QStringLiteral("alias"))));
    const QString folder = m_folder->filePath(QStringLiteral("root/device"));
    QCOMPARE(m_rows->findPhoneBackup(folder), -1);

    // A ".sms" row naming the folder does not count.
    m_rows->appendSmsFile(folder);
    QCOMPARE(m_rows->findPhoneBackup(folder), -1);

    phonebackup::BackupInfo info;
    info.folder = folder;
    const int row = m_rows->appendPhoneBackup(info);
    QCOMPARE(m_rows->findPhoneBackup(folder), row);
    QCOMPARE(m_rows->findPhoneBackup(folder + QLatin1Char('/')), row);
    QCOMPARE(m_rows->findPhoneBackup(m_folder->filePath(QStringLiteral("alias/device"))), row);
    QCOMPARE(m_rows->findPhoneBackup(m_folder->filePath(QStringLiteral("root"))), -1);
}

void NavigationRowsTest::removalKeepsRowsAndEntriesParallel_data()
{
    QTest::addColumn<QVector<int>>("removed");
    QTest::addColumn<int>("shownBefore");
    QTest::addColumn<int>("shownAfter");
    QTest::addColumn<QStringList>("namesLeft");

    const QStringList all{QStringLiteral("a.sms"), QStringLiteral("b.sms"), QStringLiteral("c.sms"),
                          QStringLiteral("d.sms")};
    QTest::newRow("after the shown row") << QVector<int>{5} << 3 << 3 << QStringList(all.mid(0, 3));
    QTest::newRow("before the shown row") << QVector<int>{2} << 4 << 3 << QStringList(all.mid(1));
    QTest::newRow("on both sides, unordered") << QVector<int>{5, 2} << 3 << 2 << QStringList{all.at(1), all.at(2)};
    QTest::newRow("the shown row") << QVector<int>{3, 4} << 3 << -1 << QStringList{all.at(0), all.at(3)};
    QTest::newRow("repeated rows") << QVector<int>{2, 2} << 5 << 4 << QStringList(all.mid(1));
    QTest::newRow("nothing shown") << QVector<int>{2} << -1 << -1 << QStringList(all.mid(1));
    QTest::newRow("phone shown") << QVector<int>{2, 5} << 0 << 0 << QStringList(all.mid(1, 2));
}

void NavigationRowsTest::removalKeepsRowsAndEntriesParallel()
{
    QFETCH(QVector<int>, removed);
    QFETCH(int, shownBefore);
    QFETCH(int, shownAfter);
    QFETCH(QStringList, namesLeft);

    for (const QString& name :
         {QStringLiteral("a.sms"), QStringLiteral("b.sms"), QStringLiteral("c.sms"), QStringLiteral("d.sms")})
        m_rows->appendSmsFile(touch(name));
    m_list->setCurrentRow(shownBefore);
    int currentSourceRow = shownBefore;

    QSignalSpy changed(m_list.get(), &QListWidget::currentRowChanged);
    m_rows->removeRows(removed, currentSourceRow);
    // The list never switches sources half way, nor afterwards.
    QCOMPARE(changed.count(), 0);
    QCOMPARE(currentSourceRow, shownAfter);
    QCOMPARE(m_list->currentRow(), shownAfter);
    if (shownAfter < 0)
        QVERIFY(m_list->selectedItems().isEmpty());
    verifyParallel();
    QStringList names;
    for (int r = NavigationRows::kFirstSourceRow; r < m_rows->count(); ++r)
        names << QFileInfo(m_rows->path(r)).fileName();
    QCOMPARE(names, namesLeft);
}

void NavigationRowsTest::removalNeverTakesFixedRows()
{
    m_rows->appendSmsFile(touch(QStringLiteral("a.sms")));
    int currentSourceRow = 2;
    m_rows->removeRows({0, 1, -1, 7}, currentSourceRow);
    QCOMPARE(m_rows->count(), 3);
    QCOMPARE(currentSourceRow, 2);
    QCOMPARE(m_rows->kind(0), Kind::Phone);
    QCOMPARE(m_rows->kind(1), Kind::Header);
    verifyParallel();
}

QTEST_MAIN(NavigationRowsTest)
#include "tst_navigationrows.moc"

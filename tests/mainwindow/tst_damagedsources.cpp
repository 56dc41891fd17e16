// The window on damaged sources: a backup file whose message table gives a
// row id twice (shown as far as it reads, said once, no deletes), and phone
// backup folders whose lists nest beyond any real one or whose key bag asks
// for absurd work (greyed in the chooser with the reason, a warning when
// opened by folder). Nothing crashes.

#include "BackupBuilder.h"
#include "BackupChooser.h"
#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "PhoneBackup.h"

#include <QPushButton>
#include <QTreeWidget>

using harness::Window;

namespace {

QString usualRoot()
{
    return QDir::homePath() + QStringLiteral("/.local/share/Apple Computer/MobileSync/Backup");
}

bool isChooser(QWidget* modal)
{
    return modal->findChild<QTreeWidget*>(QStringLiteral("backupList")) != nullptr;
}

QByteArray deepXml(int depth)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i)
        out += "<array>";
    for (int i = 0; i < depth; ++i)
        out += "</array>";
    return out + "</plist>\n";
}

QString writeBackup(const QString& name, bool encrypted)
{
    const QString folder = usualRoot() + QLatin1Char('/') + name;
    backupbuilder::Options options;
    options.encrypted = encrypted;
    options.password = "pw";
    options.binaryPlists = true;
    options.device.deviceName = name;
    QString error;
    if (!backupbuilder::writeBackup(
            folder, {{phonebackup::PhoneBackup::kHomeDomain, phonebackup::PhoneBackup::kMessagesPath, "x"}}, options,
            &error))
        qWarning("%s", qPrintable(error));
    return folder;
}

bool replaceFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

int rowNamed(const Window& win, const QString& text)
{
    const QStringList rows = win.rowTexts();
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).contains(text))
            return i;
    }
    return -1;
}

} // namespace

class DamagedSourcesTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        harness::resetSeams();
        harness::seedBackupFolder();
        QDir(usualRoot()).removeRecursively();
        phonebackup::PhoneBackup::forgetKeys();
    }

    void cleanup()
    {
        QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
        QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
    }

    void damagedBackupFileIsShownWithoutDeletes()
    {
        const QString path = harness::backupPath(3);
        fixtures::makeBackupFile(path,
                                 {{1, QStringLiteral("10086"), 1000, QStringLiteral("one"), 2},
                                  {2, QStringLiteral("10010"), 2000, QStringLiteral("two"), 2},
                                  {3, QStringLiteral("95555"), 3000, QStringLiteral("three"), 3}},
                                 {});
        QVERIFY(fixtures::giveRowIdTwice(path, QStringLiteral("message"), 3, 2));
        const QByteArray before = fixtures::folderDigest(harness::backupFolder());

        Window win;
        const int damaged = rowNamed(win, QStringLiteral("Beta"));
        QVERIFY(damaged >= 0);
        shellkit::DialogSeam::pushAnswer(0);
        win.list()->setCurrentRow(damaged);
        QTRY_COMPARE(win.conversationRows().size(), 2);
        QCOMPARE(harness::shownTexts(),
                 QStringList{QStringLiteral("Warning: This file is damaged: its message table gives row 2 twice.")});
        auto* edit = win.listPage()->findChild<QPushButton*>(QStringLiteral("pushButton_Edit"));
        QVERIFY(edit);
        QVERIFY(!edit->isVisible());

        // Said once: another source and back again show no second word, and
        // the other source offers its deletes.
        const int other = rowNamed(win, QStringLiteral("archive"));
        QVERIFY(other >= 0);
        win.list()->setCurrentRow(other);
        QTRY_VERIFY(edit->isVisible());
        win.list()->setCurrentRow(damaged);
        QTRY_COMPARE(win.conversationRows().size(), 2);
        QVERIFY(!edit->isVisible());
        QCOMPARE(harness::shownTexts().size(), 1);
        QCOMPARE(fixtures::folderDigest(harness::backupFolder()), before);
    }

    void chooserGreysHostileFolders()
    {
        writeBackup(QStringLiteral("Good iPhone"), false);
        const QString deep = writeBackup(QStringLiteral("Deep iPhone"), false);
        QVERIFY(replaceFile(deep + QStringLiteral("/Info.plist"), deepXml(200000)));
        const QString greedy = writeBackup(QStringLiteral("Greedy iPhone"), true);
        QFile manifest(greedy + QStringLiteral("/Manifest.plist"));
        QVERIFY(manifest.open(QIODevice::ReadOnly));
        QByteArray bytes = manifest.readAll();
        manifest.close();
        const qsizetype at = bytes.indexOf(QByteArray("ITER\0\0\0\4", 8));
        QVERIFY(at > 0);
        bytes.replace(at + 8, 4, QByteArray("\xFF\xFF\xFF\xFF", 4));
        QVERIFY(replaceFile(greedy + QStringLiteral("/Manifest.plist"), bytes));

        Window win;
        const int rows = win.list()->count();
        QStringList listed;
        QStringList reasons;
        driver::whenModal(isChooser, [&](QWidget* modal) {
            auto* list = modal->findChild<QTreeWidget*>(QStringLiteral("backupList"));
            for (int i = 0; i < list->topLevelItemCount(); ++i) {
                QTreeWidgetItem* item = list->topLevelItem(i);
                if (item->flags() & Qt::ItemIsEnabled)
                    listed << item->text(BackupChooser::DeviceColumn);
                else
                    reasons << item->text(BackupChooser::DeviceColumn);
            }
            driver::click(modal, QStringLiteral("cancelButton"));
        });
        win.w->openPhoneBackup();
        QTRY_COMPARE(listed.size() + reasons.size(), 3);
        QCOMPARE(listed, QStringList{QStringLiteral("Good iPhone")});
        reasons.sort();
        QCOMPARE(reasons,
                 QStringList({QStringLiteral("Damaged backup: The backup's Info.plist is damaged: it nests more than "
                                             "256 levels deep."),
                              QStringLiteral("Damaged backup: The backup's key bag is damaged: its ITER asks for "
                                             "4294967295 rounds, more than 100000000.")}));
        QCOMPARE(win.list()->count(), rows);

        // Opened by its folder, it gives a warning with the reason.
        shellkit::DialogSeam::pushAnswer(0);
        driver::whenModal(isChooser, [=](QWidget* modal) {
            QMetaObject::invokeMethod(modal, [modal, deep] {
                if (auto* chooser = qobject_cast<BackupChooser*>(modal))
                    chooser->addFolder(deep);
            });
        });
        win.w->openPhoneBackup();
        const QStringList shown = harness::shownTexts();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().startsWith(QStringLiteral("Warning: ")) &&
                     shown.first().endsWith(
                         QStringLiteral("\n\nThe backup's Info.plist is damaged: it nests more than 256 levels deep.")),
                 qPrintable(shown.first()));
        QCOMPARE(win.list()->count(), rows);
    }
};

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    DamagedSourcesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_damagedsources.moc"

// The backup progress window on its own: the tool's lines, Cancel pressed
// once or many times, Escape, and a new run after a cancelled one.

#include "BackupProgress.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

class BackupProgressTest : public QObject
{
    Q_OBJECT

private slots:
    void linesAreShownInOrder();
    void cancelIsAskedForOnce();
    void escapeAndCloseMeanCancel();
    void newRunStartsClean();
    void onlyTheLatestLinesAreKept();
};

void BackupProgressTest::linesAreShownInOrder()
{
    BackupProgress dialog;
    dialog.startRun();
    dialog.appendLine(QStringLiteral("Backup of device abc started"));
    dialog.appendLine(QStringLiteral("Receiving file 1 of 2: Library/SMS/sms.db"));
    dialog.appendLine(QStringLiteral("Zoë's iPhone 张"));
    QCOMPARE(dialog.outputText(), QStringLiteral("Backup of device abc started\n"
                                                 "Receiving file 1 of 2: Library/SMS/sms.db\n"
                                                 "Zoë's iPhone 张"));
}

void BackupProgressTest::cancelIsAskedForOnce()
{
    BackupProgress dialog;
    dialog.startRun();
    dialog.show();
    QSignalSpy spy(&dialog, &BackupProgress::cancelRequested);
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("pushButtonCancelBackup"));
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QVERIFY(!cancel->isEnabled());
    // The window stays until the tool has really stopped.
    QVERIFY(dialog.isVisible());
    auto* caption = dialog.findChild<QLabel*>(QStringLiteral("labelBackupCaption"));
    QVERIFY(caption->text().contains(QStringLiteral("Cancelling")));
}

void BackupProgressTest::escapeAndCloseMeanCancel()
{
    BackupProgress dialog;
    dialog.startRun();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QSignalSpy spy(&dialog, &BackupProgress::cancelRequested);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(spy.count(), 1);
    QVERIFY(dialog.isVisible());
    dialog.close();
    QCOMPARE(spy.count(), 1);
}

void BackupProgressTest::newRunStartsClean()
{
    BackupProgress dialog;
    dialog.startRun();
    dialog.appendLine(QStringLiteral("old line"));
    QSignalSpy spy(&dialog, &BackupProgress::cancelRequested);
    dialog.findChild<QPushButton*>(QStringLiteral("pushButtonCancelBackup"))->click();
    QCOMPARE(spy.count(), 1);

    dialog.startRun();
    QVERIFY(dialog.outputText().isEmpty());
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("pushButtonCancelBackup"));
    QVERIFY(cancel->isEnabled());
    QVERIFY(!dialog.findChild<QLabel*>(QStringLiteral("labelBackupCaption"))
                 ->text()
                 .contains(QStringLiteral("Cancelling")));
    cancel->click();
    QCOMPARE(spy.count(), 2);
}

void BackupProgressTest::onlyTheLatestLinesAreKept()
{
    BackupProgress dialog;
    dialog.startRun();
    for (int i = 0; i < 2000; ++i)
        dialog.appendLine(QStringLiteral("line %1").arg(i));
    const QStringList lines = dialog.outputText().split(QLatin1Char('\n'));
    QVERIFY(lines.size() < 2000);
    QVERIFY(lines.size() >= 100);
    QCOMPARE(lines.last(), QStringLiteral("line 1999"));
}

QTEST_MAIN(BackupProgressTest)

#include "tst_backupprogress.moc"

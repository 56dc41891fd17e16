// The save dialog of the text export, alone and inside its skinned container:
// what it hands to its owner on OK, Cancel, the window's own close and Browse.

#include "DialogDriver.h"
#include "FrameCopy.h"
#include "xbackgroundFrame.h"
#include "xdialogContainer.h"
#include "xproductInfo.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using SaveDialog = xdialogContainer<FrameCopy, xbackgroundFrame>;

namespace {

QPushButton* button(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class SaveDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void formAsBuilt();
    void okHandsOverThePath_data();
    void okHandsOverThePath();
    void cancelAndWindowCloseAreNotAccepted();
    void uncheckingOpenOutputFile();
    void browse();
    void containerLooksAndFits();
    void modalRunInsideContainer();

private:
    xproductInfo m_info;
};

void SaveDialogTest::initTestCase()
{
    _AppInfo app;
    app.appName = QStringLiteral("msgdesk");
    m_info.setCurAppInfo(app);
    xproductInfo::m_instance = &m_info;
}

void SaveDialogTest::formAsBuilt()
{
    FrameCopy dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("FrameCopy"));
    QVERIFY(dialog.openOutputFile);
    QVERIFY(!dialog.accepted);
    auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("checkBox"));
    QVERIFY(check && check->isChecked());
    QCOMPARE(check->text(), QStringLiteral("Open output file"));
    QCOMPARE(button(&dialog, "pushButton")->text(), QStringLiteral("Browse"));
    QVERIFY(button(&dialog, "pushButton")->font().bold());
    QCOMPARE(button(&dialog, "pushButton_2")->text(), QStringLiteral("OK"));
    QCOMPARE(button(&dialog, "pushButton_3")->text(), QStringLiteral("Cancel"));
    auto* warning = dialog.findChild<QLabel*>(QStringLiteral("label_2"));
    QVERIFY(warning);
    QCOMPARE(warning->text(), QStringLiteral("Warning: this action will copy message\n to .txt file;"));
    QCOMPARE(warning->font().pointSize(), 12);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label_3"))->text(), QStringLiteral("Choose the file path:"));
    QCOMPARE(dialog.maximumHeight(), 192);
}

void SaveDialogTest::okHandsOverThePath_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("default path") << QStringLiteral("/tmp/smsbackup/2010.05.01.12.30.45.txt");
    QTest::newRow("empty field") << QString();
    QTest::newRow("non-ASCII") << QStringLiteral("/tmp/短信 Zoë.txt");
}

void SaveDialogTest::okHandsOverThePath()
{
    QFETCH(QString, path);
    FrameCopy dialog;
    dialog.setPath(path);
    dialog.show();
    // The owner's slot must see the path before the dialog is gone.
    bool visibleWhenEmitted = false;
    connect(&dialog, &FrameCopy::sendSaveToText, this, [&] { visibleWhenEmitted = dialog.isVisible(); });
    QSignalSpy spy(&dialog, &FrameCopy::sendSaveToText);
    QTest::mouseClick(button(&dialog, "pushButton_2"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), path);
    QVERIFY(visibleWhenEmitted);
    QVERIFY(dialog.accepted);
    QVERIFY(dialog.openOutputFile);
    QVERIFY(!dialog.isVisible());
}

void SaveDialogTest::cancelAndWindowCloseAreNotAccepted()
{
    FrameCopy dialog;
    dialog.setPath(QStringLiteral("/tmp/x.txt"));
    QSignalSpy spy(&dialog, &FrameCopy::sendSaveToText);
    dialog.show();
    QTest::mouseClick(button(&dialog, "pushButton_3"), Qt::LeftButton);
    QVERIFY(!dialog.accepted);
    QVERIFY(!dialog.isVisible());

    dialog.show();
    dialog.close();
    QVERIFY(!dialog.accepted);
    QVERIFY(!dialog.isVisible());

    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.accepted);
    QCOMPARE(spy.count(), 0);
}

void SaveDialogTest::uncheckingOpenOutputFile()
{
    FrameCopy dialog;
    dialog.show();
    auto* check = dialog.findChild<QCheckBox*>(QStringLiteral("checkBox"));
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(!dialog.openOutputFile);
    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(dialog.openOutputFile);
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(button(&dialog, "pushButton_2"), Qt::LeftButton);
    QVERIFY(dialog.accepted);
    QVERIFY(!dialog.openOutputFile);
}

void SaveDialogTest::browse()
{
    QTemporaryDir dir;
    const QString proposed = dir.filePath(QStringLiteral("2010.05.01.12.30.45.txt"));
    FrameCopy dialog;
    dialog.setPath(proposed);
    dialog.show();

    // Cancelling the file dialog keeps the proposed path.
    driver::answerFileDialog(QString());
    QTest::mouseClick(button(&dialog, "pushButton"), Qt::LeftButton);
    QCOMPARE(dialog.path(), proposed);

    const QString chosen = dir.filePath(QStringLiteral("chosen.txt"));
    QString title;
    QString filters;
    driver::answerFileDialog(chosen, &title, &filters);
    QTest::mouseClick(button(&dialog, "pushButton"), Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("Save To txt"));
    QVERIFY(filters.contains(QStringLiteral("txt (*.txt)")));
    QCOMPARE(dialog.path(), chosen);
}

void SaveDialogTest::containerLooksAndFits()
{
    SaveDialog dialog;
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dialog.testAttribute(Qt::WA_TranslucentBackground));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("msgdesk"));
    QVERIFY(dialog.frame());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    // Every part of the form lies inside the window.
    for (const char* name :
         {"label_2", "label_3", "lineEdit", "pushButton", "checkBox", "pushButton_2", "pushButton_3"}) {
        auto* w = dialog.findChild<QWidget*>(QLatin1String(name));
        QVERIFY2(w, name);
        const QRect inDialog(w->mapTo(&dialog, QPoint(0, 0)), w->size());
        QVERIFY2(dialog.rect().contains(inDialog), name);
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), name);
    }
    QCOMPARE(dialog.frame()->size(), dialog.size());
}

void SaveDialogTest::modalRunInsideContainer()
{
    SaveDialog dialog;
    QString received;
    connect(&dialog, &FrameCopy::sendSaveToText, this, [&](const QString& p) { received = p; });
    dialog.setPath(QStringLiteral("/tmp/out.txt"));
    driver::pressInNextModal(QStringLiteral("pushButton_2"));
    dialog.exec();
    QCOMPARE(received, QStringLiteral("/tmp/out.txt"));
    QVERIFY(dialog.accepted);
}

QTEST_MAIN(SaveDialogTest)
#include "tst_savedialog.moc"

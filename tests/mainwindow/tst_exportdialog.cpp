// "File > Export…" through the real window: the dialog is driven from a
// queued call while it runs modal, the export runs on its own thread, the
// viewer start goes to the launcher seam and message boxes to the dialog
// seam. Files are compared byte for byte in the txt format (fixed TZ, UTC+8).

#include "DialogDriver.h"
#include "ExportDialog.h"
#include "ExportRunner.h"
#include "MainWindowHarness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QSemaphore>
#include <QStandardPaths>
#include <QThread>
#include <QToolButton>

using harness::Window;

namespace {

QByteArray stars(int n)
{
    return QByteArray(n, '*');
}

QByteArray fromLine(const char* address, const char* clock)
{
    return QByteArray("From  ") + address + " at:time:Thu Jan 01 " + clock + " 1970\n :\r\n";
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Everything in a folder, hidden temporaries included.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

template <class T> T* child(QWidget* dialog, const char* name)
{
    return dialog->findChild<T*>(QLatin1String(name));
}

QString today()
{
    return QDate::currentDate().toString(Qt::ISODate);
}

// Seconds since 1970 of noon on a day, in the tests' time zone.
qint64 noonOf(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0)).toSecsSinceEpoch();
}

} // namespace

class ExportDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void formatsScopesAndDefaults();
    void allConversationsLeaveTheOpenOneAsItWas();
    void openConversationGoesToItsDefaultName();
    void selectedMessagesOnly();
    void dateRangeAndUnsafeNames();
    void refusedTargetMayBeChangedBeforeAnythingRuns();
    void cancelLeavesNothingAndSaysSo();
    void closingWhileRunningWaitsForTheEnd();
    void exportWithoutSource();
    void pdfPaintsOnAWorkerThread();

private:
    // Runs the export dialog from the window's File menu; act drives it
    // while it is up. Whatever act leaves open is closed afterwards, so a
    // failed check never leaves the test waiting on a modal dialog.
    void runDialog(Window& win, const std::function<void(ExportDialog*)>& act);
    // Sets the target, presses Export and waits until the export ended.
    void exportTo(ExportDialog* dialog, const QString& target);
    // Holds the export after its first message until the test lets it go.
    void holdAfterFirstMessage();

    QTemporaryDir m_out;
    QStringList m_launches;
    QSemaphore m_reached;
    QSemaphore m_proceed;
};

void ExportDialogTest::initTestCase()
{
    shellkit::setLauncherForTests([this](const QString& kind, const QString& path) {
        m_launches << kind + QLatin1Char(':') + path;
        return true;
    });
}

void ExportDialogTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    m_launches.clear();
    for (const QString& name : entriesOf(m_out.path())) {
        const QString path = m_out.filePath(name);
        QVERIFY(QFileInfo(path).isDir() ? QDir(path).removeRecursively() : QFile::remove(path));
    }
}

void ExportDialogTest::cleanup()
{
    // Every dialog closed, so no export is held any more.
    ExportRunner::setStepHookForTests({});
    QCOMPARE(m_reached.available(), 0);
    m_proceed.acquire(m_proceed.available());
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void ExportDialogTest::runDialog(Window& win, const std::function<void(ExportDialog*)>& act)
{
    bool ran = false;
    driver::onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<ExportDialog*>(modal);
        QVERIFY2(dialog, "the modal dialog is no export dialog");
        ran = true;
        act(dialog);
        if (dialog->isVisible()) {
            // A held export goes on, so that the dialog can end.
            m_proceed.release(1000);
            dialog->reject();
        }
    });
    auto* action = win.w->findChild<QAction*>(QStringLiteral("actionExport"));
    QVERIFY(action);
    action->trigger();
    QVERIFY(ran);
    QVERIFY(!QApplication::activeModalWidget());
}

void ExportDialogTest::exportTo(ExportDialog* dialog, const QString& target)
{
    child<QLineEdit>(dialog, "targetEdit")->setText(target);
    QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    QTRY_VERIFY(!dialog->isRunning());
}

void ExportDialogTest::holdAfterFirstMessage()
{
    ExportRunner::setStepHookForTests([this](qint64 done, qint64) {
        if (done == 1) {
            m_reached.release();
            m_proceed.acquire();
        }
    });
}

void ExportDialogTest::formatsScopesAndDefaults()
{
    Window win;
    auto* action = win.w->findChild<QAction*>(QStringLiteral("actionExport"));
    QVERIFY(action);
    QCOMPARE(action->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    auto* fileMenu = win.w->findChild<QMenu*>(QStringLiteral("menu_File"));
    QVERIFY(fileMenu->actions().contains(action));
    // The menu's other entries stay.
    for (const char* name : {"actionOpne", "actionOpenPhoneBackup", "actionExit"})
        QVERIFY2(fileMenu->actions().contains(win.w->findChild<QAction*>(QLatin1String(name))), name);

    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    runDialog(win, [&](ExportDialog* dialog) {
        auto* format = child<QComboBox>(dialog, "formatBox");
        QStringList titles;
        for (int i = 0; i < format->count(); ++i)
            titles << format->itemText(i);
        QCOMPARE(titles, QStringList({QStringLiteral("Plain text"), QStringLiteral("Web page (HTML)"),
                                      QStringLiteral("PDF document"), QStringLiteral("Spreadsheet (CSV)"),
                                      QStringLiteral("JSON lines")}));
        QCOMPARE(format->currentIndex(), 0);

        // On the list page only all conversations can be exported.
        QVERIFY(child<QRadioButton>(dialog, "allScope")->isChecked());
        QVERIFY(!child<QRadioButton>(dialog, "conversationScope")->isEnabled());
        QVERIFY(!child<QRadioButton>(dialog, "selectedScope")->isEnabled());

        // The target follows the format while it is the proposed one: a
        // file in the backup folder, a folder (no ending) for html.
        auto* target = child<QLineEdit>(dialog, "targetEdit");
        auto* attachments = child<QCheckBox>(dialog, "attachmentsBox");
        const QString stem = harness::backupFolder() + QStringLiteral("/Messages ") + today();
        const QStringList endings{QStringLiteral(".txt"), QString(), QStringLiteral(".pdf"), QStringLiteral(".csv"),
                                  QStringLiteral(".jsonl")};
        for (int i = 0; i < format->count(); ++i) {
            format->setCurrentIndex(i);
            QCOMPARE(target->text(), stem + endings.at(i));
            // Only html and pdf carry the attachments.
            QCOMPARE(attachments->isEnabled(), i == 1 || i == 2);
        }

        // A target the user typed keeps its name; only its ending follows.
        target->setText(m_out.filePath(QStringLiteral("mine.jsonl")));
        format->setCurrentIndex(2);
        QCOMPARE(target->text(), m_out.filePath(QStringLiteral("mine.pdf")));
        format->setCurrentIndex(0);
        QCOMPARE(target->text(), m_out.filePath(QStringLiteral("mine.txt")));

        // Cancel closes without writing anything.
        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    QVERIFY(entriesOf(m_out.path()).isEmpty());
    QVERIFY(m_launches.isEmpty());
}

void ExportDialogTest::allConversationsLeaveTheOpenOneAsItWas()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(1); // Pat O'Neil: "hello" and "yes"
    const QString target = m_out.filePath(QStringLiteral("all.txt"));
    runDialog(win, [&](ExportDialog* dialog) {
        QVERIFY(child<QRadioButton>(dialog, "conversationScope")->isChecked());
        child<QRadioButton>(dialog, "allScope")->click();
        QVERIFY(child<QRadioButton>(dialog, "allScope")->isChecked());
        exportTo(dialog, target);
        QCOMPARE(child<QLabel>(dialog, "progressLabel")->text(), QStringLiteral("4 of 4 messages"));
        QVERIFY(!child<QPushButton>(dialog, "okButton")->isVisible());
        QVERIFY(child<QPushButton>(dialog, "folderButton")->isVisible());
        auto* open = child<QPushButton>(dialog, "openButton");
        QVERIFY(open->isVisible());
        QTest::mouseClick(open, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    // The list page's "Copy" form, latest conversation first.
    const QByteArray expected = stars(45) + "\r\n" + fromLine("13800001111", "09:06:40") + "你好 😀\r\n" + stars(45) +
                                "\r\n" + fromLine("13800001111", "08:33:20") + "are you there?\r\n" + stars(45) +
                                "\r\n" + stars(45) + "\r\n" + fromLine("10086", "08:50:00") + "yes\r\n" + stars(45) +
                                "\r\n" + fromLine("10086", "08:16:40") + "hello\r\n" + stars(45) + "\r\n";
    QCOMPARE(readAll(target), expected);
    QCOMPARE(m_launches, QStringList{QStringLiteral("opener:") + target});
    QCOMPARE(entriesOf(m_out.path()), QStringList{QStringLiteral("all.txt")});

    // The chat page and the store's open conversation are as they were:
    // "Copy" of the chat page still writes Pat's conversation.
    QCOMPARE(win.page(), 2);
    QCOMPARE(win.bubbleTexts(), QStringList({QStringLiteral("hello"), QStringLiteral("yes")}));
    const QString copy = m_out.filePath(QStringLiteral("copy.txt"));
    driver::pressInNextModal(QStringLiteral("pushButton_2"), [&](QWidget* save) {
        save->findChild<QLineEdit*>(QStringLiteral("lineEdit"))->setText(copy);
        QTest::mouseClick(save->findChild<QCheckBox*>(QStringLiteral("checkBox")), Qt::LeftButton);
    });
    win.w->findChild<QAction*>(QStringLiteral("actionCopy"))->trigger();
    QCOMPARE(readAll(copy), stars(45) + "\r\n*10086\r\n" + stars(43) + "\r\n" + fromLine("10086", "08:16:40") +
                                "hello\r\n" + fromLine("10086", "08:50:00") + "yes\r\n");
}

void ExportDialogTest::openConversationGoesToItsDefaultName()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(1);
    const QString proposed =
        harness::backupFolder() + QStringLiteral("/Pat O'Neil ") + today() + QStringLiteral(".txt");
    runDialog(win, [&](ExportDialog* dialog) {
        QVERIFY(child<QRadioButton>(dialog, "conversationScope")->isChecked());
        QVERIFY(child<QRadioButton>(dialog, "conversationScope")->text().contains(QStringLiteral("Pat O'Neil")));
        // Nothing is selected outside edit mode.
        QVERIFY(!child<QRadioButton>(dialog, "selectedScope")->isEnabled());
        QCOMPARE(child<QLineEdit>(dialog, "targetEdit")->text(), proposed);
        QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        QTRY_VERIFY(child<QPushButton>(dialog, "openButton")->isVisible());
        // "Show in folder" shows the folder the export went in.
        QTest::mouseClick(child<QPushButton>(dialog, "folderButton"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(readAll(proposed), stars(45) + "\r\n*10086\r\n" + stars(43) + "\r\n" + fromLine("10086", "08:16:40") +
                                    "hello\r\n" + fromLine("10086", "08:50:00") + "yes\r\n");
    QCOMPARE(m_launches, QStringList{QStringLiteral("opener:") + harness::backupFolder()});
}

void ExportDialogTest::selectedMessagesOnly()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(0); // Anna Lee: "are you there?" and "你好 😀"
    QWidget* chat = win.chatPage();
    QTRY_COMPARE(win.bubbleTexts(), QStringList({QStringLiteral("are you there?"), QStringLiteral("你好 😀")}));
    QTest::mouseClick(chat->findChild<QWidget*>(QStringLiteral("pushButton_Edit")), Qt::LeftButton);
    QFrame* bubble = nullptr;
    const auto frames = chat->findChildren<QFrame*>();
    for (QFrame* f : frames) {
        auto* text = f->findChild<QLabel*>(QStringLiteral("specialButton"));
        if (f->inherits("Frame") && text && text->text() == QStringLiteral("are you there?"))
            bubble = f;
    }
    QVERIFY(bubble);
    auto* select = bubble->findChild<QToolButton*>(QStringLiteral("itemFrame2222"));
    QTRY_VERIFY(select->isVisible());
    QTest::mouseClick(select, Qt::LeftButton);
    QTRY_VERIFY(chat->findChild<QPushButton*>(QStringLiteral("pushButton_3"))->isEnabled());

    const QString target = m_out.filePath(QStringLiteral("selected.txt"));
    runDialog(win, [&](ExportDialog* dialog) {
        auto* selected = child<QRadioButton>(dialog, "selectedScope");
        QVERIFY(selected->isEnabled());
        QVERIFY(selected->isChecked());
        QCOMPARE(selected->text(), QStringLiteral("The selected messages (1)"));
        exportTo(dialog, target);
        QCOMPARE(child<QLabel>(dialog, "progressLabel")->text(), QStringLiteral("1 of 1 messages"));
    });
    QCOMPARE(readAll(target), stars(45) + "\r\n*13800001111\r\n" + stars(43) + "\r\n" +
                                  fromLine("13800001111", "08:33:20") + "are you there?\r\n");
    // The selection is still there for a delete.
    QVERIFY(chat->findChild<QPushButton*>(QStringLiteral("pushButton_3"))->isEnabled());
}

void ExportDialogTest::dateRangeAndUnsafeNames()
{
    // Three days of one conversation whose contact name holds separators.
    const QString source = m_out.filePath(QStringLiteral("days.sms"));
    fixtures::makeBackupFile(source,
                             {{1, QStringLiteral("5550001"), noonOf(2024, 3, 1), QStringLiteral("first"), 2},
                              {2, QStringLiteral("5550001"), noonOf(2024, 3, 5), QStringLiteral("second"), 3},
                              {3, QStringLiteral("5550001"), noonOf(2024, 3, 9), QStringLiteral("third"), 2}},
                             {{QStringLiteral("Kim/../Lee"), QStringLiteral("5550001")}});
    Window win;
    QVERIFY(win.w->openPath(source));
    QTRY_COMPARE(win.conversationRows().size(), 1);
    win.openConversation(0);
    const QString target = m_out.filePath(QStringLiteral("range.txt"));
    runDialog(win, [&](ExportDialog* dialog) {
        // The name from the phone becomes one plain file name in the backup folder.
        const QFileInfo proposed(child<QLineEdit>(dialog, "targetEdit")->text());
        QCOMPARE(proposed.absolutePath(), harness::backupFolder());
        QVERIFY2(proposed.fileName().endsWith(today() + QStringLiteral(".txt")), qPrintable(proposed.fileName()));
        QVERIFY2(proposed.fileName().contains(QStringLiteral("Lee")), qPrintable(proposed.fileName()));

        auto* range = child<QCheckBox>(dialog, "rangeBox");
        auto* from = child<QDateEdit>(dialog, "fromEdit");
        auto* to = child<QDateEdit>(dialog, "toEdit");
        QVERIFY(!range->isChecked());
        QVERIFY(!from->isEnabled() && !to->isEnabled());
        // The range starts as the days the messages span.
        QCOMPARE(from->date(), QDate(2024, 3, 1));
        QCOMPARE(to->date(), QDate(2024, 3, 9));
        range->click();
        QVERIFY(from->isEnabled() && to->isEnabled());

        // A range that ends before it starts is told, and nothing runs.
        from->setDate(QDate(2024, 3, 6));
        to->setDate(QDate(2024, 3, 4));
        shellkit::DialogSeam::pushAnswer(0);
        exportTo(dialog, target);
        QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
        QVERIFY(!QFile::exists(target));

        // Both ends are included.
        from->setDate(QDate(2024, 3, 5));
        to->setDate(QDate(2024, 3, 9));
        exportTo(dialog, target);
        QCOMPARE(child<QLabel>(dialog, "progressLabel")->text(), QStringLiteral("2 of 2 messages"));
    });
    const QByteArray text = readAll(target);
    QVERIFY2(!text.contains("first") && text.contains("second") && text.contains("third"), text.constData());
}

void ExportDialogTest::refusedTargetMayBeChangedBeforeAnythingRuns()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    const QString taken = m_out.filePath(QStringLiteral("taken.txt"));
    QFile file(taken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    const QString html = m_out.filePath(QStringLiteral("pages"));
    QVERIFY(QDir().mkpath(html + QStringLiteral("/old")));
    const QString fresh = m_out.filePath(QStringLiteral("fresh.txt"));

    bool ranAtAll = false;
    ExportRunner::setStepHookForTests([&](qint64, qint64) { ranAtAll = true; });
    runDialog(win, [&](ExportDialog* dialog) {
        shellkit::DialogSeam::pushAnswer(0);
        exportTo(dialog, taken);
        QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
        // Told as it is, before any export started (which would say it
        // could not be written).
        QCOMPARE(shellkit::DialogSeam::shown().last().text,
                 taken + QStringLiteral(": a file of that name is already there"));
        // A folder with something in it is refused for html as well.
        child<QComboBox>(dialog, "formatBox")->setCurrentIndex(1);
        shellkit::DialogSeam::pushAnswer(0);
        exportTo(dialog, html);
        QCOMPARE(shellkit::DialogSeam::shown().size(), 2);
        QVERIFY(!ranAtAll);
        // The dialog is still there to choose another target.
        QVERIFY(child<QWidget>(dialog, "exportForm")->isEnabled());
        QVERIFY(child<QPushButton>(dialog, "okButton")->isVisible());
        child<QComboBox>(dialog, "formatBox")->setCurrentIndex(0);
        exportTo(dialog, fresh);
        QVERIFY(child<QPushButton>(dialog, "openButton")->isVisible());
    });
    QCOMPARE(readAll(taken), QByteArray("keep me"));
    QCOMPARE(entriesOf(html), QStringList{QStringLiteral("old")});
    QVERIFY(ranAtAll);
    QVERIFY(readAll(fresh).contains("are you there?"));
}

void ExportDialogTest::cancelLeavesNothingAndSaysSo()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    const QString target = m_out.filePath(QStringLiteral("cancelled.txt"));
    holdAfterFirstMessage();
    runDialog(win, [&](ExportDialog* dialog) {
        child<QLineEdit>(dialog, "targetEdit")->setText(target);
        QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        // Held after its first message: the dialog is busy and says how far.
        QTRY_VERIFY(m_reached.available() > 0);
        m_reached.acquire();
        QVERIFY(dialog->isRunning());
        QVERIFY(!child<QWidget>(dialog, "exportForm")->isEnabled());
        QVERIFY(!child<QPushButton>(dialog, "okButton")->isEnabled());
        QVERIFY(child<QProgressBar>(dialog, "progressBar")->isVisible());
        QTRY_COMPARE(child<QLabel>(dialog, "progressLabel")->text(), QStringLiteral("1 of 4 messages"));

        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        m_proceed.release();
        QTRY_VERIFY(!dialog->isRunning());
        QCOMPARE(child<QLabel>(dialog, "messageLabel")->text(),
                 QStringLiteral("The export was cancelled; nothing was written."));
        QVERIFY(entriesOf(m_out.path()).isEmpty());
        // The dialog stays for another try.
        QVERIFY(dialog->isVisible());
        QVERIFY(child<QWidget>(dialog, "exportForm")->isEnabled());
        QVERIFY(child<QPushButton>(dialog, "okButton")->isEnabled());
        QVERIFY(!child<QPushButton>(dialog, "openButton")->isVisible());
    });
    QVERIFY(entriesOf(m_out.path()).isEmpty());
    QVERIFY(shellkit::DialogSeam::shown().isEmpty());
    QVERIFY(m_launches.isEmpty());
}

void ExportDialogTest::closingWhileRunningWaitsForTheEnd()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    const QString target = m_out.filePath(QStringLiteral("closed.txt"));
    holdAfterFirstMessage();
    runDialog(win, [&](ExportDialog* dialog) {
        child<QLineEdit>(dialog, "targetEdit")->setText(target);
        QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        QTRY_VERIFY(m_reached.available() > 0);
        m_reached.acquire();
        // Escape while the export runs: the dialog stays until it ended.
        QTest::keyClick(dialog, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        m_proceed.release();
        QTRY_VERIFY(!dialog->isVisible());
    });
    QVERIFY(entriesOf(m_out.path()).isEmpty());
    // The window goes on: the list is as it was.
    QCOMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));
}

void ExportDialogTest::exportWithoutSource()
{
    Window win;
    shellkit::DialogSeam::pushAnswer(0);
    win.w->findChild<QAction*>(QStringLiteral("actionExport"))->trigger();
    QCOMPARE(harness::shownTexts(), QStringList{QStringLiteral("Information: No data sorce!!!Please check one!!!")});
    QVERIFY(!QApplication::activeModalWidget());
}

void ExportDialogTest::pdfPaintsOnAWorkerThread()
{
    // The pdf format paints on the export's thread: QPainter on a
    // QPdfWriter off the GUI thread, with the application's fonts.
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    const QString path = m_out.filePath(QStringLiteral("worker.pdf"));
    const QString text = QStringLiteral("Grüße 你好 page");
    bool painted = false;
    QThread* thread = QThread::create([&] {
        QPdfWriter writer(path);
        QPainter painter;
        if (!painter.begin(&writer))
            return;
        for (int page = 1; page <= 3; ++page) {
            if (page > 1)
                writer.newPage();
            painter.drawText(QPointF(200, 400), text + QLatin1Char(' ') + QString::number(page));
        }
        painted = painter.end();
    });
    thread->start();
    QTRY_VERIFY(thread->isFinished());
    thread->wait();
    delete thread;
    QVERIFY(painted);

    QProcess extract;
    extract.start(pdftotext, {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    QVERIFY(extract.waitForFinished(60000));
    QCOMPARE(extract.exitCode(), 0);
    const QString out = QString::fromUtf8(extract.readAllStandardOutput());
    for (int page = 1; page <= 3; ++page)
        QVERIFY2(out.contains(text + QLatin1Char(' ') + QString::number(page)), qPrintable(out));
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    ExportDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exportdialog.moc"

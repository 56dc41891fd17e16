// "Copy" and the single-message copy through the real window: the save
// dialog is answered from a queued call, the text editor start goes to the
// launcher seam, and the files are compared byte for byte (fixed TZ, UTC+8).

#include "DialogDriver.h"
#include "MainWindowHarness.h"
#include "MessageStore.h"
#include "TextExporter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRegularExpression>
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

} // namespace

class ExportTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listPageExport();
    void chatPageExport();
    void singleMessageCopy();
    void cancelWritesNothing();
    void copyWithoutSource();
    void copyWithNoConversationOpen();
    void unwritableTargetIsReported();
    void listExportEndsOnTheLastConversation();

private:
    // Runs the next save dialog: puts target into its path field, unticks
    // "Open output file" when asked, and presses OK (or Cancel).
    void answerSaveDialog(const QString& target, bool openFile = true, bool ok = true);

    QTemporaryDir m_out;
    QStringList m_launches;
    QString m_proposed;
};

void ExportTest::initTestCase()
{
    shellkit::setLauncherForTests([this](const QString& kind, const QString& path) {
        m_launches << kind + QLatin1Char(':') + path;
        return true;
    });
}

void ExportTest::init()
{
    harness::resetSeams();
    harness::seedBackupFolder();
    m_launches.clear();
    m_proposed.clear();
}

void ExportTest::cleanup()
{
    QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    QCOMPARE(shellkit::DialogSeam::unanswered(), 0);
}

void ExportTest::answerSaveDialog(const QString& target, bool openFile, bool ok)
{
    driver::pressInNextModal(
        ok ? QStringLiteral("pushButton_2") : QStringLiteral("pushButton_3"), [=](QWidget* dialog) {
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("lineEdit"));
            QVERIFY(field);
            m_proposed = field->text();
            field->setText(target);
            if (!openFile)
                QTest::mouseClick(dialog->findChild<QCheckBox*>(QStringLiteral("checkBox")), Qt::LeftButton);
        });
}

void ExportTest::listPageExport()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    const QString target = m_out.filePath(QStringLiteral("list.txt"));
    answerSaveDialog(target);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);

    // Latest conversation first, its messages newest first, a rule after each.
    const QByteArray expected = stars(45) + "\r\n" + fromLine("13800001111", "09:06:40") + "你好 😀\r\n" + stars(45) +
                                "\r\n" + fromLine("13800001111", "08:33:20") + "are you there?\r\n" + stars(45) +
                                "\r\n" + stars(45) + "\r\n" + fromLine("10086", "08:50:00") + "yes\r\n" + stars(45) +
                                "\r\n" + fromLine("10086", "08:16:40") + "hello\r\n" + stars(45) + "\r\n";
    QCOMPARE(readAll(target), expected);
    QCOMPARE(m_launches, QStringList{QStringLiteral("editor:") + target});

    // The dialog proposed a file named by the time in the backup folder.
    const QRegularExpression name(QRegularExpression::escape(harness::backupFolder()) +
                                  QStringLiteral("/\\d{4}\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.\\d\\d\\.txt"));
    QVERIFY2(name.match(m_proposed).hasMatch(), qPrintable(m_proposed));
    // The export leaves the list as it was.
    QCOMPARE(win.page(), 1);
    QCOMPARE(win.conversationNames(), QStringList({QStringLiteral("Anna Lee"), QStringLiteral("Pat O'Neil")}));
}

void ExportTest::chatPageExport()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(1);
    const QString target = m_out.filePath(QStringLiteral("chat.txt"));
    answerSaveDialog(target, false);
    win.w->findChild<QAction*>(QStringLiteral("actionCopy"))->trigger();

    const QByteArray expected = stars(45) + "\r\n*10086\r\n" + stars(43) + "\r\n" + fromLine("10086", "08:16:40") +
                                "hello\r\n" + fromLine("10086", "08:50:00") + "yes\r\n";
    QCOMPARE(readAll(target), expected);
    // "Open output file" was unticked.
    QVERIFY(m_launches.isEmpty());
    QCOMPARE(win.page(), 2);
}

void ExportTest::singleMessageCopy()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    win.openConversation(1);
    QTRY_COMPARE(win.bubbleTexts(), QStringList({QStringLiteral("hello"), QStringLiteral("yes")}));

    const QString target = m_out.filePath(QStringLiteral("one.txt"));
    const auto copyButtonOf = [&](const QString& text) -> QToolButton* {
        const auto frames = win.chatPage()->findChildren<QFrame*>();
        for (QFrame* f : frames) {
            auto* label = f->findChild<QLabel*>(QStringLiteral("specialButton1"));
            if (!label)
                label = f->findChild<QLabel*>(QStringLiteral("specialButton"));
            if ((f->inherits("Frame") || f->inherits("Frame1")) && label && label->text() == text)
                return f->findChild<QToolButton*>(QStringLiteral("pushButton_copyOne"));
        }
        return nullptr;
    };

    // The sent message, from its bubble's copy button.
    QToolButton* copyYes = copyButtonOf(QStringLiteral("yes"));
    QVERIFY(copyYes);
    answerSaveDialog(target);
    copyYes->click();
    QCOMPARE(readAll(target), stars(54) + "\r\n*  From:  10086 time:time:Thu Jan 01 08:50:00 1970\n\r\nyes\r\n");
    QCOMPARE(m_launches, QStringList{QStringLiteral("editor:") + target});

    // A received one replaces the file and the prepared lines.
    QToolButton* copyHello = copyButtonOf(QStringLiteral("hello"));
    QVERIFY(copyHello);
    answerSaveDialog(target, false);
    copyHello->click();
    QCOMPARE(readAll(target), stars(54) + "\r\n*  From:  10086 time:time:Thu Jan 01 08:16:40 1970\n\r\nhello\r\n");
    QCOMPARE(m_launches.size(), 1);
}

void ExportTest::cancelWritesNothing()
{
    Window win;
    win.list()->setCurrentRow(2);
    const QString target = m_out.filePath(QStringLiteral("cancelled.txt"));
    answerSaveDialog(target, true, false);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
    QVERIFY(!QFile::exists(target));
    QVERIFY(QDir(harness::backupFolder()).entryList({QStringLiteral("2*.txt")}).isEmpty());
    QVERIFY(m_launches.isEmpty());
}

void ExportTest::copyWithoutSource()
{
    Window win;
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
    QCOMPARE(harness::shownTexts(), QStringList{QStringLiteral("Information: No data sorce!!!Please check one!!!")});
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(QDir(harness::backupFolder()).entryList({QStringLiteral("2*.txt")}).isEmpty());
}

void ExportTest::copyWithNoConversationOpen()
{
    Window win;
    win.list()->setCurrentRow(2);
    win.openConversation(0);
    // The phone row shows the start page; the backup's store stays loaded.
    win.list()->setCurrentRow(0);
    QCOMPARE(win.page(), 0);
    const QString target = m_out.filePath(QStringLiteral("nothing.txt"));
    answerSaveDialog(target, false);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
    QCOMPARE(readAll(target), QByteArray());
}

void ExportTest::unwritableTargetIsReported()
{
    Window win;
    win.list()->setCurrentRow(2);
    QTRY_COMPARE(win.conversationRows().size(), 2);
    const QString target = m_out.filePath(QStringLiteral("no/such/folder/out.txt"));
    answerSaveDialog(target);
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 1);
    QCOMPARE(shellkit::DialogSeam::shown().first().title, QStringLiteral("Warning"));
    QVERIFY(shellkit::DialogSeam::shown().first().text.contains(target));
    QVERIFY(!QFile::exists(target));
    QVERIFY(m_launches.isEmpty());

    // An empty path field is no file either.
    answerSaveDialog(QString());
    shellkit::DialogSeam::pushAnswer(0);
    QTest::mouseClick(win.w->findChild<QPushButton*>(QStringLiteral("Btn_Back")), Qt::LeftButton);
    QCOMPARE(shellkit::DialogSeam::shown().size(), 2);
    QVERIFY(m_launches.isEmpty());
}

void ExportTest::listExportEndsOnTheLastConversation()
{
    // As when the list was written by selecting each conversation in turn:
    // afterwards the store's conversation is the last one written.
    MessageStore store;
    for (qint64 id = 1; id <= 3; ++id) {
        MessageRecord m;
        m.rowId = id;
        m.time = id * 100;
        m.contactName = "NULL";
        m.address = id == 2 ? QByteArray("10086") : QByteArray("13800001111");
        m.text = "text " + QByteArray::number(id);
        store.messages.append(m);
    }
    store.messageCount = 3;
    store.buildConversationList();
    store.selectConversation("13800001111");
    const QString target = m_out.filePath(QStringLiteral("store-list.txt"));
    QVERIFY(TextExporter::writeWholeExport(&store, TextExporter::Shown::ConversationList, target));
    QCOMPARE(store.conversation.size(), 1);
    QCOMPARE(store.conversation.first().address, QByteArray("10086"));
    QVERIFY(readAll(target).contains("text 2"));
}

int main(int argc, char** argv)
{
    const auto home = harness::useTemporaryHome();
    QApplication app(argc, argv);
    ExportTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_export.moc"

// The entry routine of msgdesk, run in this process: each case runs the
// whole routine (its own application object, set-up, event loop,
// tear-down) and looks at the window through the routine's hook.
#include "AboutBox.h"
#include "MainWindow.h"
#include "MsgdeskStartup.h"
#include "ProductSetup.h"
#include "SourceLoader.h"
#include "StartupArguments.h"
#include "xdialogs.h"
#include "xframeskin.h"
#include "xproductInfo.h"
#include "xresourceMgr.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

namespace {

// What the hook saw while the program was up.
struct Seen
{
    bool called = false;
    QString frameTitle;
    QString windowTitle;
    QString frameIcon;
    QString productIcon;
    bool frameVisible = false;
    bool titleIconShown = false;
    bool childInFrame = false;
    QStringList libraryPaths;
    QString programDir;
    QString styleSheet;
    QString organisation;
    QString domain;
    QString application;
    QString skin;
    QString language;
    QString productName;
    bool mainWindowKnown = false;
    QString about;
    QString aboutAction;
};

// Runs the routine with the given arguments and quits its loop with exitCode.
int runProgram(const QStringList& arguments, int exitCode, Seen& seen)
{
    std::vector<QByteArray> storage;
    storage.push_back(QByteArray("msgdesk"));
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(storage.size());

    return MsgdeskStartup::run(argc, argv.data(), [&seen, exitCode](xframeskin* frame) {
        seen.called = true;
        seen.frameTitle = frame->windowTitle();
        seen.windowTitle = frame->child() ? frame->child()->windowTitle() : QString();
        seen.childInFrame = frame->child() && frame->child()->parentWidget() == frame;
        seen.frameIcon = frame->iconFile();
        seen.frameVisible = frame->isVisible();
        auto* icon = frame->findChild<QLabel*>(QStringLiteral("xframeskinIcon"));
        seen.titleIconShown = icon && !icon->isHidden() && !icon->pixmap().isNull();
        seen.libraryPaths = QCoreApplication::libraryPaths();
        seen.programDir = QCoreApplication::applicationDirPath();
        seen.styleSheet = qApp->styleSheet();
        seen.organisation = QCoreApplication::organizationName();
        seen.domain = QCoreApplication::organizationDomain();
        seen.application = QCoreApplication::applicationName();
        if (xproductInfo::m_instance) {
            seen.productIcon = xproductInfo::m_instance->iconFile();
            seen.productName = xproductInfo::m_instance->productName();
            seen.mainWindowKnown = xproductInfo::m_instance->mainWindow() == frame->child();
        }
        seen.about = aboutText();
        if (auto* action = frame->child()->findChild<QAction*>(QStringLiteral("actionAbout")))
            seen.aboutAction = action->text();
        if (xresourceMgr::m_instance) {
            seen.skin = xresourceMgr::m_instance->currentSkin();
            seen.language = xresourceMgr::m_instance->currentLang();
        }
        QTimer::singleShot(0, [exitCode] { QCoreApplication::exit(exitCode); });
    });
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

private slots:
    void initTestCase()
    {
        // The main window makes its backup folder under the user's
        // documents at start; keep that inside a throw-away home.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"})
            qunsetenv(name);
    }

    void productRecord()
    {
        const _AppInfo info = ProductSetup::msgdeskAppInfo();
        QCOMPARE(info.companyName, QStringLiteral("Varnel"));
        QCOMPARE(info.studioName, QStringLiteral("Varnel Studio"));
        QCOMPARE(info.brandName, QStringLiteral("Varnel"));
        QCOMPARE(info.appFullName, QStringLiteral("Varnel Handset Textkeep"));
        QCOMPARE(info.appName, QStringLiteral("Varnel Textkeep"));
        QCOMPARE(info.appCode, QStringLiteral("txk-desk"));
        QCOMPARE(info.version, QStringLiteral("1.2.12"));
        // One version number: the build's.
        QCOMPARE(info.version, QStringLiteral(MSGDESK_VERSION));
        QCOMPARE(info.helpFile, QStringLiteral("help.chm"));
        // The addresses all belong to the home page's site.
        for (const QString& url : {info.appPageUrl, info.buyPageUrl, info.supportPageUrl, info.updateInfoUrl}) {
            QVERIFY2(url.startsWith(info.homePageUrl), qPrintable(url));
            QVERIFY2(url.size() > info.homePageUrl.size(), qPrintable(url));
        }
        QVERIFY(info.homePageUrl.startsWith(QLatin1String("https://")));
        QVERIFY(info.updateInfoUrl.endsWith(QStringLiteral("/update/") + info.appCode + QStringLiteral(".txt")));
        QVERIFY(info.supportMail.contains(QLatin1Char('@')));
        QVERIFY(info.salesMail.contains(QLatin1Char('@')));
        QVERIFY(info.supportMail != info.salesMail);
        QVERIFY(!info.legalNotice.isEmpty());
        QVERIFY(!info.legalNotice.contains(QLatin1Char('\n')));
    }

    void skinAndLanguageTables()
    {
        QCOMPARE(QString::fromUtf8(ProductSetup::kSkins[0]), QStringLiteral("default"));
        QVERIFY(ProductSetup::kSkins[1] == nullptr);
        // English, the source texts, first; then every language with a catalogue.
        QCOMPARE(ProductSetup::languages(), (QStringList{"en_US", "ja", "fr", "de", "zh_CN", "zh_TW", "es"}));
    }

    void iconsAreInTheBundle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("product") << ":/icon/varnel.png";
        QTest::newRow("backup") << ":/icon/backup.png";
        QTest::newRow("phone") << ":/icon/iphone.png";
    }

    void iconsAreInTheBundle()
    {
        // Registered before any application object exists.
        QFETCH(QString, path);
        QVERIFY(QFile::exists(path));
        QImage image(path);
        QVERIFY(!image.isNull());
        QVERIFY(image.width() >= 32 && image.width() == image.height());
        QVERIFY(image.hasAlphaChannel());
        // Transparent corners: the icon is a shape, not a filled square.
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    }

    void defaultSkinIsInTheBundle() { QVERIFY(QFile::exists(QStringLiteral(":/skins/default/00-base.qss"))); }

    void pluginFolder()
    {
        QTemporaryDir program;
        QVERIFY(program.isValid());
        // No "plugins" folder: the program folder itself.
        QCOMPARE(MsgdeskStartup::pluginFolder(program.path()), program.path());
        // A file called "plugins" is no folder either.
        {
            QFile file(program.filePath(QStringLiteral("plugins")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QCOMPARE(MsgdeskStartup::pluginFolder(program.path()), program.path());
        QVERIFY(QFile::remove(program.filePath(QStringLiteral("plugins"))));
        // The folder: entered.
        QVERIFY(QDir(program.path()).mkdir(QStringLiteral("plugins")));
        QCOMPARE(MsgdeskStartup::pluginFolder(program.path()), program.filePath(QStringLiteral("plugins")));
    }

    void showsTheFramedWindow()
    {
        Seen seen;
        QCOMPARE(runProgram({}, 0, seen), 0);
        QVERIFY(seen.called);
        QVERIFY(seen.frameVisible);
        QVERIFY(seen.childInFrame);
        QCOMPARE(seen.windowTitle, QStringLiteral("Varnel Textkeep"));
        QCOMPARE(seen.productName, QStringLiteral("Varnel Textkeep"));
        QCOMPARE(seen.frameTitle, seen.productName);
        QCOMPARE(seen.frameIcon, QStringLiteral(":/icon/varnel.png"));
        QCOMPARE(seen.productIcon, QStringLiteral(":/icon/varnel.png"));
        QVERIFY(seen.titleIconShown);
        QVERIFY(seen.mainWindowKnown);
        QCOMPARE(seen.organisation, QStringLiteral("Varnel"));
        QCOMPARE(seen.domain, QStringLiteral("Varnel Studio"));
        QCOMPARE(seen.application, QStringLiteral("Varnel Textkeep"));
        QCOMPARE(seen.skin, QStringLiteral("default"));
        QCOMPARE(seen.language, QStringLiteral("en_US"));
        // The About box names the product and the build's version.
        QCOMPARE(seen.aboutAction, QStringLiteral("&About Varnel Textkeep"));
        QVERIFY2(seen.about.contains(QStringLiteral("Varnel Textkeep")), qPrintable(seen.about));
        QVERIFY2(seen.about.contains(QStringLiteral("Version " MSGDESK_VERSION)), qPrintable(seen.about));
        QVERIFY(seen.about.contains(QStringLiteral("https://www.varnel-studio.com/")));
        // The skin files of the program are in force after shellkit's rules.
        QVERIFY(seen.styleSheet.contains(QLatin1String("#xframeskinTitleBar")));
        QVERIFY(seen.styleSheet.contains(QLatin1String("QStatusBar")));
    }

    void programFolderIsOnTheLibraryPathWithoutPlugins()
    {
        // The test's own folder, where the routine looks, has no "plugins".
        Seen seen;
        QCOMPARE(runProgram({}, 0, seen), 0);
        QVERIFY(!QFileInfo::exists(seen.programDir + QStringLiteral("/plugins")));
        QVERIFY2(seen.libraryPaths.contains(seen.programDir), qPrintable(seen.libraryPaths.join(QLatin1Char(' '))));
    }

    void pluginsFolderGoesFirstOnTheLibraryPath()
    {
        // The routine looks next to the running program, which is this test.
        QString programDir;
        {
            int argc = 1;
            char name[] = "probe";
            char* argv[] = {name, nullptr};
            QCoreApplication probe(argc, argv);
            programDir = QCoreApplication::applicationDirPath();
        }
        QDir dir(programDir);
        const bool made = !dir.exists(QStringLiteral("plugins")) && dir.mkdir(QStringLiteral("plugins"));
        if (!made)
            QSKIP("cannot make a plugins folder next to the test program");
        auto removeFolder = qScopeGuard([&dir] { dir.rmdir(QStringLiteral("plugins")); });

        Seen seen;
        QCOMPARE(runProgram({}, 0, seen), 0);
        QVERIFY(!seen.libraryPaths.isEmpty());
        QCOMPARE(QDir::cleanPath(seen.libraryPaths.first()), QDir::cleanPath(dir.filePath(QStringLiteral("plugins"))));
    }

    void exitCodeIsTheLoopsResult_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("zero") << 0;
        QTest::newRow("three") << 3;
        QTest::newRow("forty-two") << 42;
    }

    void exitCodeIsTheLoopsResult()
    {
        QFETCH(int, code);
        Seen seen;
        QCOMPARE(runProgram({}, code, seen), code);
        QVERIFY(seen.called);
    }

    void unknownOptionsAndExtraPathsAreIgnored()
    {
        Seen plain;
        QCOMPARE(runProgram({}, 5, plain), 5);
        shellkit::DialogSeam::activate();
        auto seamOff = qScopeGuard([] { shellkit::DialogSeam::deactivate(); });
        Seen withArguments;
        QCOMPARE(runProgram({QStringLiteral("--backup"), QStringLiteral("-x"), QStringLiteral("--"),
                             QStringLiteral("--not-an-option.sms"), QStringLiteral("\xe6\x97\xa5\xe6\x9c\xac")},
                            5, withArguments),
                 5);
        QCOMPARE(withArguments.frameTitle, plain.frameTitle);
        QCOMPARE(withArguments.frameIcon, plain.frameIcon);
        QCOMPARE(withArguments.skin, plain.skin);
        QVERIFY(withArguments.frameVisible);
    }

    void argumentsAreRead_data()
    {
        using Action = StartupArguments::Action;
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("ignored");
        QTest::newRow("none") << QStringList{} << int(Action::Run) << QString() << QStringList{};
        QTest::newRow("a path") << QStringList{"/tmp/a.sms"} << int(Action::Run) << "/tmp/a.sms" << QStringList{};
        QTest::newRow("version") << QStringList{"--version"} << int(Action::Version) << QString() << QStringList{};
        QTest::newRow("short version") << QStringList{"-v"} << int(Action::Version) << QString() << QStringList{};
        QTest::newRow("help") << QStringList{"-h"} << int(Action::Help) << QString() << QStringList{};
        QTest::newRow("first option decides")
            << QStringList{"--help", "--version"} << int(Action::Help) << QString() << QStringList{};
        QTest::newRow("device check") << QStringList{"--check-device-support"} << int(Action::CheckDeviceSupport)
                                      << QString() << QStringList{};
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "b.sms"} << int(Action::Run) << "b.sms"
                                        << QStringList{"--frobnicate"};
        QTest::newRow("second path") << QStringList{"a.sms", "b.sms"} << int(Action::Run) << "a.sms"
                                     << QStringList{"b.sms"};
        QTest::newRow("path after --") << QStringList{"--", "--version"} << int(Action::Run) << "--version"
                                       << QStringList{};
        QTest::newRow("lone dash is a path") << QStringList{"-"} << int(Action::Run) << "-" << QStringList{};
    }

    void argumentsAreRead()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, path);
        QFETCH(QStringList, ignored);
        const StartupArguments parsed = parseStartupArguments(arguments);
        QCOMPARE(int(parsed.action), action);
        QCOMPARE(parsed.path, path);
        QCOMPARE(parsed.ignored, ignored);
    }

    void pathGivenAtStartIsOpened()
    {
        // A .sms backup outside the backup folder gets a row of its own and is shown.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess demo;
        demo.start(QStringLiteral(MSGDESK_DEMO_DATA), {QStringLiteral("--backups"), dir.path(), QStringLiteral("1")});
        QVERIFY(demo.waitForFinished(-1));
        QCOMPARE(demo.exitCode(), 0);
        const QStringList made = QDir(dir.path()).entryList({QStringLiteral("*.sms")}, QDir::Files);
        QCOMPARE(made.size(), 1);
        const QString backup = dir.filePath(QStringLiteral("given.sms"));
        QVERIFY(QFile::rename(dir.filePath(made.first()), backup));
        shellkit::DialogSeam::activate();
        shellkit::DialogSeam::reset();
        auto seamOff = qScopeGuard([] { shellkit::DialogSeam::deactivate(); });
        QString currentRow;
        QString currentTip;
        std::vector<QByteArray> storage{QByteArray("msgdesk"), QFile::encodeName(backup)};
        char* argv[] = {storage[0].data(), storage[1].data(), nullptr};
        bool readEnded = false;
        const int result = MsgdeskStartup::run(2, argv, [&](xframeskin* frame) {
            auto* window = qobject_cast<MainWindow*>(frame->child());
            QVERIFY(window);
            auto* list = window->findChild<QListWidget*>(QStringLiteral("listWidget"));
            QVERIFY(list);
            // The path opens from the event loop, after the window shows;
            // its read ends before the loop is left.
            QObject::connect(window->sourceLoader(), &SourceLoader::loadEnded, frame,
                             [&readEnded] { readEnded = true; });
            auto* poll = new QTimer(frame);
            QObject::connect(poll, &QTimer::timeout, frame, [&, window, list, poll] {
                if (!readEnded || window->sourceLoader()->isLoading())
                    return;
                poll->stop();
                if (list->currentItem()) {
                    currentRow = list->currentItem()->text();
                    currentTip = list->currentItem()->toolTip();
                }
                QCoreApplication::exit(0);
            });
            poll->start(10);
            // A guard far beyond what a loaded machine needs; it never races the read.
            QTimer::singleShot(60000, frame, [] { QCoreApplication::exit(99); });
        });
        QCOMPARE(result, 0);
        QCOMPARE(currentRow, QStringLiteral("given.sms"));
        QCOMPARE(currentTip, QDir::toNativeSeparators(backup));
        // A readable backup opens without a word.
        QCOMPARE(shellkit::DialogSeam::shown().size(), 0);
    }

    void missingPathGivenAtStartIsTold()
    {
        shellkit::DialogSeam::activate();
        shellkit::DialogSeam::reset();
        auto seamOff = qScopeGuard([] { shellkit::DialogSeam::deactivate(); });
        QByteArray program("msgdesk");
        QByteArray missing("/nonexistent/never.sms");
        char* argv[] = {program.data(), missing.data(), nullptr};
        const int result = MsgdeskStartup::run(
            2, argv, [](xframeskin* frame) { QTimer::singleShot(0, frame, [] { QCoreApplication::exit(0); }); });
        QCOMPARE(result, 0);
        const QList<shellkit::ShownDialog> shown = shellkit::DialogSeam::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().title, QStringLiteral("Warning"));
        QVERIFY2(shown.first().text.contains(QLatin1String("/nonexistent/never.sms")), qPrintable(shown.first().text));
    }

    void tearDownLeavesNoInstances()
    {
        Seen seen;
        runProgram({}, 0, seen);
        QVERIFY(xproductInfo::m_instance == nullptr);
        QVERIFY(xresourceMgr::m_instance == nullptr);
        QVERIFY(QCoreApplication::instance() == nullptr);
    }

    void closingTheWindowEndsTheProgram()
    {
        int argc = 1;
        char name[] = "msgdesk";
        char* argv[] = {name, nullptr};
        bool closed = false;
        const int result = MsgdeskStartup::run(argc, argv, [&closed](xframeskin* frame) {
            // A guard ends a loop that would not end on its own; it is far
            // beyond what a loaded machine needs, so it never races the close.
            QTimer::singleShot(60000, [] { QCoreApplication::exit(99); });
            QTimer::singleShot(0, frame, [frame, &closed] { closed = frame->close(); });
        });
        QVERIFY(closed);
        QCOMPARE(result, 0);
    }
};

QTEST_APPLESS_MAIN(StartupTest)
#include "tst_startup.moc"

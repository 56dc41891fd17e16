// The updater's progress window and its result boxes, with real transfers
// from a loopback server and the installer start caught by the launcher seam.

#include "MainWindow.h"
#include "TestHttpServer.h"
#include "UpdaterSetup.h"
#include "xframeContainer.h"
#include "xdialogs.h"
#include "xframeskin.h"
#include "xplatform.h"
#include "xpublicPath.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using Window = xframeContainer<MainWindow, xframeskin>;

namespace {

// Runs the handler on the first modal message box that opens; polling,
// because the box opens inside a nested event loop.
void onNextBox(std::function<void(QMessageBox*)> handler)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, handler] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        handler(box);
        // A failed check inside the handler must not leave the test
        // waiting on a box nobody answers.
        if (box->isVisible())
            box->done(-1);
    });
    timer->start();
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    const QList<QAbstractButton*> buttons = box->buttons();
    for (QAbstractButton* button : buttons)
        texts << button->text();
    return texts;
}

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text)
{
    const QList<QAbstractButton*> buttons = box->buttons();
    for (QAbstractButton* button : buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

struct Launch
{
    QString kind;
    QString path;
};

} // namespace

class UpdaterWindowTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    std::unique_ptr<TestHttpServer> m_server;
    QList<Launch> m_launches;
    bool m_launchWorks = true;
    QByteArray m_c = TestHttpServer::patternBody(3000, 9);

    // The window inside its frame, as the program shows it; the frame is
    // removed with the test.
    struct Shown
    {
        std::unique_ptr<Window> window;
        QPointer<xframeskin> frame;
        ~Shown()
        {
            window.reset();
            delete frame.data();
        }
    };

    void show(Shown& shown)
    {
        shown.window = std::make_unique<Window>();
        shown.frame = shown.window->frame();
        shown.window->downloadManager().setConsoleSink([](DownloadManager::Stream, const QByteArray&) {});
        shown.window->setObjectName(QStringLiteral("dialogFrame"));
        shown.window->show();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.path() + QStringLiteral("/.config")));
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        shellkit::setLauncherForTests([this](const QString& kind, const QString& path) {
            m_launches << Launch{kind, path};
            return m_launchWorks;
        });
        shellkit::DialogSeam::activate();
    }

    void cleanupTestCase()
    {
        shellkit::setLauncherForTests({});
        shellkit::DialogSeam::deactivate();
    }

    void init()
    {
        m_launches.clear();
        m_launchWorks = true;
        shellkit::DialogSeam::reset();
        m_server = std::make_unique<TestHttpServer>();
        QVERIFY(m_server->listen());
        m_server->setFile("/a", TestHttpServer::patternBody(5000, 7));
        m_server->setFile("/b", TestHttpServer::patternBody(800, 8));
        m_server->setFile("/c", m_c);
        TestHttpServer::Route slow;
        slow.body = TestHttpServer::patternBody(60000, 5);
        slow.pieceSize = 4000;
        slow.pieceIntervalMs = 40;
        m_server->setRoute("/slow", slow);
        slow.sendLength = false;
        m_server->setRoute("/unsized", slow);
        TestHttpServer::Route moved;
        moved.status = 302;
        moved.reason = "Found";
        moved.body = "<html>moved</html>\n";
        moved.headers << qMakePair(QByteArray("Location"), QByteArray("/c"));
        m_server->setRoute("/setup.exe", moved);
    }

    QStringList downloadFolderEntries() const
    {
        return QDir(xpublicPath::downloadPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    void productRecordAndTables()
    {
        const _AppInfo info = updater::appInfo();
        QCOMPARE(info.companyName, QStringLiteral("Corvane"));
        QCOMPARE(info.studioName, QStringLiteral("Corvane Studio"));
        QVERIFY(info.brandName.isEmpty());
        QCOMPARE(info.appFullName, QStringLiteral("Lumen Converter"));
        QCOMPARE(info.appName, QStringLiteral("Lumen Converter"));
        QCOMPARE(info.appCode, QStringLiteral("x-lumen-converter"));
        QCOMPARE(info.version, QStringLiteral("1.0.1"));
        QCOMPARE(info.helpFile, QStringLiteral("help.chm"));
        QVERIFY(info.updateInfoUrl.endsWith(QLatin1String("/readme.txt")));
        // The update notes are on a host apart from the brand's own site.
        QVERIFY(QUrl(info.updateInfoUrl).host() != QUrl(info.homePageUrl).host());

        QStringList skins;
        for (const char* const* s = updater::skins; *s; ++s)
            skins << QString::fromLatin1(*s);
        QCOMPARE(skins, QStringList({"ray_matter", "Ray_Matter_Plomix", "ultrathin", "default"}));
        QStringList languages;
        for (const char* const* l = updater::languages; *l; ++l)
            languages << QString::fromLatin1(*l);
        QCOMPARE(languages, QStringList({"en_US", "ja", "fr", "de", "zh_CN", "zh_TW", "es"}));
        QVERIFY(QFile::exists(QStringLiteral(":/skins/ultrathin/10-updater.qss")));
    }

    void form()
    {
        MainWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Update"));
        QCOMPARE(window.minimumSize(), QSize(568, 183));
        QCOMPARE(window.size(), QSize(568, 183));
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window.findChild<QLabel*>("label")->text(), QStringLiteral("Downloading..."));
        QCOMPARE(window.findChild<QLabel*>("label_2")->text(), QStringLiteral("Speed:"));
        QCOMPARE(window.findChild<QLabel*>("label_3")->text(), QStringLiteral("0kB/s"));
        QCOMPARE(window.findChild<QPushButton*>("pushButton")->text(), QStringLiteral("&Cancel"));
        auto* bar = window.findChild<QProgressBar*>("progressBar");
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        // Files land in the user's download folder.
        QCOMPARE(window.downloadManager().downloadFolder(), xpublicPath::downloadPath());
        QVERIFY(window.downloadManager().downloadFolder().startsWith(m_home.path()));
    }

    void progressMovesBarAndSpeed()
    {
        MainWindow window;
        auto* bar = window.findChild<QProgressBar*>("progressBar");
        auto* speed = window.findChild<QLabel*>("label_3");

        window.progress(50, 200, QStringLiteral("1.5 kB/s"));
        QCOMPARE(bar->value(), 25);
        QCOMPARE(speed->text(), QStringLiteral("1.5 kB/s"));

        // Truncated, not rounded.
        window.progress(2, 3, QStringLiteral("2.0 kB/s"));
        QCOMPARE(bar->value(), 66);

        // Unknown size, zero size and a count past the size leave the bar.
        window.progress(5000, -1, QStringLiteral("3.0 kB/s"));
        QCOMPARE(bar->value(), 66);
        QCOMPARE(speed->text(), QStringLiteral("3.0 kB/s"));
        window.progress(0, 0, QStringLiteral("0.0 bytes/sec"));
        QCOMPARE(bar->value(), 66);
        QCOMPARE(speed->text(), QStringLiteral("0.0 bytes/sec"));
        window.progress(300, 200, QStringLiteral("4.0 kB/s"));
        QCOMPARE(bar->value(), 66);

        window.progress(200, 200, QStringLiteral("5.0 kB/s"));
        QCOMPARE(bar->value(), 100);
        // The next file starts the bar again.
        window.progress(0, 200, QStringLiteral("0.0 bytes/sec"));
        QCOMPARE(bar->value(), 0);
    }

    void errorBoxEscapePressesOk()
    {
        Shown shown;
        show(shown);
        bool checked = false;
        onNextBox([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
            QCOMPARE(box->informativeText(), QStringLiteral("Download error"));
            QCOMPARE(box->icon(), QMessageBox::Critical);
            QCOMPARE(buttonTexts(box), QStringList({"Ok"}));
            QCOMPARE(box->buttonRole(box->buttons().first()), QMessageBox::AcceptRole);
            QVERIFY(box->windowFlags().testFlag(Qt::FramelessWindowHint));
            QTest::keyClick(box, Qt::Key_Escape);
            checked = true;
        });
        shown.window->finished(2, 3);
        QVERIFY(checked);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(!shown.frame->isVisible());
        QVERIFY(m_launches.isEmpty());
    }

    void successBoxIgnoresEscapeAndClose()
    {
        Shown shown;
        show(shown);
        bool checked = false;
        onNextBox([&](QMessageBox* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("Success"));
            QCOMPARE(box->informativeText(), QStringLiteral("Download Success,do you want to install?"));
            QCOMPARE(box->icon(), QMessageBox::Question);
            QCOMPARE(buttonTexts(box), QStringList({"&Install", "&Cancel"}));
            QCOMPARE(box->buttonRole(buttonNamed(box, QStringLiteral("&Install"))), QMessageBox::AcceptRole);
            QCOMPARE(box->buttonRole(buttonNamed(box, QStringLiteral("&Cancel"))), QMessageBox::ActionRole);

            QTest::keyClick(box, Qt::Key_Escape);
            QVERIFY(box->isVisible());
            QVERIFY(!box->close());
            QVERIFY(box->isVisible());
            checked = true;
            QTest::mouseClick(buttonNamed(box, QStringLiteral("&Cancel")), Qt::LeftButton);
        });
        shown.window->finished(3, 3);
        QVERIFY(checked);
        QVERIFY(!shown.frame->isVisible());
        QVERIFY(m_launches.isEmpty());
    }

    void installStartsTheLastFile()
    {
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        QSignalSpy done(&downloads, &DownloadManager::finished);
        bool asked = false;
        onNextBox([&](QMessageBox* box) {
            asked = true;
            QCOMPARE(box->windowTitle(), QStringLiteral("Success"));
            // The frame still shows the last state of the transfers.
            QCOMPARE(shown.window->findChild<QProgressBar*>("progressBar")->value(), 100);
            QTest::mouseClick(buttonNamed(box, QStringLiteral("&Install")), Qt::LeftButton);
        });
        downloads.append(
            QStringList({m_server->url(QStringLiteral("/a")).toString(), m_server->url(QStringLiteral("/b")).toString(),
                         m_server->url(QStringLiteral("/c")).toString()}));
        QTRY_VERIFY_WITH_TIMEOUT(asked, 20000);
        QTRY_VERIFY(!shown.frame->isVisible());

        QCOMPARE(done.count(), 1);
        const QString last = xpublicPath::downloadPath() + QStringLiteral("/c");
        QCOMPARE(downloads.currentFileName(), last);
        QFile file(last);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), m_c);

        // A fresh download has no execute permission: the desktop opens it.
        QCOMPARE(m_launches.size(), 1);
        QCOMPARE(m_launches.at(0).kind, QStringLiteral("opener"));
        QCOMPARE(m_launches.at(0).path, last);
        // A start that worked needs no word.
        QVERIFY(shellkit::DialogSeam::shown().isEmpty());
    }

    void installRunsAnExecutableDirectly()
    {
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        onNextBox([&](QMessageBox* box) {
            QFile::setPermissions(downloads.currentFileName(),
                                  QFile::permissions(downloads.currentFileName()) | QFile::ExeOwner);
            QTest::mouseClick(buttonNamed(box, QStringLiteral("&Install")), Qt::LeftButton);
        });
        downloads.append(m_server->url(QStringLiteral("/b")));
        QTRY_VERIFY_WITH_TIMEOUT(!shown.frame->isVisible(), 20000);
        QCOMPARE(m_launches.size(), 1);
#ifdef Q_OS_WIN
        QCOMPARE(m_launches.at(0).kind, QStringLiteral("opener"));
#else
        QCOMPARE(m_launches.at(0).kind, QStringLiteral("installer"));
#endif
        QCOMPARE(m_launches.at(0).path, downloads.currentFileName());
    }

    void installThatCannotStartIsReported()
    {
        Shown shown;
        show(shown);
        m_launchWorks = false;
        shellkit::DialogSeam::pushAnswer(0);
        DownloadManager& downloads = shown.window->downloadManager();
        onNextBox(
            [&](QMessageBox* box) { QTest::mouseClick(buttonNamed(box, QStringLiteral("&Install")), Qt::LeftButton); });
        downloads.append(m_server->url(QStringLiteral("/b")));
        QTRY_VERIFY_WITH_TIMEOUT(!shown.frame->isVisible(), 20000);

        QCOMPARE(m_launches.size(), 1);
        const QList<shellkit::ShownDialog> shownBoxes = shellkit::DialogSeam::shown();
        QCOMPARE(shownBoxes.size(), 1);
        QCOMPARE(shownBoxes.at(0).kind, shellkit::ShownDialog::OK);
        QCOMPARE(shownBoxes.at(0).title, QStringLiteral("Error"));
        QCOMPARE(shownBoxes.at(0).text, QStringLiteral("The downloaded file could not be started:\n") +
                                            QDir::toNativeSeparators(downloads.currentFileName()));
        QCOMPARE(shellkit::DialogSeam::pendingAnswers(), 0);
    }

    void failedDownloadInstallsNothing()
    {
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        QString title;
        onNextBox([&](QMessageBox* box) {
            title = box->windowTitle();
            QTest::mouseClick(buttonNamed(box, QStringLiteral("Ok")), Qt::LeftButton);
        });
        downloads.append(m_server->url(QStringLiteral("/b")));
        downloads.append(m_server->url(QStringLiteral("/missing")));
        QTRY_VERIFY_WITH_TIMEOUT(!shown.frame->isVisible(), 20000);
        QCOMPARE(title, QStringLiteral("Error"));
        QVERIFY(m_launches.isEmpty());
    }

    void redirectIsAnErrorNotAnInstall()
    {
        // The last file answers with a redirect: its page must not be offered
        // for install.
        QDir(xpublicPath::downloadPath()).removeRecursively();
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        QString title;
        QStringList buttons;
        onNextBox([&](QMessageBox* box) {
            title = box->windowTitle();
            buttons = buttonTexts(box);
            box->accept();
        });
        downloads.append(m_server->url(QStringLiteral("/c")));
        downloads.append(m_server->url(QStringLiteral("/setup.exe")));
        QTRY_VERIFY_WITH_TIMEOUT(!shown.frame->isVisible(), 20000);

        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(buttons, QStringList({"Ok"}));
        QVERIFY(m_launches.isEmpty());
        QCOMPARE(m_server->requestedPaths(), QStringList({"/c", "/setup.exe"}));
        QCOMPARE(downloadFolderEntries(), QStringList({"c"}));
    }

    void unknownSizeLeavesTheBar()
    {
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        auto* bar = shown.window->findChild<QProgressBar*>("progressBar");
        auto* speed = shown.window->findChild<QLabel*>("label_3");
        // What the window shows right after each report of an unknown size.
        QList<int> barValues;
        QStringList speedTexts;
        QStringList speedsReported;
        connect(&downloads, &DownloadManager::progress, this, [&](qint64, qint64 total, const QString& text) {
            if (total != -1)
                return;
            barValues << bar->value();
            speedTexts << speed->text();
            speedsReported << text;
        });
        bool asked = false;
        onNextBox([&](QMessageBox* box) {
            asked = true;
            QTest::mouseClick(buttonNamed(box, QStringLiteral("&Cancel")), Qt::LeftButton);
        });
        downloads.append(m_server->url(QStringLiteral("/unsized")));
        QTRY_VERIFY_WITH_TIMEOUT(asked, 20000);

        QVERIFY2(barValues.size() >= 3, "a slow body of unknown size reports several times");
        QCOMPARE(barValues, QList<int>(barValues.size(), 0));
        QCOMPARE(speedTexts, speedsReported);
        QVERIFY(m_launches.isEmpty());
    }

    void cancelDuringATransferCloses()
    {
        Shown shown;
        show(shown);
        DownloadManager& downloads = shown.window->downloadManager();
        QSignalSpy reports(&downloads, &DownloadManager::progress);
        downloads.append(m_server->url(QStringLiteral("/slow")));
        QTRY_VERIFY_WITH_TIMEOUT(reports.count() > 0, 20000);
        QVERIFY(shown.frame->isVisible());
        QVERIFY(shown.window->findChild<QProgressBar*>("progressBar")->value() < 100);

        QTest::mouseClick(shown.window->findChild<QPushButton*>("pushButton"), Qt::LeftButton);
        QTRY_VERIFY(!shown.frame->isVisible());
        QVERIFY(m_launches.isEmpty());

        // Half a file never has the installer's name, and it goes with the
        // window.
        QVERIFY(!QFile::exists(downloads.currentFileName()));
        const QString folder = downloads.downloadFolder();
        auto partial = [folder] {
            return QDir(folder).entryList({QStringLiteral(".update-*.part")}, QDir::Files | QDir::Hidden);
        };
        QCOMPARE(partial().size(), 1);
        shown.window.reset();
        QCOMPARE(partial(), QStringList());
    }
};

QTEST_MAIN(UpdaterWindowTest)
#include "tst_updaterwindow.moc"

// The user's folders, under a throw-away home.
#include "xpublicPath.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class PublicPathTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;

    static void check(const QString& path, const QString& home)
    {
        QVERIFY2(!path.isEmpty(), "empty folder");
        QVERIFY2(!path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')), qPrintable(path));
        QVERIFY2(path.startsWith(home + QLatin1Char('/')) || path == home, qPrintable(path));
        QVERIFY2(QDir::isAbsolutePath(path), qPrintable(path));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // The folders come from the environment; make it point at our home
        // only, so no real user folder is ever named.
        qputenv("HOME", QFile::encodeName(m_home.path()));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"})
            qunsetenv(name);
    }

    void foldersLieUnderHomeWithoutTrailingSeparator()
    {
        const QString home = QDir::cleanPath(m_home.path());
        check(xpublicPath::appDataPath(), home);
        check(xpublicPath::documentPath(), home);
        check(xpublicPath::downloadPath(), home);
    }

    void appDataIsTheSharedDataFolder()
    {
        // The backup folder of the device tools is a sibling of other
        // programs' data, so it must not be the per-application folder.
        const QString generic = QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        QCOMPARE(xpublicPath::appDataPath(), generic);
        QVERIFY(!xpublicPath::appDataPath().endsWith(QCoreApplication::applicationName()));
    }

    void appendingANameMakesOnePath()
    {
        const QString file = xpublicPath::documentPath() + QStringLiteral("/smsbackup");
        QVERIFY(!file.contains(QLatin1String("//")));
        const QString download = xpublicPath::downloadPath() + QStringLiteral("/setup.exe");
        QCOMPARE(QDir::cleanPath(download), download);
    }

    void testModeStaysUnderHome()
    {
        QStandardPaths::setTestModeEnabled(true);
        const QString home = QDir::cleanPath(m_home.path());
        check(xpublicPath::appDataPath(), home);
        check(xpublicPath::documentPath(), home);
        check(xpublicPath::downloadPath(), home);
        QStandardPaths::setTestModeEnabled(false);
    }
};

QTEST_GUILESS_MAIN(PublicPathTest)
#include "tst_publicpath.moc"

// The platform layer, through its launcher seam: nothing is started.
#include "xplatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class PlatformTest : public QObject
{
    Q_OBJECT

private:
    QList<QPair<QString, QString>> m_calls;
    bool m_result = true;
    QTemporaryDir m_dir;

    QString makeFile(const QString& name, QFileDevice::Permissions permissions)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write("#!/bin/sh\nexit 0\n");
        file.close();
        file.setPermissions(permissions);
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void init()
    {
        m_calls.clear();
        m_result = true;
        shellkit::setLauncherForTests([this](const QString& kind, const QString& path) {
            m_calls.append({kind, path});
            return m_result;
        });
    }

    void cleanup()
    {
        shellkit::setLauncherForTests({});
        qunsetenv("MSGDESK_DEVICE_TOOLS");
    }

    void editorGetsThePath()
    {
        const QString path = m_dir.filePath(QStringLiteral("2026.12.08.10.00.00.txt"));
        QVERIFY(openInTextEditor(path));
        QCOMPARE(m_calls.size(), 1);
        QCOMPARE(m_calls[0].first, QStringLiteral("editor"));
        QCOMPARE(m_calls[0].second, path);

        // A failed start is reported as such.
        m_result = false;
        QVERIFY(!shellkit::openInTextEditor(path));
        QCOMPARE(m_calls.size(), 2);
    }

    void editorWithoutPathStartsNothing()
    {
        QVERIFY(!openInTextEditor(QString()));
        QVERIFY(m_calls.isEmpty());
    }

    void installerRunsWhenExecutableElseOpens_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("kind");
#ifdef Q_OS_WIN
        QTest::newRow("program") << "setup.exe" << true << "installer";
        QTest::newRow("package") << "setup.msi" << false << "opener";
#else
        QTest::newRow("with execute bit") << "setup.run" << true << "installer";
        QTest::newRow("without execute bit") << "setup.deb" << false << "opener";
        QTest::newRow("windows program on unix") << "setup.exe" << false << "opener";
#endif
    }

    void installerRunsWhenExecutableElseOpens()
    {
        QFETCH(QString, name);
        QFETCH(bool, executable);
        QFETCH(QString, kind);
        QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        if (executable)
            permissions |= QFileDevice::ExeOwner;
        const QString path = makeFile(name, permissions);
        QVERIFY(!path.isEmpty());

        QVERIFY(startInstaller(path));
        QCOMPARE(m_calls.size(), 1);
        QCOMPARE(m_calls[0].first, kind);
        QCOMPARE(m_calls[0].second, QFileInfo(path).absoluteFilePath());
    }

    void installerFailureIsPassedOn()
    {
        const QString path = makeFile(QStringLiteral("failing.run"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_result = false;
        QVERIFY(!startInstaller(path));
        QCOMPARE(m_calls.size(), 1);
    }

    void missingInstallerStartsNothing()
    {
        QVERIFY(!startInstaller(m_dir.filePath(QStringLiteral("never-downloaded.exe"))));
        QVERIFY(!startInstaller(QString()));
        // A folder is not a program either.
        QVERIFY(!startInstaller(m_dir.path()));
        QVERIFY(m_calls.isEmpty());
    }

    void deviceToolsFolderEndsWithSeparator()
    {
#ifdef Q_OS_WIN
        QSKIP("the folder comes from the registry on Windows");
#else
        qunsetenv("MSGDESK_DEVICE_TOOLS");
        QCOMPARE(deviceToolsFolder(), QCoreApplication::applicationDirPath() + QLatin1Char('/'));

        qputenv("MSGDESK_DEVICE_TOOLS", QFile::encodeName(m_dir.path()));
        QCOMPARE(deviceToolsFolder(), m_dir.path() + QLatin1Char('/'));
        qputenv("MSGDESK_DEVICE_TOOLS", QFile::encodeName(m_dir.path() + QStringLiteral("/")));
        QCOMPARE(deviceToolsFolder(), m_dir.path() + QLatin1Char('/'));
        // Callers append "bin/..." straight to it.
        QCOMPARE(deviceToolsFolder() + QStringLiteral("bin"), m_dir.path() + QStringLiteral("/bin"));
#endif
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "tst_platform.moc"

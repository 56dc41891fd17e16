// Installs the build into a temporary prefix and looks at the result as a
// user's machine would: the files in their places, the programs starting
// from there, the device support found, the desktop metadata valid.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs a program to its end; a program that does not end fails the test
// by the test's own time limit rather than by a guess here.
Run runProgram(const QString& program, const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run run;
    if (!process.waitForStarted() || !process.waitForFinished(-1))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// The environment of a user who has set nothing of msgdesk's own.
QProcessEnvironment cleanEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("MSGDESK_DEVICE_TOOLS"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    return env;
}

QStringList languages()
{
    return QStringLiteral(MSGDESK_LANGUAGES).split(QLatin1Char(','), Qt::SkipEmptyParts);
}

} // namespace

class InstallTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_prefix;

    QString installed(const QString& relative) const { return m_prefix + QLatin1Char('/') + relative; }
    QString bin(const QString& name) const { return installed(QStringLiteral(MSGDESK_INSTALL_BINDIR "/") + name); }
    QString share(const QString& relative) const
    {
        return installed(QStringLiteral(MSGDESK_INSTALL_DATADIR_ROOT "/") + relative);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        // A prefix with a space: the programs find their parts by relative
        // paths, whatever the prefix is.
        m_prefix = m_root.filePath(QStringLiteral("usr local"));
        const Run install =
            runProgram(QStringLiteral(MSGDESK_CMAKE), {QStringLiteral("--install"), QStringLiteral(MSGDESK_BUILD_DIR),
                                                       QStringLiteral("--prefix"), m_prefix});
        QVERIFY2(install.exitCode == 0, qPrintable(install.out + install.err));
    }

    void layout()
    {
        const QString id = QStringLiteral(MSGDESK_APP_ID);
        QStringList expected = {
            bin(QStringLiteral("msgdesk")),
            bin(QStringLiteral("msgdesk-cli")),
            installed(QStringLiteral(MSGDESK_INSTALL_LIBEXECDIR "/update")),
            installed(QStringLiteral(MSGDESK_INSTALL_SUPPORTDIR "/libQTMLClient.so")),
            share(QStringLiteral("applications/") + id + QStringLiteral(".desktop")),
            share(QStringLiteral("metainfo/") + id + QStringLiteral(".metainfo.xml")),
            share(QStringLiteral("mime/packages/") + id + QStringLiteral(".xml")),
            share(QStringLiteral("icons/hicolor/scalable/apps/") + id + QStringLiteral(".svg")),
            installed(QStringLiteral(MSGDESK_INSTALL_MANDIR "/man1/msgdesk.1.gz")),
            installed(QStringLiteral(MSGDESK_INSTALL_MANDIR "/man1/msgdesk-cli.1.gz")),
        };
#ifdef MSGDESK_HAS_DEVICE_SUPPORT
        expected << installed(QStringLiteral(MSGDESK_INSTALL_SUPPORTDIR "/libiTunesMobileDevice.so"))
                 << installed(QStringLiteral(MSGDESK_INSTALL_SUPPORTDIR "/bin/AppleMobileBackup"));
#endif
        for (const QString& language : languages())
            expected << installed(QStringLiteral(MSGDESK_INSTALL_TRANSLATIONSDIR "/msgdesk_") + language +
                                  QStringLiteral(".qm"));
        for (const QString& file : std::as_const(expected))
            QVERIFY2(QFileInfo(file).isFile(), qPrintable(file));

        // Icons of every size are square PNGs of that size.
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString dim = QString::number(size) + QLatin1Char('x') + QString::number(size);
            const QString png =
                share(QStringLiteral("icons/hicolor/") + dim + QStringLiteral("/apps/") + id + QStringLiteral(".png"));
            const QImage image(png);
            QVERIFY2(!image.isNull(), qPrintable(png));
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(image.hasAlphaChannel());
        }

        // The updater is not in bin/ under its generic name, and nothing
        // of the tests, the demo or the simulated phone is installed.
        QVERIFY(!QFileInfo::exists(bin(QStringLiteral("update"))));
        QDirIterator it(m_prefix, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = it.fileName();
            QVERIFY2(!path.contains(QLatin1String("simphone")) && !name.startsWith(QLatin1String("tst_")) &&
                         !name.contains(QLatin1String("demo")) && !name.startsWith(QLatin1String("bench")),
                     qPrintable(path));
        }
        const QStringList programs = QDir(installed(QStringLiteral(MSGDESK_INSTALL_BINDIR))).entryList(QDir::Files);
        QCOMPARE(programs, (QStringList{QStringLiteral("msgdesk"), QStringLiteral("msgdesk-cli")}));
    }

    void versions()
    {
        // Neither needs a display for it.
        QProcessEnvironment env = cleanEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        const Run gui = runProgram(bin(QStringLiteral("msgdesk")), {QStringLiteral("--version")}, env);
        QCOMPARE(gui.exitCode, 0);
        QCOMPARE(gui.out, QStringLiteral("msgdesk " MSGDESK_VERSION "\n"));
        const Run cli = runProgram(bin(QStringLiteral("msgdesk-cli")), {QStringLiteral("--version")}, env);
        QCOMPARE(cli.exitCode, 0);
        QCOMPARE(cli.out, QStringLiteral("msgdesk-cli " MSGDESK_VERSION "\n"));
        const Run help = runProgram(bin(QStringLiteral("msgdesk")), {QStringLiteral("--help")}, env);
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.startsWith(QLatin1String("usage: msgdesk [PATH]")));
    }

    void installedMsgdeskFindsItsDeviceSupport()
    {
#ifndef MSGDESK_HAS_DEVICE_SUPPORT
        QSKIP("the device support is not built here (libimobiledevice is missing)");
#else
        const Run check =
            runProgram(bin(QStringLiteral("msgdesk")), {QStringLiteral("--check-device-support")}, cleanEnvironment());
        QVERIFY2(check.exitCode == 0, qPrintable(check.out + check.err));
        const QString folder = QDir::cleanPath(installed(QStringLiteral(MSGDESK_INSTALL_SUPPORTDIR)));
        QVERIFY2(check.out.contains(QStringLiteral("Device library: ") + folder +
                                    QStringLiteral("/libiTunesMobileDevice.so")),
                 qPrintable(check.out));
        QVERIFY2(
            check.out.contains(QStringLiteral("Backup tool: ") + folder + QStringLiteral("/bin/AppleMobileBackup")),
            qPrintable(check.out));

        // Without its private folder the installed program says so.
        QTemporaryDir elsewhere;
        QVERIFY(elsewhere.isValid());
        const QString lonely = elsewhere.filePath(QStringLiteral("msgdesk"));
        QVERIFY(QFile::copy(bin(QStringLiteral("msgdesk")), lonely));
        const Run missing = runProgram(lonely, {QStringLiteral("--check-device-support")}, cleanEnvironment());
        QCOMPARE(missing.exitCode, 1);
        QVERIFY2(missing.out.contains(QLatin1String("not found")), qPrintable(missing.out));
#endif
    }

    void installedProgramsSpeakTheUsersLanguage()
    {
        // The catalogues are found in the installed tree, not in the build.
        QProcessEnvironment env = cleanEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
        const Run german = runProgram(bin(QStringLiteral("msgdesk-cli")), {QStringLiteral("frobnicate")}, env);
        QCOMPARE(german.exitCode, 2);
        QVERIFY2(german.err.contains(QStringLiteral("unbekannter Befehl frobnicate")), qPrintable(german.err));

        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("zh_TW.UTF-8"));
        const Run chinese = runProgram(bin(QStringLiteral("msgdesk-cli")), {QStringLiteral("frobnicate")}, env);
        QVERIFY2(chinese.err.contains(QStringLiteral("未知的指令 frobnicate")), qPrintable(chinese.err));

        // A language without a catalogue falls back to English.
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("pt_BR.UTF-8"));
        const Run english = runProgram(bin(QStringLiteral("msgdesk-cli")), {QStringLiteral("frobnicate")}, env);
        QVERIFY2(english.err.contains(QStringLiteral("unknown command frobnicate")), qPrintable(english.err));

        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("fr_FR.UTF-8"));
        const Run updater = runProgram(installed(QStringLiteral(MSGDESK_INSTALL_LIBEXECDIR "/update")), {}, env);
        QCOMPARE(updater.exitCode, 0);
        QVERIFY(updater.out.startsWith(QLatin1String("Usage: downloadmanager url1")));
    }

    void desktopEntryIsValid()
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
        if (tool.isEmpty())
            QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
        const QString entry = share(QStringLiteral("applications/" MSGDESK_APP_ID ".desktop"));
        const Run run = runProgram(tool, {entry});
        QVERIFY2(run.exitCode == 0 && run.out.trimmed().isEmpty(), qPrintable(run.out + run.err));

        QFile file(entry);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const char* key : {"Name=", "GenericName=", "Comment=", "Exec=msgdesk %f", "Icon=" MSGDESK_APP_ID,
                                "Categories=", "Keywords=", "MimeType="})
            QVERIFY2(text.contains(QLatin1String("\n") + QLatin1String(key)), key);
    }

    void metadataIsValid()
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
        if (tool.isEmpty())
            QSKIP("appstreamcli is not installed (Debian package appstream)");
        const QString metainfo = share(QStringLiteral("metainfo/" MSGDESK_APP_ID ".metainfo.xml"));
        const Run run = runProgram(
            tool, {QStringLiteral("validate"), QStringLiteral("--pedantic"), QStringLiteral("--no-net"), metainfo});
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        // "E:" lines are errors; warnings and hints do not fail validation.
        QVERIFY2(!run.out.contains(QLatin1String("\nE: ")) && !run.out.startsWith(QLatin1String("E: ")),
                 qPrintable(run.out));

        QFile file(metainfo);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY(text.contains(QStringLiteral("<release version=\"" MSGDESK_VERSION "\"")));
    }

    void mimeTypeIsWellFormed()
    {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (tool.isEmpty())
            QSKIP("update-mime-database is not installed (Debian package shared-mime-info)");
        // The database tool reads the package file as the system would.
        QTemporaryDir mime;
        QVERIFY(mime.isValid());
        QVERIFY(QDir().mkpath(mime.filePath(QStringLiteral("packages"))));
        QVERIFY(QFile::copy(share(QStringLiteral("mime/packages/" MSGDESK_APP_ID ".xml")),
                            mime.filePath(QStringLiteral("packages/" MSGDESK_APP_ID ".xml"))));
        const Run run = runProgram(tool, {mime.path()});
        // It notes on stderr that the folder is not among the system's; that is no failure.
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QFile globs(mime.filePath(QStringLiteral("globs2")));
        QVERIFY(globs.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(globs.readAll()).contains(QLatin1String("application/x-msgdesk-sms-backup:*.sms")));
    }

    void manualPagesFormatCleanly_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("msgdesk") << QStringLiteral("msgdesk.1");
        QTest::newRow("msgdesk-cli") << QStringLiteral("msgdesk-cli.1");
    }

    void manualPagesFormatCleanly()
    {
        QFETCH(QString, page);
        const QString groff = QStandardPaths::findExecutable(QStringLiteral("groff"));
        if (groff.isEmpty())
            QSKIP("groff is not installed");
        // Installed compressed; groff reads the plain text.
        const QString gzip = QStandardPaths::findExecutable(QStringLiteral("gzip"));
        QVERIFY(!gzip.isEmpty());
        const QString packed =
            installed(QStringLiteral(MSGDESK_INSTALL_MANDIR "/man1/") + page + QStringLiteral(".gz"));
        const Run unpacked = runProgram(gzip, {QStringLiteral("-dc"), packed});
        QCOMPARE(unpacked.exitCode, 0);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString file = dir.filePath(page);
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(unpacked.out.toUtf8());
        }
        // -ww warns of every questionable construct; -z only checks.
        const Run check =
            runProgram(groff, {QStringLiteral("-man"), QStringLiteral("-ww"), QStringLiteral("-z"), file});
        QCOMPARE(check.exitCode, 0);
        QVERIFY2(check.err.trimmed().isEmpty(), qPrintable(check.err));
        const Run text =
            runProgram(groff, {QStringLiteral("-man"), QStringLiteral("-Tascii"), QStringLiteral("-P-cbou"), file});
        QVERIFY(text.out.contains(QStringLiteral(MSGDESK_VERSION)));
        QVERIFY(text.out.contains(QLatin1String("--version")));
    }
};

QTEST_GUILESS_MAIN(InstallTest)
#include "tst_install.moc"

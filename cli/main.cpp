// msgdesk-cli: the conversations of a .sms backup, a phone's message
// database or a phone backup folder from the command line.
#include "CliCommands.h"
#include "CliSignals.h"
#include "PrivateFolder.h"
#include "xlanguage.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>
#include <memory>

namespace {

// Qt Core for every command but the pdf export, which needs the fonts of a
// QGuiApplication; that one works without a display too.
std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (!cli::needsGuiApplication(arguments))
        return std::make_unique<QCoreApplication>(argc, argv);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    const std::unique_ptr<QCoreApplication> app = makeApplication(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("msgdesk-cli"));
    cli::installStopHandlers();
    // Decrypted copies of runs that were killed go first, whatever this
    // run reads.
    phonebackup::PrivateFolder::sweepStale();
    // Messages in the user's language where there is a catalogue for it.
    shellkit::installSystemLanguage({QStringLiteral("ja"), QStringLiteral("fr"), QStringLiteral("de"),
                                     QStringLiteral("zh_CN"), QStringLiteral("zh_TW"), QStringLiteral("es")});
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return cli::run(QCoreApplication::arguments().mid(1), &out, &err, &cli::passwordFromEnvironmentOrTerminal);
}

// msgdesk-cli: the conversations of a .sms backup, a phone's message
// database or a phone backup folder from the command line.
#include "CliCommands.h"
#include "CliSignals.h"
#include "PrivateFolder.h"
#include "xlanguage.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
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
    return cli::run(app.arguments().mid(1), &out, &err, &cli::passwordFromEnvironmentOrTerminal);
}

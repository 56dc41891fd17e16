#include "StartupArguments.h"

#include <QCoreApplication>

namespace {

struct StartupHelp
{
    Q_DECLARE_TR_FUNCTIONS(StartupHelp)
};

} // namespace

StartupArguments parseStartupArguments(const QStringList& arguments)
{
    StartupArguments result;
    bool optionsEnded = false;
    for (const QString& a : arguments) {
        if (!optionsEnded && a.startsWith(QLatin1Char('-')) && a != QLatin1String("-")) {
            if (a == QLatin1String("--")) {
                optionsEnded = true;
            } else if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
                // The first of these options decides; later ones are not looked at.
                if (result.action == StartupArguments::Action::Run)
                    result.action = StartupArguments::Action::Version;
            } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
                if (result.action == StartupArguments::Action::Run)
                    result.action = StartupArguments::Action::Help;
            } else if (a == QLatin1String("--check-device-support")) {
                if (result.action == StartupArguments::Action::Run)
                    result.action = StartupArguments::Action::CheckDeviceSupport;
            } else {
                result.ignored.append(a);
            }
            continue;
        }
        if (result.path.isEmpty() && !a.isEmpty())
            result.path = a;
        else
            result.ignored.append(a);
    }
    return result;
}

QString startupHelpText()
{
    return StartupHelp::tr("usage: msgdesk [PATH]\n"
                           "       msgdesk --version | --help | --check-device-support\n"
                           "\n"
                           "Shows the text messages of an iPhone attached by USB, of its backups and\n"
                           "of .sms backup files. PATH, when given, is a .sms backup file or a phone\n"
                           "backup folder to open at start.\n"
                           "\n"
                           "  --version               print the version and end\n"
                           "  --help                  print this text and end\n"
                           "  --check-device-support  tell where the device support was found and end\n"
                           "                          (status 1 when it was not found)\n");
}

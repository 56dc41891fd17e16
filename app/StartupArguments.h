#pragma once

// The command line of msgdesk:
//   msgdesk [PATH]                    starts; PATH (a .sms backup or a phone
//                                     backup folder) is opened at once
//   msgdesk --version | --help        prints and ends, without a display
//   msgdesk --check-device-support    tells where the device support was
//                                     found; status 0 when it was, 1 when not
// Qt's own options (-platform, -style, ...) are taken by QApplication before.

#include <QString>
#include <QStringList>

struct StartupArguments
{
    enum class Action { Run, Version, Help, CheckDeviceSupport };
    Action action = Action::Run;
    QString path;
    // Options it does not know and paths beyond the first: not used.
    QStringList ignored;
};

// Reads the arguments after the program name.
StartupArguments parseStartupArguments(const QStringList& arguments);

// The --help text, in the language in force.
QString startupHelpText();

#pragma once

// The entry routine of msgdesk, kept out of main.cpp so that the tests run
// exactly what the program runs.

#include <QString>

#include <functional>

class xframeskin;

namespace MsgdeskStartup {

// The folder start-up puts on the library path: the sub-folder "plugins" of
// the program folder when it can be entered, else the program folder itself.
QString pluginFolder(const QString& programFolder);

// Runs msgdesk: set-up, the event loop, tear-down; returns the loop's
// result. The arguments are read as StartupArguments.h says: --version and
// --help print and return 0 without a window; a path is opened once the
// window shows. onShown, when given, is
// called with the frame right after it was shown and before the loop runs
// (tests use it to look at the window and to end the loop).
// Prints where the device library and the backup tool were found; 0 when
// both were, 1 otherwise.
int checkDeviceSupport();

int run(int argc, char** argv, const std::function<void(xframeskin* frame)>& onShown = {});

} // namespace MsgdeskStartup

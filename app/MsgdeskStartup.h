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
// result. The arguments only reach QApplication. onShown, when given, is
// called with the frame right after it was shown and before the loop runs
// (tests use it to look at the window and to end the loop).
int run(int argc, char** argv, const std::function<void(xframeskin* frame)>& onShown = {});

} // namespace MsgdeskStartup

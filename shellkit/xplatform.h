#pragma once

// The platform layer: the few things that differ between operating systems
// (the text editor, starting an installer, where the device tools live).
// One source file per system implements the differing part; the choice is
// made once, in shellkit's CMakeLists.txt. Widgets call these instead of
// carrying platform conditions of their own.

#include <QString>

#include <functional>

// Opens a text file in the system's text editor. False when nothing could
// be started.
bool openInTextEditor(const QString& path);

// Shows a file or folder with whatever the desktop opens it with (a
// browser for a web page, the PDF viewer, the file manager for a folder).
// False when nothing could be started.
bool openInViewer(const QString& path);

// Starts a downloaded installer: run directly when the system can execute
// the file (on Unix: it has execute permission), else handed to the desktop
// to open with whatever is registered for it. False for a missing file or
// when nothing could be started.
bool startInstaller(const QString& path);

// The folder of the device support tools, with a trailing "/", or empty
// when the system does not know one.
QString deviceToolsFolder();

namespace shellkit {

using ::deviceToolsFolder;
using ::openInTextEditor;
using ::openInViewer;
using ::startInstaller;

// Test seam: while set, every launch goes to the function instead of the
// system, with the kind "editor" (openInTextEditor), "installer" (run
// directly) or "opener" (handed to the desktop: openInViewer too) and the
// path; its result is the call's result. An empty function turns the seam off.
using Launcher = std::function<bool(const QString& kind, const QString& path)>;
void setLauncherForTests(Launcher launcher);

namespace detail {
// For the platform files: the seam's launcher, or null when not set.
const Launcher* testLauncher();
// Hands a file to the desktop (through the seam when set).
bool openWithDesktop(const QString& path);
// A folder with "/" separators and one trailing "/", since callers append
// "bin/..." directly; empty stays empty.
QString asFolderPath(const QString& folder);
} // namespace detail

} // namespace shellkit

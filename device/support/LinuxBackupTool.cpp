// AppleMobileBackup for Linux: "--backup --target UDID" has libimobiledevice's
// idevicebackup2 back the phone up into the backup root, where it lands in
// the folder UDID. An existing backup there is brought up to date, never
// removed first. The exit status is 0 only when the tool succeeded and the
// backup's Status.plist says the snapshot is finished.
//
//   MSGDESK_BACKUP_ROOT      the backup root (default: the user's data folder
//                            + "/Apple Computer/MobileSync/Backup")
//   MSGDESK_IDEVICEBACKUP2   the backup program (default: idevicebackup2 on PATH)

#include "BackupToolArgs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <plist/plist.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#ifndef MSGDESK_DEVICE_LIBRARY_VERSION
#define MSGDESK_DEVICE_LIBRARY_VERSION "(version unknown)"
#endif

namespace {

volatile std::sig_atomic_t g_child = 0;
volatile std::sig_atomic_t g_stop = 0;

// A cancelled backup ends the tool: the backup program must end with it. A
// signal that comes before the program runs is remembered and passed on as
// soon as it does.
void forwardSignal(int signal)
{
    g_stop = signal;
    if (g_child > 0)
        ::kill(static_cast<pid_t>(g_child), signal);
}

// "finished", or what the state is instead; empty when there is no status file.
QByteArray snapshotState(const QString& folder)
{
    QFile file(folder + QStringLiteral("/Status.plist"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    plist_t root = nullptr;
    plist_from_memory(data.constData(), static_cast<uint32_t>(data.size()), &root);
    QByteArray state("unreadable");
    if (root && plist_get_node_type(root) == PLIST_DICT) {
        plist_t node = plist_dict_get_item(root, "SnapshotState");
        char* text = nullptr;
        if (node && plist_get_node_type(node) == PLIST_STRING)
            plist_get_string_val(node, &text);
        if (text) {
            state = text;
            std::free(text);
        }
    }
    if (root)
        plist_free(root);
    return state;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray udid = backupTargetFromArguments(app.arguments().mid(1)).toUtf8();
    if (udid.isEmpty())
        return 2;
    QString program = qEnvironmentVariable("MSGDESK_IDEVICEBACKUP2");
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("idevicebackup2"));
    if (program.isEmpty() || !QFile::exists(program)) {
        std::printf("ERROR: idevicebackup2 was not found. Install the Debian packages "
                    "libimobiledevice-utils and usbmuxd.\n");
        return 127;
    }
    // The library's version explains a phone too new for it; the window
    // reads it from this line.
    std::printf("Device library: libimobiledevice %s\n", MSGDESK_DEVICE_LIBRARY_VERSION);
    const QString root = backupRoot();
    if (!QDir().mkpath(root)) {
        std::printf("ERROR: cannot create the backup folder %s\n", root.toUtf8().constData());
        return 1;
    }
    std::fflush(stdout);

    const QByteArray programBytes = QFile::encodeName(program);
    const QByteArray rootBytes = QFile::encodeName(root);
    std::signal(SIGTERM, forwardSignal);
    std::signal(SIGINT, forwardSignal);
    const pid_t child = ::fork();
    if (child < 0) {
        std::printf("ERROR: cannot start %s\n", programBytes.constData());
        return 1;
    }
    if (child == 0) {
        // The child writes straight into our output, which the caller shows.
        const char* argvChild[] = {programBytes.constData(), "-u",   udid.constData(), "backup",
                                   rootBytes.constData(),    nullptr};
        ::execv(programBytes.constData(), const_cast<char* const*>(argvChild));
        std::_Exit(127);
    }
    g_child = child;
    if (g_stop)
        ::kill(child, g_stop);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0) {
        if (errno != EINTR) {
            std::printf("ERROR: lost the backup program\n");
            return 1;
        }
    }
    // The program's own last words tell the user more than a status number.
    if (!WIFEXITED(waitStatus)) {
        std::printf("ERROR: the backup program stopped (signal %d)\n", WTERMSIG(waitStatus));
        return 1;
    }
    if (WEXITSTATUS(waitStatus) != 0)
        return WEXITSTATUS(waitStatus);
    const QByteArray state = snapshotState(root + QLatin1Char('/') + QString::fromUtf8(udid));
    if (state != "finished") {
        std::printf("ERROR: the backup is not complete (snapshot state: %s)\n",
                    state.isEmpty() ? "missing" : state.constData());
        return 3;
    }
    std::printf("Backup finished\n");
    return 0;
}

#include "CliSignals.h"

#include "PrivateFolder.h"

#include <QtGlobal>

#include <atomic>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#endif

namespace cli {

#ifdef Q_OS_UNIX

namespace {

int stopPipe[2] = {-1, -1};
termios startTerminal{};
bool haveTerminal = false;
std::atomic<bool> deferring{false};
std::atomic<int> deferred{0};

void onStopSignal(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe means a stop is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &number, 1);
    errno = saved;
}

[[noreturn]] void stopWhenSignalled()
{
    unsigned char number = 0;
    for (;;) {
        const ssize_t got = ::read(stopPipe[0], &number, 1);
        if (got == 1) {
            // The first signal during work that stops cleanly is left to it.
            int none = 0;
            if (deferring.load() && deferred.compare_exchange_strong(none, number))
                continue;
            break;
        }
        if (got < 0 && errno == EINTR)
            continue;
        // The pipe is gone: nothing can signal this thread any more.
        for (;;)
            ::pause();
    }
    stopNow(number);
}

} // namespace

void deferStop(bool defer)
{
    deferring.store(defer);
}

int stopRequested()
{
    return deferred.load();
}

void stopNow(int signal)
{
    phonebackup::PrivateFolder::removeAllBeforeExit();
    if (haveTerminal)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &startTerminal);
    ::_exit(128 + signal);
}

void installStopHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    if (::pipe2(stopPipe, O_CLOEXEC) != 0)
        return;
    ::fcntl(stopPipe[1], F_SETFL, O_NONBLOCK);
    haveTerminal = ::isatty(STDIN_FILENO) && ::tcgetattr(STDIN_FILENO, &startTerminal) == 0;
    std::thread(stopWhenSignalled).detach();

    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

#else

void installStopHandlers() {}
void deferStop(bool) {}
int stopRequested()
{
    return 0;
}
void stopNow(int signal)
{
    std::exit(128 + signal);
}

#endif

} // namespace cli

// Unix side of the console: the terminal's echo is switched off while the
// line is typed, and restored whatever happens.
#include "xconsole.h"

#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace shellkit {

bool readSecretLine(const QString& prompt, QByteArray* line)
{
    if (!line || !::isatty(STDIN_FILENO))
        return false;
    termios saved{};
    if (::tcgetattr(STDIN_FILENO, &saved) != 0)
        return false;
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    quiet.c_lflag |= ECHONL;
    std::fputs(prompt.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) != 0)
        return false;
    QByteArray typed;
    bool complete = false;
    for (int c; (c = std::fgetc(stdin)) != EOF;) {
        if (c == '\n') {
            complete = true;
            break;
        }
        typed += char(c);
    }
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    if (typed.endsWith('\r'))
        typed.chop(1);
    *line = typed;
    return complete || !typed.isEmpty();
}

} // namespace shellkit

// Windows side of the console: the console's echo is switched off while the
// line is typed, and restored whatever happens.
#include "xconsole.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

namespace shellkit {

bool readSecretLine(const QString& prompt, QByteArray* line)
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    if (!line || input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &saved))
        return false;
    std::fputws(reinterpret_cast<const wchar_t*>(prompt.utf16()), stderr);
    std::fflush(stderr);
    SetConsoleMode(input, saved & ~DWORD(ENABLE_ECHO_INPUT));
    wchar_t buffer[1024];
    DWORD read = 0;
    const bool ok = ReadConsoleW(input, buffer, DWORD(std::size(buffer)), &read, nullptr);
    SetConsoleMode(input, saved);
    std::fputs("\n", stderr);
    if (!ok)
        return false;
    QString typed = QString::fromWCharArray(buffer, int(read));
    while (typed.endsWith(QLatin1Char('\n')) || typed.endsWith(QLatin1Char('\r')))
        typed.chop(1);
    *line = typed.toUtf8();
    return true;
}

} // namespace shellkit

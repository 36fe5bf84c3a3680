#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>

namespace tz::platform {

void clear_console() {
    if (::isatty(STDOUT_FILENO) == 0) return;
    std::fputs("\x1b[H\x1b[2J", stdout);
    std::fflush(stdout);
}

bool stderr_is_terminal() { return ::isatty(STDERR_FILENO) != 0; }

int read_key() {
    std::fflush(stdout);
    termios saved{};
    const bool terminal = ::isatty(STDIN_FILENO) != 0 && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios raw = saved;
        raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &raw);
    }
    unsigned char key = 0;
    const ssize_t got = ::read(STDIN_FILENO, &key, 1);
    if (terminal) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    return got == 1 ? key : -1;
}

}  // namespace tz::platform

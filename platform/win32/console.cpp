#include "platform/console.h"

#include <conio.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

namespace tz::platform {

// The command processor clears the console, as the programs always did.
void clear_console() {
    std::fflush(stdout);
    std::system("CLS");
}

bool stderr_is_terminal() { return _isatty(_fileno(stderr)) != 0; }

// _getch: one key, unechoed, without Enter. When standard input is no
// console it returns at once, so one byte of the input is read instead.
int read_key() {
    std::fflush(stdout);
    if (_isatty(_fileno(stdin))) return _getch();
    const int c = std::getchar();
    return c == EOF ? -1 : c;
}

}  // namespace tz::platform

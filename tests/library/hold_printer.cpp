// tz5170-test-hold-printer SERIAL: a second process for the tests. It opens
// the library, selects the printer, takes it, says "held" on stdout and keeps
// it until its stdin closes (at most 30 s).
#include <poll.h>
#include <unistd.h>

#include <cstdio>

#include "core/acquisition.h"
#include "core/library_state.h"
#include "tzpusb.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    uint16_t code = 0;
    if (!tzpusb_open(&code)) {
        std::printf("open %u\n", code);
        return 1;
    }
    tzpusb_selectPrinterSN(argv[1], &code);
    if (code != 0) {
        std::printf("select %u\n", code);
        return 1;
    }
    int status = 0;
    {
        tz::lib::PrinterHold hold;
        const tz::lib::ResultCode acquired = tz::lib::acquire_printer(*tz::lib::calling_context(), hold);
        std::printf("%s %u\n", hold.held() ? "held" : "refused", acquired);
        std::fflush(stdout);
        pollfd p{0, POLLIN, 0};
        ::poll(&p, 1, 30000);
        status = hold.held() ? 0 : 1;
    }
    tzpusb_close();
    return status;
}

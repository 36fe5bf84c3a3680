/* tz5170-demo: the main job against whatever printers are attached: open the
 * library, list the printers by serial, select each one. Built only against
 * include/tzpusb.h and linked with -lTZ5170upgrade. */
#include <stdio.h>
#include <string.h>

#include "tzpusb.h"

int main(void) {
    uint16_t result = 0;
    if (!tzpusb_open(&result)) {
        printf("open failed: %u\n", (unsigned)result);
        tzpusb_close();
        return 1;
    }
    char serials[1024];
    uint16_t count = tzpusb_listupPrinterSN(serials);
    printf("%u printer(s)\n", (unsigned)count);
    int failures = 0;
    for (uint16_t i = 0; i < count; ++i) {
        const char *serial = serials + 8 * i;
        char *selected = tzpusb_selectPrinterSN(serial, &result);
        printf("printer %.8s: select %s (code %u)\n", serial,
               selected != NULL && result == 0 && memcmp(selected, serial, 8) == 0 ? "ok" : "failed",
               (unsigned)result);
        if (result != 0) ++failures;
    }
    tzpusb_close();
    return failures == 0 && count > 0 ? 0 : 1;
}

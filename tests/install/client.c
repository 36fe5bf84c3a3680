/* tz5170-install-client: a C program built against an installed toolset only
 * (header tzpusb.h, library libTZ5170upgrade): opens the library, lists the
 * printers by serial, selects each and reads its status, then has the library
 * load its colour-matching library. Exit status 0 when all of that works and
 * at least one printer was seen. */
#include <stdio.h>
#include <string.h>

#include <tzpusb.h>

int main(void) {
    uint16_t result = 0;
    if (!tzpusb_open(&result)) {
        printf("open failed: %u\n", (unsigned)result);
        tzpusb_close();
        return 1;
    }
    char serials[1024];
    const uint16_t count = tzpusb_listupPrinterSN(serials);
    printf("%u printer(s)\n", (unsigned)count);
    int failures = count == 0;
    for (uint16_t i = 0; i < count; ++i) {
        const char *serial = serials + 8 * i;
        char *selected = tzpusb_selectPrinterSN(serial, &result);
        if (selected == NULL || result != TZP_OK || memcmp(selected, serial, 8) != 0) {
            printf("printer %.8s: select failed (code %u)\n", serial, (unsigned)result);
            ++failures;
            continue;
        }
        tzpusb_status(&result);
        printf("printer %.8s: status %u\n", serial, (unsigned)result);
        if (result != TZP_OK) ++failures;
    }
    /* Profiles that do not exist: the colour library is loaded first, so any
     * code but 1003 shows it was found. */
    tzpusb_setIcctable("/nonexistent/source.icc", "/nonexistent/destination.icc", 0, NULL, NULL, NULL, NULL, NULL,
                       NULL, &result);
    printf("colour library: %s (code %u)\n", result == TZP_NO_COLOR_LIBRARY ? "missing" : "found", (unsigned)result);
    if (result == TZP_NO_COLOR_LIBRARY) ++failures;
    tzpusb_close();
    return failures == 0 ? 0 : 1;
}

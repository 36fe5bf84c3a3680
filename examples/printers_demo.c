/* tz5170-demo: the main job against whatever printers are attached: open the
 * library, list the printers by serial, select each one and ask its status.
 * Built only against include/tzpusb.h and linked with -lTZ5170upgrade; the
 * result codes, their names and the calls are in tzpusb.h and tzpusb(3). */
#include <stdio.h>
#include <string.h>

#include "tzpusb.h"

/* What a status code means, for people. */
static const char *meaning(unsigned code) {
    switch (code) {
    case TZP_OK: return "ready";
    case TZP_PRINTER_IN_USE: return "in use by another program";
    case TZP_NOT_RECOGNISED: return "not recognised (gone?)";
    case TZP_BUSY: return "busy: job buffer full";
    case TZP_MAIN_INITIALISING: return "main processor initialising";
    case TZP_RIBBON_INITIALISING: return "ink ribbon initialising";
    case TZP_LOADING_PAPER: return "loading paper";
    case TZP_THERMAL_PROTECTION: return "thermal protection";
    case TZP_PANEL_IN_USE: return "operation panel in use";
    case TZP_SELF_DIAGNOSIS: return "self-diagnosis running";
    case TZP_DOWNLOADING: return "firmware download running";
    case TZP_NO_PAPER: return "no paper";
    case TZP_NO_RIBBON: return "no ink ribbon";
    case TZP_COVER_OPEN: return "cover open";
    case TZP_UNDEFINED_ERROR: return "undefined error";
    case TZP_USB_ERROR: return "USB communication error";
    }
    if (code >= TZP_STATE_LETTER_A && code <= TZP_STATE_LETTER_M) return "ready, with a state letter";
    if (code > TZP_USB_ERROR && code <= TZP_USB_ERROR_LAST) return "communication failure";
    /* Printer errors: the group's base plus a detail byte 1..255. */
    if (code > TZP_GROUP6_ERROR && code <= TZP_GROUP6_ERROR + 255) return "printer error (group 6)";
    if (code > TZP_GROUP5_ERROR && code <= TZP_GROUP5_ERROR + 255) return "printer error (group 5)";
    if (code > TZP_GROUP1_ERROR && code <= TZP_GROUP4_ERROR + 255) return "printer error";
    return "see the result codes in tzpusb.h";
}

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
        if (result != 0) {
            ++failures;
            continue;
        }
        tzpusb_status(&result);
        printf("printer %.8s: status %u (%s)\n", serial, (unsigned)result, meaning(result));
    }
    tzpusb_close();
    return failures == 0 && count > 0 ? 0 : 1;
}

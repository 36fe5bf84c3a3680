/* tz5170-firmware-demo MAIN_FILE: rewrites the MAIN firmware of every attached
 * printer with one file, as a field engineer would: for each printer open the
 * library for download, select it by serial, show its MAIN version, send the
 * file with tzpusb_updateFirmware, wait while the printer reports that it is
 * rewriting, and show the version again. Built only against include/tzpusb.h
 * and linked with -lTZ5170upgrade. */
#define _POSIX_C_SOURCE 200809L /* clock_gettime, nanosleep */
#include <stdio.h>
#include <string.h>
#include <time.h>

#include "tzpusb.h"

/* A MAIN rewrite takes about 20 s on a printer; this is plenty. */
#define REWRITE_LIMIT_S 120.0
#define POLL_PAUSE_MS 50

enum { FILE_TYPE_MAIN = 2, MAIN_ENTRY = 2 };

static double seconds_now(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (double)now.tv_sec + now.tv_nsec / 1e9;
}

static void pause_ms(long ms) {
    struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&pause, NULL);
}

/* The MAIN version of the selected printer as "MM.mm"; 0 when it cannot be read. */
static int main_version(char text[6]) {
    uint8_t record[267];
    uint32_t size = sizeof record;
    if (!tzpusb_getPrinterInfo(PINFTAG_ENGID, record, &size) || size != sizeof record) return 0;
    const uint8_t *entry = record + 1 + 38 * (MAIN_ENTRY - 1);
    snprintf(text, 6, "%02X.%02X", entry[34], entry[35]);
    return 1;
}

/* The serials of the attached printers, 8 characters each; their count. */
static int list_printers(char serials[1024]) {
    uint16_t result = 0;
    int count = 0;
    if (tzpusb_openDownload(-1, &result))
        count = tzpusb_listupPrinterSN(serials);
    else
        printf("open failed: %u\n", (unsigned)result);
    tzpusb_close();
    return count;
}

/* Updates the selected printer; 1 when its MAIN firmware was rewritten. */
static int update_selected(const char *serial, const char *path) {
    uint16_t result = 0;
    char before[6], after[6];
    if (!main_version(before)) {
        printf("printer %.8s: firmware information unreadable\n", serial);
        return 0;
    }
    printf("printer %.8s: MAIN version %s\n", serial, before);
    fflush(stdout);
    const double started = seconds_now();
    if (!tzpusb_updateFirmware(FILE_TYPE_MAIN, path, &result)) {
        printf("printer %.8s: update failed: %u\n", serial, (unsigned)result);
        return 0;
    }
    /* The printer says 2107 (download running) until its flash is written. */
    uint16_t status = 0;
    tzpusb_status(&status);
    const int rewriting = status == TZP_DOWNLOADING;
    while (status == TZP_DOWNLOADING && seconds_now() - started < REWRITE_LIMIT_S) {
        pause_ms(POLL_PAUSE_MS);
        tzpusb_status(&status);
    }
    const double took = seconds_now() - started;
    if (status != TZP_OK) {
        printf("printer %.8s: %s after %.1f s: status %u\n", serial,
               status == TZP_DOWNLOADING ? "still rewriting" : "not ready", took, (unsigned)status);
        return 0;
    }
    if (!rewriting) {
        printf("printer %.8s: no rewrite reported (status %u right after the update)\n", serial, (unsigned)status);
        return 0;
    }
    if (!main_version(after)) {
        printf("printer %.8s: firmware information unreadable after the rewrite\n", serial);
        return 0;
    }
    printf("printer %.8s: rewritten in %.1f s, MAIN version %s -> %s\n", serial, took, before, after);
    return 1;
}

/* Opens the library for download, selects the printer, updates it, closes. */
static int update_printer(const char *serial, const char *path) {
    uint16_t result = 0;
    int ok = 0;
    if (!tzpusb_openDownload(-1, &result)) {
        printf("printer %.8s: open failed: %u\n", serial, (unsigned)result);
    } else {
        tzpusb_selectPrinterSN(serial, &result);
        if (result != TZP_OK)
            printf("printer %.8s: select failed: %u\n", serial, (unsigned)result);
        else
            ok = update_selected(serial, path);
    }
    tzpusb_close();
    fflush(stdout);
    return ok;
}

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: tz5170-firmware-demo MAIN_FILE\n");
        return 2;
    }
    char serials[1024];
    const int count = list_printers(serials);
    printf("%d printer(s)\n", count);
    int failures = 0;
    for (int i = 0; i < count; ++i)
        if (!update_printer(serials + 8 * i, argv[1])) ++failures;
    return failures == 0 && count > 0 ? 0 : 1;
}

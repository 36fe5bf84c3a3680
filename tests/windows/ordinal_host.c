/* A host program in C that links TZ5170upgrade.dll by ordinal only (its
 * import library names no export), as host applications do: lists the
 * printers, selects the first and prints one 40 x 30 page on it.
 * Prints "listed N", "selected SERIAL" and "printed ID"; exits 1 at the
 * first failure, naming the call and its code. */
#include <stdio.h>
#include <string.h>

#include "tzpusb.h"

enum { kWidth = 40, kHeight = 30 };

static int failed(const char *call, unsigned code) {
    printf("%s failed: %u\n", call, code);
    tzpusb_close();
    return 1;
}

int main(void) {
    uint16_t code = 0;
    if (!tzpusb_open(&code)) return failed("tzpusb_open", code);
    char serials[1024] = {0};
    uint16_t count = tzpusb_listupPrinterSN(serials);
    printf("listed %u\n", count);
    if (count == 0) return failed("tzpusb_listupPrinterSN", 0);
    char serial[9] = {0};
    memcpy(serial, serials, 8);
    if (tzpusb_selectPrinterSN(serial, &code) == NULL) return failed("tzpusb_selectPrinterSN", code);
    printf("selected %s\n", serial);

    uint8_t area[10] = {0, kWidth, 0, kHeight, 0, 0, 0, 0, 0, 0};
    uint32_t size = sizeof area;
    if (!tzpusb_setPrinterInfo(0, area, &size, &code)) return failed("tzpusb_setPrinterInfo", code);
    if (!tzpusb_imageformat(3, 3, 8, kWidth, kHeight, 0, 0, &code)) return failed("tzpusb_imageformat", code);
    uint16_t print_id = 0;
    if (!tzpusb_startpage(&print_id, &code)) return failed("tzpusb_startpage", code);
    static uint8_t pixels[kWidth * kHeight * 3];
    for (size_t i = 0; i < sizeof pixels; ++i) pixels[i] = (uint8_t)(i * 7);
    uint32_t bytes = sizeof pixels;
    if (!tzpusb_write(pixels, &bytes, &code)) return failed("tzpusb_write", code);
    tzpusb_endpage(&code);
    printf("printed %u\n", print_id);
    tzpusb_close();
    return 0;
}

// A printer-control library with every name TZ5170Laminate binds but
// tzpusb_resetErrHistory. Should it be used all the same, opening fails with
// a code no real library gives.
#include "tzpusb.h"

namespace {
uint16_t store(uint16_t* result) {
    if (result != nullptr) *result = 4242;
    return 0;
}
}  // namespace

extern "C" {
int tzpusb_open(uint16_t* result) { return store(result); }
void tzpusb_close(void) {}
uint16_t tzpusb_listupPrinter(uint8_t*) { return 0; }
uint8_t tzpusb_selectPrinter(int, uint16_t* result) { return static_cast<uint8_t>(store(result)); }
int tzpusb_status(uint16_t* result) { return store(result); }
int tzpusb_setPrinterInfo(int, const void*, const uint32_t*, uint16_t* result) { return store(result); }
int tzpusb_getPrinterInfo(int, void*, uint32_t*) { return 0; }
uint16_t tzpusb_listupPrinterSN(char*) { return 0; }
char* tzpusb_selectPrinterSN(const char*, uint16_t* result) {
    store(result);
    return nullptr;
}
int tzpusb_blinkLED(uint16_t* result) { return store(result); }
int tzpusb_resetPrinter(uint16_t* result) { return store(result); }
int tzpusb_updateFirmware(int, const char*, uint16_t* result) { return store(result); }
int tzpusb_setParameter(int, int32_t, uint16_t* result) { return store(result); }
int tzpusb_getParameter(int, void*, uint16_t* result) { return store(result); }
int tzpusb_getDiagnostic(void*, uint32_t*, uint16_t* result) { return store(result); }
int tzpusb_setDiagnostic(int, int, int, uint16_t* result) { return store(result); }
int tzpusb_update_laminate(int, const char*, uint16_t* result) { return store(result); }
}

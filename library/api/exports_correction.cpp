// The exported C functions of correction data: tone curves, the laminate
// pattern, gamma tables and the sharpening kernel's file. Thin forwarders.
// The gamma and kernel-file exports do not talk to the printer; without a
// context makeGamma does nothing.
#include "tzpusb.h"

#include "correction/gamma_tables.h"
#include "correction/laminate_pattern.h"
#include "correction/mtf_file.h"
#include "correction/tone_curves.h"
#include "forwarding.h"
#include "platform/export.h"

using namespace tz::lib;

TZ_EXPORT int TZPUSB_API tzpusb_setPrinterToneCurve(int type, int kind, const void* data, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_printer_tone_curve(context, type, kind, data);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_getPrinterToneCurve(int type, int kind, uint16_t* values, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return get_printer_tone_curve(context, type, kind, values);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_setLaminatePattern(int kind, const void* data, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_laminate_pattern(context, kind, data);
    });
}

TZ_EXPORT void TZPUSB_API tzpusb_makeGamma(int gamma_x100, uint8_t* t1, uint8_t* t2, uint8_t* t3) {
    forward(nullptr, [=](PrinterContext&) {
        make_gamma(gamma_x100, t1, t2, t3);
        return ResultCode{TZP_OK};
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_getGamma(const char* path, uint8_t* t1, uint8_t* t2, uint8_t* t3, uint16_t* result) {
    return forward(result, [=](PrinterContext&) { return read_gamma_file(path, t1, t2, t3); });
}

TZ_EXPORT int TZPUSB_API tzpusb_getMtf(const char* path, int32_t* kernel, uint16_t* result) {
    return forward(result, [=](PrinterContext&) { return read_kernel_file(path, kernel); });
}

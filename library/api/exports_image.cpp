// The exported C functions of the write path's image conversion: the
// sharpening kernel and the ICC colour matching with its channel tables.
// Thin forwarders. Without a context setmtf does nothing.
#include "tzpusb.h"

#include "context_sessions.h"
#include "forwarding.h"
#include "image/icc_tables.h"
#include "image/mtf_kernel.h"
#include "platform/export.h"

using namespace tz::lib;

TZ_EXPORT void TZPUSB_API tzpusb_setmtf(const int32_t* kernel) {
    forward(nullptr, [=](PrinterContext& context) {
        set_kernel(print_session(context).mtf, kernel);
        return ResultCode{TZP_OK};
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_setIcctable(const char* src_profile, const char* dst_profile, int intent, const uint8_t* t1,
                                 const uint8_t* t2, const uint8_t* t3, const uint8_t* t4, const uint8_t* t5,
                                 const uint8_t* t6, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        const uint8_t* const tables[6] = {t1, t2, t3, t4, t5, t6};
        PrintSession& session = print_session(context);
        return set_icc_table(session.tables, session.color, session.job.image.channels, src_profile, dst_profile,
                             intent, tables);
    });
}

// The exported C functions of printer information, printer status, device
// actions and correction data: thin forwarders.
#include "tzpusb.h"

#include "printing/cut_list.h"
#include "printing/gamma_tables.h"
#include "printing/icc_tables.h"
#include "printing/image_format.h"
#include "printing/job_control.h"
#include "printing/laminate_pattern.h"
#include "printing/mtf_kernel.h"
#include "printing/page_start.h"
#include "printing/page_write.h"
#include "context_sessions.h"
#include "forwarding.h"
#include "platform/export.h"
#include "printing/printer_info_read.h"
#include "printing/printer_info_write.h"
#include "printing/status_actions.h"
#include "printing/tone_curves.h"

using namespace tz::lib;

TZ_EXPORT int tzpusb_status(uint16_t* result) { return forward(result, printer_status); }

TZ_EXPORT int tzpusb_statusAll(const uint8_t* indexes, uint16_t* codes) {
    try {
        PrinterContext* context = calling_context();
        if (context == nullptr) {
            // Every listed printer gets 1501.
            for (int i = 0; indexes != nullptr && codes != nullptr && i < 128 && indexes[i] != 0xFF; ++i)
                codes[i] = TZP_NO_CONTEXT;
            return 0;
        }
        return status_of_printers(*context, indexes, codes) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

TZ_EXPORT int tzpusb_WakeUpStandby(int mode, uint16_t* result) {
    return forward(result, [mode](PrinterContext& context, ResultCode& code) {
        return wake_up_standby(context, mode, code);
    });
}

TZ_EXPORT int tzpusb_blinkLED(uint16_t* result) { return forward(result, blink_led); }

TZ_EXPORT int tzpusb_resetPrinter(uint16_t* result) { return forward(result, reset_printer); }

TZ_EXPORT int tzpusb_getPrinterInfo(int tag, void* buffer, uint32_t* size) {
    // No result pointer: a thread without a context just gets 0.
    return forward(nullptr, [=](PrinterContext& context, ResultCode&) {
        return read_printer_info(context, tag, buffer, size);
    });
}

TZ_EXPORT int tzpusb_setPrinterInfo(int tag, const void* data, const uint32_t* size, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return write_printer_info(context, print_session(context).job, tag, data, size, code);
    });
}

TZ_EXPORT int tzpusb_setPrinterToneCurve(int type, int kind, const void* data, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_printer_tone_curve(context, type, kind, data, code);
    });
}

TZ_EXPORT int tzpusb_getPrinterToneCurve(int type, int kind, uint16_t* values, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return get_printer_tone_curve(context, type, kind, values, code);
    });
}

TZ_EXPORT int tzpusb_setLaminatePattern(int kind, const void* data, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_laminate_pattern(context, kind, data, code);
    });
}

// The gamma and kernel exports do not talk to the printer. Without a context
// makeGamma and setmtf do nothing.
TZ_EXPORT void tzpusb_makeGamma(int gamma_x100, uint8_t* t1, uint8_t* t2, uint8_t* t3) {
    forward(nullptr, [=](PrinterContext&, ResultCode&) {
        make_gamma(gamma_x100, t1, t2, t3);
        return true;
    });
}

TZ_EXPORT int tzpusb_getGamma(const char* path, uint8_t* t1, uint8_t* t2, uint8_t* t3, uint16_t* result) {
    return forward(result, [=](PrinterContext&, ResultCode& code) { return read_gamma_file(path, t1, t2, t3, code); });
}

TZ_EXPORT void tzpusb_setmtf(const int32_t* kernel) {
    forward(nullptr, [=](PrinterContext& context, ResultCode&) {
        set_kernel(print_session(context).mtf, kernel);
        return true;
    });
}

TZ_EXPORT int tzpusb_getMtf(const char* path, int32_t* kernel, uint16_t* result) {
    return forward(result, [=](PrinterContext&, ResultCode& code) { return read_kernel_file(path, kernel, code); });
}

TZ_EXPORT int tzpusb_setIcctable(const char* src_profile, const char* dst_profile, int intent, const uint8_t* t1,
                                 const uint8_t* t2, const uint8_t* t3, const uint8_t* t4, const uint8_t* t5,
                                 const uint8_t* t6, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        const uint8_t* const tables[6] = {t1, t2, t3, t4, t5, t6};
        PrintSession& session = print_session(context);
        return set_icc_table(session.tables, session.color, session.job.channels, src_profile, dst_profile, intent,
                             tables, code);
    });
}

TZ_EXPORT int tzpusb_imageformat(int format, int channels, int bits_per_channel, int width, int height, int offset_x,
                                 int offset_y, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_image_format(print_session(context).job, format, channels, bits_per_channel, width, height, offset_x,
                                offset_y, code);
    });
}

TZ_EXPORT int tzpusb_copies(int copies, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        set_copies(print_session(context).job, copies, code);
        return true;
    });
}

TZ_EXPORT int tzpusb_setCutList(const void* cut_list, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return set_cut_list(context, print_session(context).job, cut_list, code);
    });
}

TZ_EXPORT int tzpusb_cancelCopies(int print_id, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) { return cancel_copies(context, print_id, code); });
}

TZ_EXPORT int tzpusb_getPrintIDStatus(int print_id, void* status, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return print_id_status(context, print_id, status, code);
    });
}

TZ_EXPORT int tzpusb_startpage(uint16_t* print_id, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return start_page(context, print_session(context), print_id, code);
    });
}

TZ_EXPORT int tzpusb_write(const void* data, uint32_t* count, uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        return write_page(context, print_session(context), data, count, code);
    });
}

TZ_EXPORT int tzpusb_endpage(uint16_t* result) {
    return forward(result, [=](PrinterContext& context, ResultCode& code) {
        end_page(print_session(context), code);
        return true;
    });
}

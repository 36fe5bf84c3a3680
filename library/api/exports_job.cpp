// The exported C functions of the print job: the image format, copies, cut
// list, the job settings of printer-information tags, pages and their
// print IDs. Thin forwarders.
#include "tzpusb.h"

#include "context_sessions.h"
#include "forwarding.h"
#include "job/cut_list.h"
#include "job/image_format.h"
#include "job/job_control.h"
#include "job/page_start.h"
#include "job/page_write.h"
#include "job/printer_info_write.h"
#include "platform/export.h"

using namespace tz::lib;

TZ_EXPORT int TZPUSB_API tzpusb_setPrinterInfo(int tag, const void* data, const uint32_t* size, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return write_printer_info(context, print_session(context).job, tag, data, size);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_imageformat(int format, int channels, int bits_per_channel, int width, int height, int offset_x,
                                 int offset_y, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_image_format(print_session(context).job, format, channels, bits_per_channel, width, height, offset_x,
                                offset_y);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_copies(int copies, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) { return set_copies(print_session(context).job, copies); });
}

TZ_EXPORT int TZPUSB_API tzpusb_setCutList(const void* cut_list, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return set_cut_list(context, print_session(context).job, cut_list);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_cancelCopies(int print_id, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) { return cancel_copies(context, print_id); });
}

TZ_EXPORT int TZPUSB_API tzpusb_getPrintIDStatus(int print_id, void* status, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return print_id_status(context, print_id, status);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_startpage(uint16_t* print_id, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return start_page(context, print_session(context), print_id);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_write(const void* data, uint32_t* count, uint16_t* result) {
    return forward(result, [=](PrinterContext& context) {
        return write_page(context, print_session(context), data, count);
    });
}

TZ_EXPORT int TZPUSB_API tzpusb_endpage(uint16_t* result) {
    return forward(result, [=](PrinterContext& context) { return end_page(print_session(context)); });
}

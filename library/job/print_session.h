// What a context keeps for printing: the next job's settings, the write
// path (tables, colour matching, the converter, the page stream), the
// sharpening kernel and the printer held from a page's start to its end.
#pragma once

#include <memory>

#include "core/acquisition.h"
#include "core/result_codes.h"
#include "image/channel_tables.h"
#include "image/color_binding.h"
#include "image/color_block_match.h"
#include "image/image_converter.h"
#include "image/mtf_kernel.h"
#include "page_stream.h"
#include "print_job_state.h"

namespace tz::lib {

class PrinterContext;

class PrintSession {
public:
    explicit PrintSession(PrinterContext& context) : stream(context, job) {}
    PrintSession(const PrintSession&) = delete;
    PrintSession& operator=(const PrintSession&) = delete;

    // Binds the colour library (`bind_color`: not for a download open), then
    // sizes the page stream and the converter: TZP_NO_COLOR_LIBRARY without the
    // colour library, TZP_NO_MEMORY when memory is short. Again: everything is
    // in place.
    ResultCode ready(bool bind_color);
    // Gives the printer back, frees the write path, unbinds the colour library.
    void release();

    PrintJobState job;
    ConversionTables tables;
    ColorBinding color;
    BindingMatcher matcher{color};
    PageStream stream;
    std::unique_ptr<ImageConverter> converter;
    PrinterHold page_hold;
    // The sharpening kernel of the next page start; the identity, disabled,
    // from creation on.
    MtfKernel mtf = MtfKernel::identity();
};

}  // namespace tz::lib

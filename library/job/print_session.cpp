#include "print_session.h"

#include <new>

namespace tz::lib {

ResultCode PrintSession::ready(bool bind_color) {
    if (bind_color && !color.load()) return TZP_NO_COLOR_LIBRARY;
    if (!stream.allocate()) return TZP_NO_MEMORY;
    if (!converter) {
        converter.reset(new (std::nothrow) ImageConverter(job.image, tables, mtf, matcher, stream));
        if (!converter || !converter->allocate()) {
            converter.reset();
            return TZP_NO_MEMORY;
        }
    }
    return TZP_OK;
}

void PrintSession::release() {
    page_hold.release();
    stream.free();
    converter.reset();
    color.unload();
}

}  // namespace tz::lib

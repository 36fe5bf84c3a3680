// The printer's icons (printer-icons, the web interface), small, medium and
// large PNG images, built into the program from printerapp/icons.
#pragma once

#include <cstddef>

namespace tz::app {

struct EmbeddedIcon {
    const unsigned char* data;
    size_t size;
};
extern const EmbeddedIcon kIcons[];
extern const size_t kIconCount;

}  // namespace tz::app

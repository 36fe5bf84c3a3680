// Pages that come out of the printer, written as PNG files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine.h"

namespace tz::emulator {

struct PrintedCopy {
    std::string path;
    PageSetup page;
    std::shared_ptr<const std::vector<uint8_t>> pixels;  // width x height x 3 bytes, RGB, top line first
};

// The print area in white with the image at its offset. false with the reason on failure.
bool write_page_png(const PrintedCopy& copy, std::string* error);

}  // namespace tz::emulator

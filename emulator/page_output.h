// Pages that come out of the printer, written as PNG files, each with a JSON
// file beside it (same name, .json) that records what the page was printed with.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "machine.h"

namespace tz::emulator {

struct PrintedCopy {
    std::string path;  // the PNG file
    std::string serial;
    uint32_t print_number = 0;  // the printer's print counter with this copy
    uint16_t copy = 0;          // this copy: 1 .. the page's copies
    PageSetup page;
    LaminateStrings laminate_strings;
    CutList cut_list;
    std::shared_ptr<const std::vector<uint8_t>> pixels;  // width x height x 3 bytes, RGB, top line first
};

// The print area in white with the image at its offset. false with the reason on failure.
bool write_page_png(const PrintedCopy& copy, std::string* error);
// The job settings, the cut list and the laminate strings beside the PNG file.
bool write_page_json(const PrintedCopy& copy, std::string* error);
std::string page_json_path(const std::string& png_path);

}  // namespace tz::emulator

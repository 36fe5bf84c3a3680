// The settings of a print: read from the command line and checked before any
// printer is asked, then handed to the library on each printer's thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "photo_loader.h"
#include "tool.h"

namespace tz::ctl {

// The print options as typed.
struct PrintArgs {
    std::vector<std::string> images;
    std::string area;
    bool fill = false;
    std::string format = "3";
    std::string copies = "1";
    std::string gamma;
    std::string sharpen;
    std::vector<std::string> icc;  // source and destination profile
    std::string intent = "0";
    std::string cut_list;
    std::vector<std::string> laminate_strings;
    std::string setting20 = "2";
    std::string setting30 = "0";
    std::string timeout;
    std::string error_wait = "30";
    bool whole_photo = false;
};

struct LaminateText {
    int slot = 0;  // 1..12
    std::string text;
};

using GammaTables = std::array<std::array<uint8_t, 256>, 3>;
using CutListRecord = std::array<uint8_t, 73>;

struct PrintSettings {
    std::optional<Size> area;  // none: the media size the printer reports
    Placement placement = Placement::Fit;
    int format = 3;  // 3: pixels sent in the printer's order (RGB); 4: outer channels exchanged (BGR)
    int copies = 1;
    std::optional<int> gamma_x100;  // gamma as a number ...
    std::string gamma_file;         // ... or a file of three tables
    std::optional<GammaTables> gamma_tables;
    std::optional<std::array<int32_t, 9>> kernel;  // given as nine numbers, or read from a kernel file
    std::string icc_source, icc_destination;
    int intent = 0;
    std::optional<CutListRecord> cut_list;  // none: no cuts
    std::vector<LaminateText> laminate_strings;
    int setting20 = 2;
    int setting30 = 0;
    double timeout_s = 0;  // 0: worked out from the copies
    double error_wait_s = 30;
    // Each photo decoded in full before its page starts, instead of sent as
    // it is decoded: the way of earlier versions, kept for comparisons.
    bool whole_photo = false;
};

// Throws UsageError naming the option at fault.
PrintSettings parse_print_settings(const PrintArgs& args);

// Reads the gamma file through the library, which the calling thread has
// opened (a kernel file is read while parsing). Throws UsageError when the
// file is not what it should be.
void read_correction_files(PrintSettings& settings);

// Sets what stays for every page of this thread's printer: the print area,
// the two print settings, the laminate strings, sharpening, the gamma
// tables and the colour profiles. The page settings (copies, cut list) go
// with each page. false with the code and what failed.
bool apply_printer_settings(const PrintSettings& settings, const Size& area, uint16_t& code, std::string& what);
bool apply_page_settings(const PrintSettings& settings, uint16_t& code, std::string& what);

}  // namespace tz::ctl

#include "print_settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

#include "common/input_file.h"
#include "kernel_file.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr int kLargestArea = 4096;    // the largest image side the printer takes
constexpr int kLargestCopies = 999;
constexpr int kLargestCoefficient = 10000;  // hundredths; keeps every kernel sum well inside 32 bits
constexpr size_t kCutCount = 36;
constexpr size_t kLaminateTextSize = 20;

bool readable_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return in.good();
}

// A file option's file must be a regular file: a device or a pipe may never
// end, or block the tool when it is opened.
void check_regular_file(const std::string& option, const std::string& path) {
    if (std::string problem = tools::input_file_problem(path); !problem.empty())
        throw UsageError(option + " " + path + ": " + problem);
}

// A decimal number filling the whole text.
std::optional<double> decimal(const std::string& text) {
    if (text.empty() || text.size() > 32) return std::nullopt;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// Both profiles must be ICC profiles of RGB data: the printer takes three
// channels, and the library refuses any other colour space.
void check_profile(const std::string& path) {
    check_regular_file("--icc", path);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError("--icc " + path + ": cannot read the file");
    char header[128] = {};
    in.read(header, sizeof header);
    if (in.gcount() != sizeof header || std::memcmp(header + 36, "acsp", 4) != 0)
        throw UsageError("--icc " + path + ": not an ICC profile");
    if (std::memcmp(header + 16, "RGB ", 4) != 0) throw UsageError("--icc " + path + ": not a profile for RGB data");
}

void parse_gamma(const std::string& text, PrintSettings& settings) {
    if (std::optional<double> value = decimal(text)) {
        if (*value < 0.1 || *value > 10.0) throw UsageError("--gamma " + text + ": a gamma from 0.1 to 10");
        settings.gamma_x100 = static_cast<int>(std::lround(*value * 100));
    } else {
        check_regular_file("--gamma", text);
        if (!readable_file(text))
            throw UsageError("--gamma " + text + ": neither a number (e.g. 1.8) nor a readable file of gamma tables");
        settings.gamma_file = text;
    }
}

void parse_kernel(const std::string& text, PrintSettings& settings) {
    const std::vector<std::string> words = split(text, ',');
    if (words.size() == 9) {
        std::array<int32_t, 9> kernel{};
        for (size_t i = 0; i < 9; ++i)
            kernel[i] = static_cast<int32_t>(
                parse_number(words[i], -kLargestCoefficient, kLargestCoefficient, "--sharpen coefficient"));
        settings.kernel = kernel;
    } else if (words.size() == 1 && std::filesystem::exists(text)) {
        settings.kernel = read_kernel_file(text, kLargestCoefficient);
    } else {
        throw UsageError("--sharpen " + text +
                         ": nine comma-separated coefficients in hundredths (e.g. 0,-10,0,-10,140,-10,0,-10,0) "
                         "or a readable kernel file");
    }
}

CutListRecord parse_cut_list(const std::string& text) {
    const std::vector<std::string> words = split(text, ',');
    if (words.size() > kCutCount)
        throw UsageError("--cut-list: at most " + std::to_string(kCutCount) + " cut positions");
    CutListRecord record{};
    record[0] = static_cast<uint8_t>(words.size());
    for (size_t i = 0; i < words.size(); ++i) {
        const auto cut = static_cast<uint16_t>(parse_number(words[i], 0, 0xFFFF, "--cut-list position"));
        std::memcpy(record.data() + 1 + 2 * i, &cut, sizeof cut);  // host byte order, as the library reads it
    }
    return record;
}

LaminateText parse_laminate_string(const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        throw UsageError("--laminate-string " + text + ": give it as SLOT:TEXT, e.g. 1:Happy birthday");
    LaminateText laminate;
    laminate.slot = static_cast<int>(parse_number(text.substr(0, colon), 1, 12, "--laminate-string slot"));
    laminate.text = text.substr(colon + 1);
    if (laminate.text.size() > kLaminateTextSize)
        throw UsageError("--laminate-string " + text + ": at most " + std::to_string(kLaminateTextSize) +
                         " bytes of text");
    if (std::any_of(laminate.text.begin(), laminate.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        throw UsageError("--laminate-string " + std::to_string(laminate.slot) + ": control characters in the text");
    return laminate;
}

double seconds(const std::string& text, double low, double high, const char* what) {
    std::optional<double> value = decimal(text);
    if (!value || *value < low || *value > high)
        throw UsageError(std::string(what) + " \"" + text + "\" is not a number of seconds from " +
                         std::to_string(static_cast<int>(low)) + " to " + std::to_string(static_cast<int>(high)));
    return *value;
}

bool set_info(int tag, const void* data, uint32_t size, uint16_t& code) {
    return tzpusb_setPrinterInfo(tag, data, &size, &code) != 0;
}

}  // namespace

PrintSettings parse_print_settings(const PrintArgs& args) {
    PrintSettings settings;
    if (!args.area.empty()) {
        settings.area = parse_size(args.area, 2, kLargestArea, "--area");
        if (settings.area->width % 2 != 0 || settings.area->height % 2 != 0)
            throw UsageError("--area " + args.area + ": the printer takes even widths and heights only");
    }
    settings.placement = args.fill ? Placement::Fill : Placement::Fit;
    settings.whole_photo = args.whole_photo;
    settings.format = static_cast<int>(parse_number(args.format, 3, 4, "--format"));
    settings.copies = static_cast<int>(parse_number(args.copies, 1, kLargestCopies, "--copies"));
    if (!args.gamma.empty()) parse_gamma(args.gamma, settings);
    if (!args.sharpen.empty()) parse_kernel(args.sharpen, settings);
    if (!args.icc.empty()) {
        if (args.icc.size() != 2) throw UsageError("--icc takes two profiles: SOURCE DESTINATION");
        check_profile(args.icc[0]);
        check_profile(args.icc[1]);
        settings.icc_source = args.icc[0];
        settings.icc_destination = args.icc[1];
    }
    settings.intent = static_cast<int>(parse_number(args.intent, 0, 3, "--intent"));
    if (!args.cut_list.empty() && args.cut_list != "none") settings.cut_list = parse_cut_list(args.cut_list);
    std::set<int> slots;
    for (const std::string& text : args.laminate_strings) {
        LaminateText laminate = parse_laminate_string(text);
        if (!slots.insert(laminate.slot).second)
            throw UsageError("--laminate-string: slot " + std::to_string(laminate.slot) + " is given twice");
        settings.laminate_strings.push_back(std::move(laminate));
    }
    settings.setting20 = static_cast<int>(parse_number(args.setting20, 0, 255, "--setting20"));
    settings.setting30 = static_cast<int>(parse_number(args.setting30, 0, 255, "--setting30"));
    if (!args.timeout.empty()) settings.timeout_s = seconds(args.timeout, 1, 86400, "--timeout");
    settings.error_wait_s = seconds(args.error_wait, 0, 86400, "--error-wait");
    return settings;
}

void read_correction_files(PrintSettings& settings) {
    uint16_t code = 0;
    if (!settings.gamma_file.empty()) {
        GammaTables tables{};
        if (!tzpusb_getGamma(settings.gamma_file.c_str(), tables[0].data(), tables[1].data(), tables[2].data(), &code))
            throw UsageError("--gamma " + settings.gamma_file + ": not a gamma file (three tables of 256 bytes)");
        settings.gamma_tables = tables;
    } else if (settings.gamma_x100) {
        GammaTables tables{};
        tzpusb_makeGamma(*settings.gamma_x100, tables[0].data(), tables[1].data(), tables[2].data());
        settings.gamma_tables = tables;
    }
}

bool apply_printer_settings(const PrintSettings& settings, const Size& area, uint16_t& code, std::string& what) {
    uint8_t area_record[10] = {};
    const auto width = static_cast<uint16_t>(area.width), height = static_cast<uint16_t>(area.height);
    std::memcpy(area_record + 1, &width, 2);
    std::memcpy(area_record + 3, &height, 2);
    what = "print area " + std::to_string(area.width) + " x " + std::to_string(area.height);
    if (!set_info(PINFTAG_MEDIA, area_record, sizeof area_record, code)) return false;

    const auto setting20 = static_cast<uint16_t>(settings.setting20), setting30 = static_cast<uint16_t>(settings.setting30);
    what = "print setting 20";
    if (!set_info(PINFTAG_SETTING20, &setting20, sizeof setting20, code)) return false;
    what = "print setting 30";
    if (!set_info(PINFTAG_SETTING30, &setting30, sizeof setting30, code)) return false;

    for (const LaminateText& laminate : settings.laminate_strings) {
        // Values A to D stay 0; then the text length and the text.
        uint8_t record[7 + kLaminateTextSize] = {};
        record[6] = static_cast<uint8_t>(laminate.text.size());
        std::memcpy(record + 7, laminate.text.data(), laminate.text.size());
        what = "laminate string " + std::to_string(laminate.slot);
        if (!set_info(PINFTAG_LAMINATE_STRING1 + laminate.slot - 1, record, sizeof record, code)) return false;
    }

    tzpusb_setmtf(settings.kernel ? settings.kernel->data() : nullptr);

    const GammaTables* gamma = settings.gamma_tables ? &*settings.gamma_tables : nullptr;
    const bool profiles = !settings.icc_source.empty();
    what = profiles ? "colour matching " + settings.icc_source + " -> " + settings.icc_destination : "gamma tables";
    return tzpusb_setIcctable(profiles ? settings.icc_source.c_str() : nullptr,
                              profiles ? settings.icc_destination.c_str() : nullptr, settings.intent,
                              gamma ? (*gamma)[0].data() : nullptr, gamma ? (*gamma)[1].data() : nullptr,
                              gamma ? (*gamma)[2].data() : nullptr, nullptr, nullptr, nullptr, &code) != 0;
}

bool apply_page_settings(const PrintSettings& settings, uint16_t& code, std::string& what) {
    what = "copies";
    if (!tzpusb_copies(settings.copies, &code)) return false;
    what = "cut list";
    return tzpusb_setCutList(settings.cut_list ? settings.cut_list->data() : nullptr, &code) != 0;
}

}  // namespace tz::ctl

// make: a part image for tests and demonstrations, valid by default, with the
// faults a tester asks for.
#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

#include "image_layout.h"
#include "part_image.h"
#include "tool.h"

namespace tz::firmware {

namespace {

constexpr uint64_t kLargestImage = uint64_t{1} << 30;

struct MakeArgs {
    std::string part;
    std::string version;
    std::string output;
    std::string size;
    std::string seed;
    bool bad_identifier = false;
    bool bad_first_byte = false;
    int bad_version_digit = 0;  // 1..4, 0: none
};

int run_make(const Tool& tool, const MakeArgs& args) {
    std::optional<Part> part = part_from_name(args.part);
    if (!part) throw UsageError("PART \"" + args.part + "\" is none of MAIN, DSP, TABLE, USB");
    std::optional<VersionRead> version = parse_version_text(args.version);
    if (!version) throw UsageError("--version \"" + args.version + "\" is not MM.mm (two hex digits each, e.g. 05.10)");
    if (args.bad_first_byte && *part != Part::Usb) throw UsageError("--bad-first-byte is for USB images only");
    if (args.bad_version_digit != 0 && *part != Part::Main && *part != Part::Dsp)
        throw UsageError("--bad-version-digit is for MAIN and DSP images only");

    ImageRequest request;
    request.part = *part;
    request.major = version->major;
    request.minor = version->minor;
    request.size = args.size.empty() ? layout_of(*part).default_size
                                     : static_cast<size_t>(parse_number(args.size, 0, kLargestImage, "--size"));
    request.seed = args.seed.empty() ? default_seed(*part, version->major, version->minor)
                                     : parse_number(args.seed, 0, UINT64_MAX, "--seed");
    request.bad_identifier = args.bad_identifier;
    request.bad_first_byte = args.bad_first_byte;
    request.bad_version_digit = args.bad_version_digit;

    if (!size_acceptable(*part, request.size))
        std::cerr << "TZ5170Firmware: note: " << request.size << " bytes break the " << part_name(*part)
                  << " size rule (" << size_rule(*part) << "); writing what fits\n";

    std::vector<uint8_t> image = build_image(request);
    write_file(args.output, image.data(), image.size());

    uint32_t sum = 0;
    for (uint8_t b : image) sum += b;
    nlohmann::ordered_json faults = nlohmann::ordered_json::array();
    if (request.bad_identifier) faults.push_back("identifier");
    if (request.bad_first_byte) faults.push_back("first-byte");
    if (request.bad_version_digit) faults.push_back("version-digit-" + std::to_string(request.bad_version_digit));
    if (!size_acceptable(*part, request.size)) faults.push_back("size");

    std::string text = version_text(request.major, request.minor);
    std::string human = "wrote " + args.output + ": " + part_name(*part) + " " + text + ", " +
                        std::to_string(request.size) + " bytes, byte sum " + hex32(sum);
    for (const auto& fault : faults) human += ", bad " + fault.get<std::string>();
    tool.emit({{"file", args.output},
               {"part", part_name(*part)},
               {"version", text},
               {"size", request.size},
               {"seed", request.seed},
               {"sum", sum},
               {"sum16", sum & 0xFFFF},
               {"faults", faults}},
              human);
    return kExitOk;
}

}  // namespace

void register_make(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<MakeArgs>();
    CLI::App* sub = app.add_subcommand("make", "build a part image, valid unless a fault is asked for");
    sub->add_option("PART", args->part, "MAIN, DSP, TABLE or USB (any case)")->type_name("")->required();
    sub->add_option("--version", args->version, "version MM.mm, two hex digits each (e.g. 05.10)")
        ->type_name("MM.mm")
        ->required();
    sub->add_option("-o,--output", args->output, "the image file to write")->type_name("FILE")->required();
    sub->add_option("--size", args->size,
                    "image size in bytes, any from 0 (default: MAIN 262144, DSP 65536, TABLE 4096, USB 49152)")
        ->type_name("N");
    sub->add_option("--seed", args->seed, "seed of the pseudo-random body (default: from the part and the version)")
        ->type_name("N");
    sub->add_flag("--bad-identifier", args->bad_identifier, "write the identifier TZP-K2207-4");
    sub->add_flag("--bad-first-byte", args->bad_first_byte, "USB: first byte 0x00 instead of 0xC2");
    sub->add_option("--bad-version-digit", args->bad_version_digit,
                    "MAIN, DSP: version character POS (1-4) becomes 'G'")
        ->type_name("POS")
        ->check(CLI::Range(1, 4));
    sub->callback([&tool, args] { tool.action = [&tool, args] { return run_make(tool, *args); }; });
}

}  // namespace tz::firmware

// package: a whole firmware package for the upgrade program, for the demo and
// for trying an upgrade on virtual printers: the INI file, the four part files
// (MAIN in its three board variants), the launcher script the upgrade program
// starts after an upgrade, and the laminate pattern folder with its INI file
// and pattern.
//
// DIR/TZ5170upgrade.ini
// DIR/firmware/usb.bin, main_oldpcb.bin, main_newpcb.bin, main_newpcb2.bin, dsp.bin, table.bin
// DIR/LamiImageDl.sh
// DIR/TZ5170_LM_Patterns_for_panoramic/Sandtexture_2464x3720_V1.ini, Sandtexture_2464x3720_V1.bin
//
// With --programs BIN the launcher puts BIN first on PATH and the pattern
// folder gets links to the three shared objects, which the laminate program
// loads from its current folder.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "image_layout.h"
#include "part_image.h"
#include "tool.h"

namespace tz::firmware {
namespace {

namespace fs = std::filesystem;

constexpr char kPatternFolder[] = "TZ5170_LM_Patterns_for_panoramic";
constexpr char kPatternIni[] = "Sandtexture_2464x3720_V1.ini";
constexpr char kPatternFile[] = "Sandtexture_2464x3720_V1.bin";
constexpr size_t kPatternWidth = 2464, kPatternHeight = 3720;  // 9,166,080 bytes
constexpr uint8_t kLaminateTarget = 16;
const char* const kSharedObjects[] = {"libTZ5170upgrade.so", "libTZ5170UsbCtrl.so", "libTZ5170ColorMatch.so"};

// A shared object of the toolset: beside the programs in a build folder, in
// the library folder of an installed tree (BIN/../lib/<triplet> or BIN/../lib).
fs::path find_shared_object(const fs::path& programs, const char* name) {
    const fs::path candidates[] = {programs / name, programs.parent_path() / "lib" / TZ_LIBRARY_ARCHITECTURE / name,
                                   programs.parent_path() / "lib" / name};
    std::error_code error;
    for (const fs::path& candidate : candidates)
        if (fs::exists(candidate, error)) return candidate;
    throw Failure(std::string("cannot find ") + name + " beside " + programs.string() + " or in its lib folder");
}

struct PackageArgs {
    std::string dir;
    std::string version;
    std::string programs;
    int reset = 1;
    int tone_curve_reset = 0;
    std::string threshold = "06.00";
};

struct PartFile {
    const char* section;
    const char* file;
    Part part;
    bool has_reset;
};
const PartFile kParts[] = {
    {"USB", "usb.bin", Part::Usb, false},
    {"MAIN_OLDPCB", "main_oldpcb.bin", Part::Main, true},
    {"MAIN_NEWPCB", "main_newpcb.bin", Part::Main, true},
    {"MAIN_NEWPCB2", "main_newpcb2.bin", Part::Main, true},
    {"DSP", "dsp.bin", Part::Dsp, true},
    {"TABLE", "table.bin", Part::Table, true},
};

void write_text(const fs::path& path, const std::string& text) {
    write_file(path.string(), reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// A sand texture: a few levels of pseudo-random grain.
std::vector<uint8_t> pattern_bytes() {
    std::vector<uint8_t> bytes(kPatternWidth * kPatternHeight);
    uint32_t state = 5170;
    for (uint8_t& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(0x60 + ((state >> 24) & 0x3F));
    }
    return bytes;
}

std::string two_hex(uint8_t value) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 15]};
}

int run_package(const Tool& tool, const PackageArgs& args) {
    std::optional<VersionRead> version = parse_version_text(args.version);
    if (!version) throw UsageError("--version \"" + args.version + "\" is not MM.mm (two hex digits each, e.g. 06.05)");
    std::optional<VersionRead> threshold = parse_version_text(args.threshold);
    if (!threshold) throw UsageError("--laminate-threshold \"" + args.threshold + "\" is not MM.mm");
    fs::path programs;
    if (!args.programs.empty()) {
        std::error_code error;
        programs = fs::absolute(args.programs, error);
        if (error || !fs::is_directory(programs)) throw UsageError("--programs " + args.programs + " is not a folder");
    }

    const fs::path dir = args.dir;
    std::error_code error;
    fs::create_directories(dir / "firmware", error);
    if (!error) fs::create_directories(dir / kPatternFolder, error);
    if (error) throw Failure("cannot make the folders of " + args.dir + ": " + error.message());

    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    std::string ini = "; Firmware package for the TARVO 5170, made by TZ5170Firmware.\n";
    uint64_t variant = 0;
    for (const PartFile& entry : kParts) {
        ImageRequest request;
        request.part = entry.part;
        request.major = version->major;
        request.minor = version->minor;
        request.size = layout_of(entry.part).default_size;
        // The three MAIN variants differ from each other.
        request.seed = default_seed(entry.part, version->major, version->minor) + (++variant << 32);
        std::vector<uint8_t> image = build_image(request);
        const fs::path path = dir / "firmware" / entry.file;
        write_file(path.string(), image.data(), image.size());
        files.push_back(path.string());
        ini += std::string("[") + entry.section + "]\nFILEPATH=firmware/" + entry.file + "\n";
        if (entry.has_reset) ini += "RESET=" + std::to_string(args.reset) + "\n";
    }
    ini += "[TONECURVE]\nRESET=" + std::to_string(args.tone_curve_reset) + "\n";
    ini += "[TIME]\nUSB_WAIT_TIME=30000\nMAIN_WAIT_TIME=60000\nDSP_WAIT_TIME=30000\nTABLE_WAIT_TIME=10000\n"
           "DISP_WAIT_TIME=1000\nSTATUS_TIME=120000\nUSB_TIME_OUT=120\nMAIN_TIME_OUT=120\nDSP_TIME_OUT=120\n"
           "TABLE_TIME_OUT=120\nREWRITE_LIMIT=600000\nREADY_LIMIT=600000\n";
    ini += "[Force_FW_Download]\nForceDownlload=0\n";
    ini += "[Laminate_Image_Download]\nMainFwVersionMajor=" + two_hex(threshold->major) +
           "\nMainFwVersionMinor=" + two_hex(threshold->minor) + "\n";
    write_text(dir / "TZ5170upgrade.ini", ini);
    files.push_back((dir / "TZ5170upgrade.ini").string());

    std::string launcher =
        "#!/bin/sh\n"
        "# Started by the upgrade program after it wrote the pattern folder's script\n"
        "# for one printer: runs that script, the laminate pattern program, there.\n"
        "# While it runs, a file laminate-running.<pid> beside this script says so.\n";
    if (!programs.empty()) launcher += "PATH=\"" + programs.string() + ":$PATH\"\nexport PATH\n";
    launcher += "cd \"$(dirname \"$0\")\" || exit 1\n"
                "running=\"$PWD/laminate-running.$$\"\n"
                ": > \"$running\"\n"
                "trap 'rm -f \"$running\"' EXIT\n"
                "cd " + std::string(kPatternFolder) + " || exit 1\n"
                "/bin/sh ./Sandtexture_2464x3720_V1.sh\n";
    write_text(dir / "LamiImageDl.sh", launcher);
    files.push_back((dir / "LamiImageDl.sh").string());

    const fs::path patterns = dir / kPatternFolder;
    write_text(patterns / kPatternIni, std::string("[LAMINATE]\nPATTERN=") + kPatternFile +
                                           "\nTARGET=" + std::to_string(kLaminateTarget) + "\n");
    std::vector<uint8_t> pattern = pattern_bytes();
    write_file((patterns / kPatternFile).string(), pattern.data(), pattern.size());
    files.push_back((patterns / kPatternIni).string());
    files.push_back((patterns / kPatternFile).string());
    for (const char* name : kSharedObjects) {
        if (programs.empty()) break;
        const fs::path link = patterns / name;
        fs::remove(link, error);
        fs::create_symlink(find_shared_object(programs, name), link, error);
        if (error) throw Failure("cannot link " + link.string() + ": " + error.message());
        files.push_back(link.string());
    }

    std::string human = "wrote the firmware package " + args.dir + " (version " + version_text(version->major, version->minor) +
                        ", laminate hand-off from MAIN " + version_text(threshold->major, threshold->minor) + "):\n";
    for (const auto& file : files) human += "  " + file.get<std::string>() + "\n";
    tool.emit({{"dir", args.dir},
               {"version", version_text(version->major, version->minor)},
               {"laminate_threshold", version_text(threshold->major, threshold->minor)},
               {"files", files}},
              human);
    return kExitOk;
}

}  // namespace

void register_package(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<PackageArgs>();
    CLI::App* sub = app.add_subcommand("package", "make a firmware package for the upgrade program");
    sub->add_option("--dir", args->dir, "the package folder (made when missing)")->type_name("DIR")->required();
    sub->add_option("--version", args->version, "version of every part, MM.mm (two hex digits each)")
        ->type_name("MM.mm")
        ->required();
    sub->add_option("--programs", args->programs,
                    "the folder of TZ5170Laminate and the shared objects, for the launcher and the pattern folder")
        ->type_name("BIN");
    sub->add_option("--reset", args->reset, "RESET of MAIN, DSP and TABLE (default 1: restart after the upgrade)")
        ->type_name("N");
    sub->add_option("--tone-curve-reset", args->tone_curve_reset,
                    "TONECURVE/RESET (default 0: reset the tone curves after a complete upgrade)")
        ->type_name("N");
    sub->add_option("--laminate-threshold", args->threshold,
                    "MAIN version from which the laminate pattern is downloaded (default 06.00)")
        ->type_name("MM.mm");
    sub->callback([&tool, args] { tool.action = [&tool, args] { return run_package(tool, *args); }; });
}

}  // namespace tz::firmware

// inspect: what the printer-control library and the upgrade program would
// make of a file: its part (given or guessed), identifier, version as the
// upgrade program reads it, byte sums, and the checks on size, first byte
// (USB) and identifier. Exit status 1 when a check fails.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "image_layout.h"
#include "tool.h"

namespace tz::firmware {

namespace {

struct InspectArgs {
    std::string file;
    std::string part;
};

struct FileFacts {
    std::vector<uint8_t> head;  // the first kLayoutSpan bytes (fewer in a shorter file)
    uint64_t size = 0;
    uint32_t sum = 0;
};

FileFacts read_facts(const std::string& path) {
    check_input(path);
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Failure("cannot read " + path);
    FileFacts facts;
    std::vector<char> chunk(size_t{1} << 20);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        const auto got = static_cast<size_t>(in.gcount());
        const auto* bytes = reinterpret_cast<const uint8_t*>(chunk.data());
        if (facts.head.size() < kLayoutSpan)
            facts.head.insert(facts.head.end(), bytes, bytes + std::min(got, kLayoutSpan - facts.head.size()));
        for (size_t i = 0; i < got; ++i) facts.sum += bytes[i];
        facts.size += got;
        if (!regular) check_pipe_input_size(path, facts.size);
    }
    if (in.bad()) throw Failure("cannot read all of " + path);
    return facts;
}

std::string hex8(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// The identifier's bytes for people: printable ASCII as it is, others as '.'.
std::string shown_text(const uint8_t* data, size_t size) {
    std::string out;
    for (size_t i = 0; i < size; ++i) out += (data[i] >= 0x20 && data[i] < 0x7F) ? static_cast<char>(data[i]) : '.';
    return out;
}

std::string version_error_text(Part part, int error) {
    const size_t at = layout_of(part).version;
    if (error >= 1 && error <= 4)
        return "error " + std::to_string(error) + ": the character at " + std::to_string(at + error - 1) +
               " is no hex digit";
    const size_t needed = at + (part == Part::Usb ? 2 : kVersionSize);
    return "error 5: the file is too short to hold the version (" + std::to_string(needed) + " bytes needed)";
}

std::string padded(std::string text, size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

int run_inspect(const Tool& tool, const InspectArgs& args) {
    std::optional<Part> given;
    if (!args.part.empty()) {
        given = part_from_name(args.part);
        if (!given) throw UsageError("--part \"" + args.part + "\" is none of MAIN, DSP, TABLE, USB");
    }
    const FileFacts facts = read_facts(args.file);
    const uint8_t* head = facts.head.data();
    const size_t head_size = facts.head.size();
    const Part part = given ? *given : guess_part(head, head_size, facts.size);
    const Layout& layout = layout_of(part);

    nlohmann::ordered_json identifier = nullptr;
    if (head_size >= layout.identifier + kIdentifierSize)
        identifier = shown_text(head + layout.identifier, kIdentifierSize);
    const VersionRead version = read_version(part, head, head_size);
    nlohmann::ordered_json version_shown = nullptr;
    if (version.error == 0) version_shown = version_text(version.major, version.minor);

    struct Check {
        const char* name;
        bool ok;
        std::string detail;
    };
    std::vector<Check> checks;
    checks.push_back({"size", size_acceptable(part, facts.size), size_rule(part)});
    if (part == Part::Usb) {
        bool ok = head_size > 0 && head[0] == kUsbFirstByte;
        checks.push_back({"first_byte", ok,
                          head_size == 0 ? "no first byte; wanted 0xC2" : hex8(head[0]) + (ok ? "" : "; wanted 0xC2")});
    }
    bool identifier_ok = identifier_present(part, head, head_size);
    const std::string where = " at " + std::to_string(layout.identifier);
    checks.push_back({"identifier", identifier_ok,
                      identifier_ok        ? kModelIdentifier + where
                      : identifier.is_null() ? "the file ends before " + std::to_string(layout.identifier + kIdentifierSize)
                                             : identifier.get<std::string>() + where + "; wanted " + kModelIdentifier});
    checks.push_back({"version", version.error == 0,
                      version.error == 0 ? version_shown.get<std::string>() + " at " + std::to_string(layout.version)
                                         : version_error_text(part, version.error)});
    const bool all_ok = std::all_of(checks.begin(), checks.end(), [](const Check& c) { return c.ok; });

    char sums[64];
    std::snprintf(sums, sizeof sums, "%s (16-bit 0x%04X)", hex32(facts.sum).c_str(), facts.sum & 0xFFFF);
    std::string human;
    human += padded("file", 12) + args.file + "\n";
    human += padded("part", 12) + part_name(part) + (given ? "" : " (guessed)") + "\n";
    human += padded("size", 12) + std::to_string(facts.size) + " bytes\n";
    human += padded("byte sum", 12) + sums + "\n";
    human += padded("identifier", 12) +
             (identifier.is_null() ? std::string("(the file ends before it)") : identifier.get<std::string>()) + "\n";
    human += padded("version", 12) +
             (version.error == 0 ? version_shown.get<std::string>() : version_error_text(part, version.error)) + "\n";
    nlohmann::ordered_json check_document = nlohmann::ordered_json::object();
    for (const Check& c : checks) {
        std::string label = c.name;
        std::replace(label.begin(), label.end(), '_', ' ');
        human += padded("check " + label, 18) + padded(c.ok ? "ok" : "failed", 8) + c.detail + "\n";
        check_document[c.name] = {{"ok", c.ok}, {"detail", c.detail}};
    }
    human += all_ok ? "all checks passed" : "some checks failed";

    nlohmann::ordered_json document = {{"file", args.file},
                                       {"part", part_name(part)},
                                       {"guessed", !given},
                                       {"size", facts.size},
                                       {"sum", facts.sum},
                                       {"sum16", facts.sum & 0xFFFF},
                                       {"identifier", identifier},
                                       {"version", version_shown},
                                       {"version_error", version.error}};
    if (version.error == 0) {
        document["version_major"] = version.major;
        document["version_minor"] = version.minor;
    }
    document["checks"] = check_document;
    document["ok"] = all_ok;
    tool.emit(document, human);
    return all_ok ? kExitOk : kExitFailure;
}

}  // namespace

void register_inspect(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<InspectArgs>();
    CLI::App* sub = app.add_subcommand("inspect", "show a firmware file's part, identifier, version and checks");
    sub->add_option("FILE", args->file, "the firmware file")->type_name("")->required();
    sub->add_option("--part", args->part, "MAIN, DSP, TABLE or USB (default: guessed from the contents)")
        ->type_name("PART");
    sub->callback([&tool, args] { tool.action = [&tool, args] { return run_inspect(tool, *args); }; });
}

}  // namespace tz::firmware

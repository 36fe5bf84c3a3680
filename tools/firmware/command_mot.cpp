// mot: a binary image as a Motorola S-record file, as the printer-control
// library loads one: an S0 header record holding the input's file name, S3
// records of 32 data bytes at base + offset, an S7 record with the base as
// entry address. Upper-case hex, CR LF line ends.
//
// Large images stream through two fixed buffers (input and text); a record
// is formatted in place, nothing is allocated per record.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <vector>

#include "tool.h"

namespace tz::firmware {

namespace {

constexpr size_t kDataPerRecord = 32;
constexpr size_t kLargestHeader = 128;  // the loader's work area holds no more S0 data
constexpr size_t kInputChunk = kDataPerRecord * 32768;  // 1 MiB
constexpr size_t kTextBuffer = size_t{1} << 21;
// "S3" count address(4) data(255) checksum CR LF, as text.
constexpr size_t kLongestRecord = 2 + 2 + 8 + 2 * 255 + 2 + 2;
constexpr uint64_t kAddressSpace = uint64_t{1} << 32;

struct MotArgs {
    std::string input;
    std::string base;
    std::string output;
};

// Formats records into a buffer and writes it out whenever it fills.
class SRecordWriter {
public:
    explicit SRecordWriter(std::ostream& out) : out_(out), text_(kTextBuffer) {}

    // One record: type '0'..'9', an address of `address_bytes` bytes (big-endian), up to 250 data bytes.
    void record(char type, uint32_t address, size_t address_bytes, const uint8_t* data, size_t size) {
        if (kTextBuffer - used_ < kLongestRecord) flush();
        char* p = text_.data() + used_;
        const auto count = static_cast<uint8_t>(address_bytes + size + 1);
        unsigned sum = count;
        *p++ = 'S';
        *p++ = type;
        p = hex_byte(p, count);
        for (size_t i = address_bytes; i-- > 0;) {
            auto b = static_cast<uint8_t>(address >> (8 * i));
            sum += b;
            p = hex_byte(p, b);
        }
        for (size_t i = 0; i < size; ++i) {
            sum += data[i];
            p = hex_byte(p, data[i]);
        }
        p = hex_byte(p, static_cast<uint8_t>(~sum & 0xFF));
        *p++ = '\r';
        *p++ = '\n';
        used_ = static_cast<size_t>(p - text_.data());
    }

    void flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    static char* hex_byte(char* p, uint8_t b) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        *p++ = kDigits[b >> 4];
        *p++ = kDigits[b & 15];
        return p;
    }

    std::ostream& out_;
    std::vector<char> text_;
    size_t used_ = 0;
};

// The whole input of something that is no regular file (a pipe): its size is known only at the end.
std::vector<uint8_t> slurp(std::istream& in, const std::string& path) {
    std::vector<uint8_t> bytes;
    std::vector<char> chunk(kInputChunk);
    while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) || in.gcount() > 0) {
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + in.gcount());
        check_pipe_input_size(path, bytes.size());
    }
    return bytes;
}

int run_mot(const Tool& tool, const MotArgs& args) {
    const auto base = static_cast<uint32_t>(parse_number(args.base, 0, 0xFFFFFFFFULL, "--base"));
    std::error_code ec;
    if (std::filesystem::exists(args.output, ec) && std::filesystem::equivalent(args.input, args.output, ec))
        throw UsageError("the output " + args.output + " is the input file");

    check_input(args.input);
    std::ifstream in(args.input, std::ios::binary);
    if (!in) throw Failure("cannot read " + args.input);
    const bool regular = std::filesystem::is_regular_file(args.input, ec);
    std::vector<uint8_t> held;  // the input when it is no regular file
    uint64_t size = 0;
    if (regular) {
        size = std::filesystem::file_size(args.input, ec);
        if (ec) throw Failure("cannot read " + args.input + ": " + ec.message());
    } else {
        held = slurp(in, args.input);
        if (in.bad()) throw Failure("cannot read " + args.input);
        size = held.size();
    }
    if (base + size > kAddressSpace)
        throw UsageError(std::to_string(size) + " bytes at " + hex32(base) + " run past address 0xFFFFFFFF");
    if (size == 0) std::cerr << "TZ5170Firmware: note: " << args.input << " is empty; the file has no data record\n";

    std::ofstream out(args.output, std::ios::binary | std::ios::trunc);
    if (!out) throw Failure("cannot write " + args.output);
    SRecordWriter writer(out);

    std::string name = std::filesystem::path(args.input).filename().string();
    name.resize(std::min(name.size(), kLargestHeader));
    writer.record('0', 0, 2, reinterpret_cast<const uint8_t*>(name.data()), name.size());

    uint64_t records = 0, offset = 0;
    std::vector<uint8_t> chunk(regular ? kInputChunk : 0);
    bool read_failed = false;
    while (offset < size) {
        const uint8_t* data = nullptr;
        size_t got = 0;
        if (regular) {
            in.read(reinterpret_cast<char*>(chunk.data()),
                    static_cast<std::streamsize>(std::min<uint64_t>(kInputChunk, size - offset)));
            got = static_cast<size_t>(in.gcount());
            data = chunk.data();
        } else {
            got = static_cast<size_t>(std::min<uint64_t>(kInputChunk, size - offset));
            data = held.data() + offset;
        }
        if (got == 0) {  // the file shrank while we read it
            read_failed = true;
            break;
        }
        for (size_t i = 0; i < got; i += kDataPerRecord, ++records)
            writer.record('3', static_cast<uint32_t>(base + offset + i), 4, data + i, std::min(kDataPerRecord, got - i));
        offset += got;
    }
    writer.record('7', base, 4, nullptr, 0);
    writer.flush();
    out.close();
    if (read_failed || !out) {
        if (std::filesystem::is_regular_file(args.output, ec)) std::filesystem::remove(args.output, ec);
        throw Failure(read_failed ? "cannot read all of " + args.input : "cannot write " + args.output + " (disk full?)");
    }

    const auto last = static_cast<uint32_t>(size == 0 ? base : base + size - 1);
    tool.emit({{"input", args.input},
               {"output", args.output},
               {"base", base},
               {"end", last},
               {"size", size},
               {"records", records},
               {"entry", base}},
              "wrote " + args.output + ": " + std::to_string(records) + " S3 records, " + std::to_string(size) +
                  " bytes" + (size ? " at " + hex32(base) + ".." + hex32(last) : std::string()) + ", entry " +
                  hex32(base));
    return kExitOk;
}

}  // namespace

void register_mot(CLI::App& app, Tool& tool) {
    auto args = std::make_shared<MotArgs>();
    CLI::App* sub = app.add_subcommand("mot", "write a binary image as an S-record (MOT) file");
    sub->add_option("IN", args->input, "the binary image")->type_name("")->required();
    sub->add_option("--base", args->base, "address of the image's first byte (decimal or 0x hex)")
        ->type_name("ADDR")
        ->required();
    sub->add_option("-o,--output", args->output, "the MOT file to write")->type_name("FILE")->required();
    sub->callback([&tool, args] { tool.action = [&tool, args] { return run_mot(tool, *args); }; });
}

}  // namespace tz::firmware

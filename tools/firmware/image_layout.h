// The four firmware parts as files: where each keeps its header block, the
// model identifier and the version, the size rule the printer-control library
// applies, and the version readers of the upgrade program with their error
// numbers. Pure: bytes in, values out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tz::firmware {

enum class Part { Main, Dsp, Table, Usb };

inline constexpr char kModelIdentifier[] = "TZP-K2207-5";
inline constexpr size_t kIdentifierSize = 11;
inline constexpr size_t kHeaderBlockSize = 64;
inline constexpr size_t kIdentifierInBlock = 10;
inline constexpr size_t kVersionInBlock = 26;
inline constexpr size_t kVersionSize = 4;  // bytes the readers look at (USB: the first two)

inline constexpr size_t kUsbImageSize = 49152;  // 0xC000
inline constexpr uint8_t kUsbFirstByte = 0xC2;
inline constexpr size_t kDspMinimumSize = 61339;
inline constexpr size_t kSmallestMainOrTable = 21;  // "more than 20 bytes"

// Every position the layouts name lies below this; a reader needs no more of a file.
inline constexpr size_t kLayoutSpan = 61318 + kHeaderBlockSize;

struct Layout {
    size_t block;       // file offset of the header block
    size_t identifier;  // file offset of the 11-character model identifier
    size_t version;     // file offset of the version
    size_t default_size;
};

const Layout& layout_of(Part part);
const char* part_name(Part part);
// "main", "Dsp", "TABLE", ... (any case); nothing for other words.
std::optional<Part> part_from_name(std::string_view name);

// The size rule of the part, and its wording for people ("exactly 49152 bytes").
bool size_acceptable(Part part, uint64_t size);
std::string size_rule(Part part);

// A version as the upgrade program reads it from a file. error 0: read;
// 1..4: that version character (MAIN, DSP) is no hex digit; 5: the file is too
// short to hold the version (the program's "cannot be opened").
struct VersionRead {
    int error = 0;
    uint8_t major = 0;
    uint8_t minor = 0;
};

// `head` holds the first `head_size` bytes of a file (all of it, or at least
// kLayoutSpan bytes of a longer one). Nothing beyond head_size is read.
VersionRead read_version(Part part, const uint8_t* head, size_t head_size);

// "05.10": two upper-case hex digits each.
std::string version_text(uint8_t major, uint8_t minor);
// "05.10" back (hex digits of either case); nothing unless exactly two hex digits, a dot, two hex digits.
std::optional<VersionRead> parse_version_text(std::string_view text);

// Hex digit value, or -1.
int hex_digit_value(uint8_t c);

// The part a file most likely is: USB when it has 49152 bytes and 0xC2 first;
// DSP when its identifier sits at the DSP offset; MAIN when it sits at the
// start with four hex version characters; TABLE otherwise.
Part guess_part(const uint8_t* head, size_t head_size, uint64_t size);

// Whether the identifier of the part lies wholly in the head and is the model's.
bool identifier_present(Part part, const uint8_t* head, size_t head_size);

}  // namespace tz::firmware

#include "info_records.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace tz::lib::info {
namespace {

constexpr size_t kFrameHeaderSize = 10;
constexpr uint8_t kStateError = 0x11;
constexpr char kModelName[] = "Morland Tarvo Company TARVO 5170 Photo Printer";
static_assert(sizeof kModelName - 1 == 46);

// Copies `width` bytes of `source` from `offset` to `out`; what the source
// does not reach stays zero.
void copy_within(const uint8_t* source, size_t count, size_t offset, uint8_t* out, size_t width) {
    if (source == nullptr || offset >= count) return;
    std::memcpy(out, source + offset, std::min(width, count - offset));
}

uint8_t byte_at(const uint8_t* source, size_t count, size_t offset) {
    return source != nullptr && offset < count ? source[offset] : 0;
}

struct ParameterTag {
    uint8_t number;
    uint8_t width;  // 16: unsigned, 8: signed, 32
};

constexpr ParameterTag kParameterTags[] = {
    {0x11, 16}, {0x41, 16}, {0x42, 16}, {0x43, 16}, {0x81, 8},  {0x82, 8},  {0x83, 8},  {0x91, 16}, {0x92, 16},
    {0x93, 16}, {0xF1, 32}, {0xF2, 32}, {0xF3, 32}, {0xF4, 32}, {0x84, 32}, {0x12, 16}, {0x13, 16}, {0x14, 16},
};
static_assert(std::size(kParameterTags) == kTagParameterLast - kTagParameterFirst + 1);

}  // namespace

uint32_t record_size(uint16_t tag) {
    if (is_parameter_tag(tag)) return 4;
    switch (tag) {
        case kTagMedia: return 13;
        case kTagUsbIdentity: return 54;
        case kTagFirmware: return kLargestRecord;
        case kTagStatus: return 28;
        case kTagErrorCode: return 2;
        case kTagJobs: return 18;
        case kTagSerial: return 8;
        case kTagSetting30: return 1;
        case kTagErrorLog: return 61;
        case kTagStatus60: return 6;
        case kTagPrinterSerial: return 8;
        default: return 0;
    }
}

bool is_parameter_tag(uint16_t tag) { return tag >= kTagParameterFirst && tag <= kTagParameterLast; }

uint8_t parameter_number(uint16_t tag) { return kParameterTags[tag - kTagParameterFirst].number; }

uint32_t parameter_value(uint16_t tag, const uint8_t* data) {
    switch (kParameterTags[tag - kTagParameterFirst].width) {
        case 8: return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(data[0])));
        case 16: {
            uint16_t value;
            std::memcpy(&value, data, sizeof value);
            return value;
        }
        default: {
            uint32_t value;
            std::memcpy(&value, data, sizeof value);
            return value;
        }
    }
}

Record media_information(const uint8_t* payload, size_t count) {
    Record record;
    record.size = record_size(kTagMedia);
    record.bytes[0] = byte_at(payload, count, 0);
    record.bytes[3] = byte_at(payload, count, 3);
    copy_within(payload, count, 4, &record.bytes[4], 4);  // largest print width and height
    record.bytes[8] = byte_at(payload, count, 8);
    record.bytes[9] = byte_at(payload, count, 9);
    return record;
}

Record usb_identity(uint32_t model_key) {
    Record record;
    record.size = record_size(kTagUsbIdentity);
    record.bytes[0] = static_cast<uint8_t>(model_key >> 16);
    record.bytes[1] = static_cast<uint8_t>(model_key >> 24);
    record.bytes[2] = static_cast<uint8_t>(model_key);
    record.bytes[3] = static_cast<uint8_t>(model_key >> 8);
    std::memcpy(&record.bytes[4], kModelName, sizeof kModelName - 1);
    return record;
}

Record status_extract(uint16_t tag, const uint8_t* frame, size_t count, uint8_t printer_index) {
    Record record;
    record.size = record_size(tag);
    uint8_t* out = record.bytes.data();
    switch (tag) {
        case kTagStatus: copy_within(frame, count, kFrameHeaderSize, out, 28); break;
        case kTagErrorCode:
            if (byte_at(frame, count, 7) == kStateError) {
                out[0] = byte_at(frame, count, 2);
                out[1] = byte_at(frame, count, 3);
            }
            break;
        case kTagJobs:
            // The printer's 8 bytes of each job, the printer index after the job number.
            for (size_t job = 0; job < 2; ++job) {
                size_t from = 38 + 8 * job;
                uint8_t* to = out + 9 * job;
                to[0] = byte_at(frame, count, from);
                to[1] = printer_index;
                copy_within(frame, count, from + 1, to + 2, 7);
            }
            break;
        case kTagSetting30: out[0] = byte_at(frame, count, 74); break;
        case kTagStatus60: copy_within(frame, count, 70, out, 4); break;
        default: record.size = 0; break;
    }
    return record;
}

Record firmware_record() {
    Record record;
    record.size = record_size(kTagFirmware);
    record.bytes[0] = kFirmwareEntryCount;
    return record;
}

void put_firmware_entry(Record& record, size_t index, const uint8_t* payload, size_t count) {
    if (index < 1 || index > kFirmwareEntryCount) return;
    uint8_t* entry = &record.bytes[1 + kFirmwareEntrySize * (index - 1)];
    std::memset(entry, 0, kFirmwareEntrySize);
    copy_within(payload, count, 0, entry, kFirmwareEntrySize);
}

Record leading_bytes(uint16_t tag, const uint8_t* payload, size_t count) {
    Record record;
    record.size = record_size(tag);
    copy_within(payload, count, 0, record.bytes.data(), record.size);
    return record;
}

}  // namespace tz::lib::info

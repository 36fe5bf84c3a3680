// The records of the printer-information tags, built from the bytes the
// printer answered. Pure: bytes in, records out. A record is always whole:
// bytes the answer does not reach are zero, bytes beyond the record are left.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tz::lib::info {

inline constexpr uint16_t kTagMedia = 0;
inline constexpr uint16_t kTagUsbIdentity = 2;
inline constexpr uint16_t kTagFirmware = 3;
inline constexpr uint16_t kTagStatus = 4;
inline constexpr uint16_t kTagErrorCode = 7;
inline constexpr uint16_t kTagJobs = 16;
inline constexpr uint16_t kTagSetting20 = 20;
inline constexpr uint16_t kTagSerial = 26;
inline constexpr uint16_t kTagSetting30 = 30;
inline constexpr uint16_t kTagErrorLog = 50;
inline constexpr uint16_t kTagStatus60 = 60;
inline constexpr uint16_t kTagLaminateFirst = 80;
inline constexpr uint16_t kTagLaminateLast = 91;
inline constexpr uint16_t kTagParameterFirst = 200;
inline constexpr uint16_t kTagParameterLast = 217;
inline constexpr uint16_t kTagOperationButton = 301;
inline constexpr uint16_t kTagPrinterSerial = 999;

inline constexpr size_t kFirmwareEntryCount = 7;
inline constexpr size_t kFirmwareEntrySize = 38;
inline constexpr size_t kLargestRecord = 1 + kFirmwareEntryCount * kFirmwareEntrySize;  // 267

struct Record {
    std::array<uint8_t, kLargestRecord> bytes{};
    uint32_t size = 0;
};

// The size of the tag's record on the read side; 0 for a tag it refuses.
uint32_t record_size(uint16_t tag);

bool is_parameter_tag(uint16_t tag);
// The parameter number of a tag 200..217.
uint8_t parameter_number(uint16_t tag);
// The caller's value of a tag 200..217, read with the tag's width (16-bit
// unsigned, 8-bit signed extended, or 32-bit; host byte order) and sent as
// 32 bits.
uint32_t parameter_value(uint16_t tag, const uint8_t* data);

// Tag 0 from the payload of the media inquiry.
Record media_information(const uint8_t* payload, size_t count);
// Tag 2: vendor and product id of the model key, then the model's name.
Record usb_identity(uint32_t model_key);
// Tags 4, 7, 16, 30 and 60 from a whole status frame, header included;
// `printer_index` goes into the job records of tag 16.
Record status_extract(uint16_t tag, const uint8_t* frame, size_t count, uint8_t printer_index);
// Tag 3 before its entries: the count 7, all entries zero.
Record firmware_record();
// Entry `index` (1..7) of tag 3 from the payload of its firmware inquiry.
void put_firmware_entry(Record& record, size_t index, const uint8_t* payload, size_t count);
// Tags whose record is the payload's first bytes (26, 50, 200..217, 999).
Record leading_bytes(uint16_t tag, const uint8_t* payload, size_t count);

}  // namespace tz::lib::info

// Fuzzes the records the library builds from the printer's answers for the
// printer-information tags: every builder gets the input as an answer of any
// length, and must never read past it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "info/info_records.h"

namespace info = tz::lib::info;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint16_t tag = static_cast<uint16_t>(data[0] | (data[1] << 8));
    // An exact-size copy, so that the sanitizer sees any read past the answer.
    std::vector<uint8_t> answer(data + 2, data + size);
    const uint8_t* bytes = answer.data();
    const size_t count = answer.size();

    info::media_information(bytes, count);
    info::status_extract(tag, bytes, count, data[0]);
    info::leading_bytes(tag, bytes, count);
    info::Record firmware = info::firmware_record();
    info::put_firmware_entry(firmware, 1 + data[1] % 7, bytes, count);
    if (info::is_parameter_tag(tag) && count >= 4) info::parameter_value(tag, bytes);
    info::record_size(tag);
    return 0;
}

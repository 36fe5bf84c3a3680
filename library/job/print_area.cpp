#include "print_area.h"

#include <array>
#include <cstring>

#include "byteorder/little_endian.h"
#include "core/printer_context.h"
#include "info/info_records.h"
#include "info/printer_info_read.h"
#include "print_job_state.h"

namespace tz::lib {
namespace {

constexpr uint32_t kMediaBufferSize = 256;

uint16_t le16_at(const uint8_t* bytes, uint32_t count, uint32_t offset) {
    if (offset + 2 > count) return 0;
    return read_le16(bytes + offset);
}

}  // namespace

bool parse_print_area(const uint8_t* record, uint32_t size, PrintAreaSize& area) {
    if (record == nullptr || size < kPrintAreaRecordSize) return false;
    std::memcpy(&area.width, record + 1, sizeof area.width);
    std::memcpy(&area.height, record + 3, sizeof area.height);
    return true;
}

bool print_area_fits(const PrintAreaSize& area, const uint8_t* media, uint32_t count) {
    uint16_t largest_width = le16_at(media, count, 4);
    uint16_t largest_height = le16_at(media, count, 6);
    if (area.width % 2 != 0 || area.height % 2 != 0) return false;
    return area.width <= largest_width && area.height <= largest_height;
}

ResultCode set_print_area(PrinterContext& context, PrintJobState& job, const uint8_t* record, const uint32_t* size) {
    job.print_area_set = false;
    PrintAreaSize area;
    if (size == nullptr || !parse_print_area(record, *size, area)) return TZP_BAD_PARAMETER;
    std::array<uint8_t, kMediaBufferSize> media{};
    uint32_t count = media.size();
    if (read_printer_info(context, info::kTagMedia, media.data(), &count) != TZP_OK ||
        !print_area_fits(area, media.data(), count))
        return TZP_NO_PAPER_INFO;
    job.area_width = area.width;
    job.area_height = area.height;
    job.print_area_set = true;
    return TZP_OK;
}

}  // namespace tz::lib

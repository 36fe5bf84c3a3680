#include "printer_queries.h"

#include <algorithm>

#include "printer_condition.h"
#include "tzpusb.h"

namespace tz::app {

namespace {

constexpr size_t kEntrySize = 38;
constexpr size_t kEntryCount = 7;

unsigned le16(const uint8_t* p) { return p[0] | p[1] << 8; }

// Fixed-width text without trailing NULs and blanks; other bytes as '.'.
std::string text_of(const uint8_t* data, size_t size) {
    std::string text;
    for (size_t i = 0; i < size; ++i) text += (data[i] >= 0x20 && data[i] < 0x7F) ? char(data[i]) : (data[i] ? '.' : ' ');
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::vector<uint8_t> read_info(int tag, uint32_t size) {
    std::vector<uint8_t> buffer(size);
    uint32_t got = size;
    if (!tzpusb_getPrinterInfo(tag, buffer.data(), &got)) return {};
    buffer.resize(std::min(got, size));
    return buffer;
}

}  // namespace

unsigned read_status(PrinterLink& link) {
    unsigned code = link.select();
    if (code == TZP_OK) {
        uint16_t state = 0;
        tzpusb_status(&state);
        code = state;
    }
    if (is_unreachable(code)) link.lost();
    return code;
}

std::optional<MediaInfo> read_media(PrinterLink& link) {
    if (link.select() != TZP_OK) return std::nullopt;
    std::vector<uint8_t> record = read_info(PINFTAG_MEDIA, 13);
    return parse_media_info(record.data(), record.size());
}

PrinterDetails read_details(PrinterLink& link) {
    PrinterDetails details;
    details.status = read_status(link);
    if (is_unreachable(details.status)) return details;
    std::vector<uint8_t> engine = read_info(PINFTAG_ENGID, 1 + kEntryCount * kEntrySize);
    if (!engine.empty()) {
        const size_t count = std::min<size_t>(engine[0], kEntryCount);
        for (size_t i = 0; i < count && 1 + (i + 1) * kEntrySize <= engine.size(); ++i) {
            const uint8_t* e = engine.data() + 1 + i * kEntrySize;
            details.firmware.push_back({text_of(e, 8), text_of(e + 8, 16), text_of(e + 24, 10), e[34], e[35], le16(e + 36)});
        }
    }
    std::vector<uint8_t> serial = read_info(PINFTAG_SERIAL, 8);
    details.serial_recorded = text_of(serial.data(), serial.size());
    serial = read_info(PINFTAG_PRINTER_SERIAL, 8);
    details.serial_reported = text_of(serial.data(), serial.size());
    std::vector<uint8_t> status = read_info(PINFTAG_STATUS, 28);
    if (status.size() >= 12)
        details.prints = uint32_t(status[8]) | uint32_t(status[9]) << 8 | uint32_t(status[10]) << 16 | uint32_t(status[11]) << 24;
    std::vector<uint8_t> media = read_info(PINFTAG_MEDIA, 13);
    details.media = parse_media_info(media.data(), media.size());
    details.error_log = read_info(PINFTAG_ERRLOG, 61);
    return details;
}

unsigned blink(PrinterLink& link) {
    unsigned code = link.select();
    if (code != TZP_OK) return code;
    uint16_t result = 0;
    tzpusb_blinkLED(&result);
    return result;
}

}  // namespace tz::app

// What a context keeps for its next print job: the image description, the
// settings sent with each page, the print area and the laminate strings.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "image/page_image.h"

namespace tz::lib {

inline constexpr size_t kLaminateSlotCount = 12;
inline constexpr size_t kLaminateTextSize = 20;

// One laminate string, sent with every page start.
struct LaminateStringSlot {
    uint8_t slot = 0;  // 1..12
    uint16_t value_a = 0;
    uint16_t value_b = 0;
    uint8_t value_c = 0;
    uint8_t value_d = 0;
    uint8_t text_length = 0;
    std::array<uint8_t, kLaminateTextSize> text{};
};

// Twelve slots numbered 1..12, all values zero until the host sets them.
constexpr std::array<LaminateStringSlot, kLaminateSlotCount> initial_laminate_slots() {
    std::array<LaminateStringSlot, kLaminateSlotCount> slots{};
    for (size_t i = 0; i < kLaminateSlotCount; ++i) slots[i].slot = static_cast<uint8_t>(i + 1);
    return slots;
}

inline constexpr size_t kCutCount = 36;
inline constexpr uint8_t kNoCutList = 0xFF;

// The cut list sent to the printer: a count (0xFF: none) and 36 cut values.
struct CutListState {
    uint8_t count = kNoCutList;
    std::array<uint16_t, kCutCount> cuts{};
};

struct PrintJobState {
    uint16_t copies = 1;
    PageImage image;
    uint16_t setting20 = 2;  // printer-information tag 20; back to 2 when a printer is selected by index
    uint16_t print_id = 0;
    uint16_t area_width = 0;
    uint16_t area_height = 0;
    uint16_t offset_x = 0;
    uint16_t offset_y = 0;
    uint16_t setting30 = 0;  // printer-information tag 30
    uint32_t bytes_queued = 0;
    uint32_t bytes_written = 0;  // the running total of the page's writes
    bool print_area_set = false;
    std::array<LaminateStringSlot, kLaminateSlotCount> laminate_strings = initial_laminate_slots();
    CutListState cut_list;
};

}  // namespace tz::lib

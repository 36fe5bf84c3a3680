#include "icc_tables.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>


namespace tz::lib {

namespace {

// Copies a path into its field; false (field left empty) when it does not fit.
bool store_path(std::array<char, kProfilePathSize>& field, const char* path) {
    field.fill('\0');
    if (path == nullptr) return true;
    const size_t length = ::strnlen(path, kProfilePathSize);
    if (length > kLongestProfilePath) return false;
    std::memcpy(field.data(), path, length);
    return true;
}

}  // namespace

ResultCode set_icc_table(ConversionTables& conversion, ColorBinding& color, int channels, const char* source_path,
                         const char* destination_path, int intent, const uint8_t* const (&tables)[6]) {
    for (int i = 0; i < 6; ++i) {
        ChannelTable& table = i < 3 ? conversion.input.t[i] : conversion.output.t[i - 3];
        table = identity_table();
        if (tables[i] != nullptr) std::copy_n(tables[i], kChannelTableSize, table.begin());
    }
    color.release_world();
    if (source_path == nullptr && destination_path == nullptr) return TZP_OK;
    const bool fit = store_path(color.source_path, source_path) && store_path(color.destination_path, destination_path);
    if (!fit) {
        color.source_path.fill('\0');
        color.destination_path.fill('\0');
        return TZP_BAD_PARAMETER;
    }
    // Identity, output tables 4, 5, 6, identity.
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[5 * kChannelTableSize]);
    if (!block) return TZP_NO_MEMORY;
    const ChannelTable identity = identity_table();
    const ChannelTable* parts[5] = {&identity, &conversion.output.t[0], &conversion.output.t[1],
                                    &conversion.output.t[2], &identity};
    for (size_t i = 0; i < 5; ++i) std::copy(parts[i]->begin(), parts[i]->end(), block.get() + i * kChannelTableSize);
    return color.create_world(channels, channels, static_cast<uint16_t>(intent), block.get());
}

}  // namespace tz::lib

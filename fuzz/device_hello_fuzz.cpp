// Fuzzes the USB control library's reading of a virtual printer's
// self-description.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "emulator/link.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t* copy = new uint8_t[size];
    if (size > 0) std::memcpy(copy, data, size);
    auto hello = tz::emulator::link::decode_hello(copy, size);
    if (hello) {
        auto again = tz::emulator::link::encode_hello(*hello);
        if (std::memcmp(again.data(), copy, again.size()) != 0 && std::memcmp(copy, "TZEM", 4) == 0 && copy[5] == 0)
            __builtin_trap();  // a description read back must write out the same
    }
    delete[] copy;
    return 0;
}

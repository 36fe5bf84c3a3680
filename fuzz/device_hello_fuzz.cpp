// Fuzzes the USB control library's reading of a virtual printer's
// self-description.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "link/hello.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t* copy = new uint8_t[size];
    if (size > 0) std::memcpy(copy, data, size);
    auto hello = tz::link::decode_hello(copy, size);
    if (hello) {
        // A description read back must write out what reads the same again.
        const std::string again = tz::link::encode_hello(*hello);
        auto back = tz::link::decode_hello(reinterpret_cast<const uint8_t*>(again.data()), again.size());
        if (!back || back->vendor_id != hello->vendor_id || back->product_id != hello->product_id ||
            back->serial != hello->serial || back->id_string != hello->id_string || back->instance != hello->instance)
            __builtin_trap();
    }
    delete[] copy;
    return 0;
}

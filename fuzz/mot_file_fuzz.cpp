// Fuzzes the MOT loader with the input as a file. Every input is loaded twice,
// with the normal read block and with a tiny one, so that records are cut by
// block boundaries: both loads must agree on the code and every image byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "download/mot_loader.h"
#include "download/mot_reader.h"

namespace {

const std::string& input_path() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("tz5170-mot-fuzz-" + std::to_string(std::random_device()()))).string();
    return path;
}

struct Result {
    bool ok = false;
    tz::lib::ResultCode code = 0;
    tz::lib::MotImage image;
};

Result load(uint32_t block_size) {
    tz::lib::MotReader reader;
    Result result;
    result.code = tz::lib::load_mot(reader, input_path().c_str(), block_size, result.image);
    result.ok = result.code == TZP_OK;
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint32_t small_block = 1 + data[0] % 97;
    {
        std::ofstream file(input_path(), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    Result normal = load(tz::lib::kMotReadBlockSize);
    Result cut = load(small_block);
    if (normal.ok != cut.ok || normal.code != cut.code) std::abort();
    if (normal.ok) {
        if (normal.image.size != cut.image.size || normal.image.sum != cut.image.sum ||
            normal.image.start != cut.image.start || normal.image.end != cut.image.end ||
            std::memcmp(normal.image.bytes, cut.image.bytes, normal.image.size) != 0)
            std::abort();
        uint32_t sum = 0;
        for (uint32_t i = 0; i < normal.image.size; ++i) sum += normal.image.bytes[i];
        if (sum != normal.image.sum || normal.image.end - normal.image.start + 1 != normal.image.size) std::abort();
    }
    tz::lib::dispose_mot_image(normal.image.bytes);
    tz::lib::dispose_mot_image(cut.image.bytes);
    return 0;
}

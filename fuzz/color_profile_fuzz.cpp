// Fuzzes the colour-matching library with the input as a profile file: it is
// opened, its header read, and colour worlds are made with it as source and
// as destination against an sRGB profile, through which a small block of
// pixels is matched. Nothing may read or write past a buffer, and a world
// that is made must match a block of its own component counts.
#include <lcms2.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "colormatch/tzcm.h"

namespace {

std::string temp_path(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("tz5170-") + name + "-" + std::to_string(std::random_device()())))
        .string();
}

// An sRGB profile file, written once.
const std::string& srgb_path() {
    static const std::string path = [] {
        std::string p = temp_path("srgb.icc");
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        cmsSaveProfileToFile(srgb, p.c_str());
        cmsCloseProfile(srgb);
        return p;
    }();
    return path;
}

void match_through(uint32_t world) {
    const int in = SDKCMGetNumsOfInPixComp(world), out = SDKCMGetNumsOfOutPixComp(world);
    if (in <= 0 || out <= 0 || in > 16 || out > 16) return;
    constexpr int kWidth = 7, kLines = 3;
    std::vector<uint8_t> source(size_t{kWidth} * kLines * in), target(size_t{kWidth} * kLines * out);
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 37);
    tzcm_pixmap from{kWidth, kLines, in, kWidth * in, source.data()};
    tzcm_pixmap to{kWidth, kLines, out, kWidth * out, target.data()};
    SDKCMMatchPixelMap(world, &from, &to);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = temp_path("profile-fuzz.icc");
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    uint32_t fuzzed = 0, srgb = 0;
    if (SDKCMOpenProfile(path.c_str(), &fuzzed) != TZCM_OK) return 0;
    uint8_t header[TZCM_HEADER_SIZE];
    SDKCMGetProfileHeader(&fuzzed, header);
    if (SDKCMOpenProfile(srgb_path().c_str(), &srgb) == TZCM_OK) {
        std::vector<uint8_t> tables(TZCM_CURVE_SIZE * TZCM_CURVE_COUNT);
        for (size_t i = 0; i < tables.size(); ++i) tables[i] = static_cast<uint8_t>(255 - i % 256);
        const int intent = size > 0 ? data[size - 1] % 4 : 0;
        for (const bool fuzzed_first : {true, false}) {
            const uint32_t world = fuzzed_first ? SDKCMCreateColorWorld(intent, &fuzzed, 0, &srgb, tables.data())
                                                : SDKCMCreateColorWorld(intent, &srgb, 0, &fuzzed, nullptr);
            if (world != 0) {
                match_through(world);
                SDKCMDisposeColorWorld(world);
            }
        }
        SDKCMCloseProfile(&srgb);
    }
    SDKCMCloseProfile(&fuzzed);
    return 0;
}

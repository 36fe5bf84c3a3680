// Test profiles written to a temporary folder, and the reference the colour
// worlds are checked against: LittleCMS called directly on the same files.
#pragma once

#include "colormatch/tzcm.h"

#include <lcms2.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tzcm_test {

// A folder under the system temp folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    std::string file(const std::string &name) const { return (path_ / name).string(); }
    // Writes bytes to a file in the folder and returns its path.
    std::string write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;

private:
    std::filesystem::path path_;
};

enum class Kind { Srgb, Gamma18Rgb, Cmyk, Gray, Lab };

// 8-bit interleaved LittleCMS format and channel count of a kind's data.
cmsUInt32Number format_of(Kind kind);
int channels_of(Kind kind);

// Saves a freshly made profile of the kind into the folder; returns the path.
// Srgb: LittleCMS's built-in sRGB. Gamma18Rgb: D50, wide primaries, gamma
// 1.8. Cmyk: a printer profile with CLUT-based AToB0 and BToA0 / BToA1
// (naive CMY with half / full black) and a paper white below D50. Gray: gamma 2.2. Lab: the built-in Lab v4 identity.
std::string save_profile(const TempFolder &folder, Kind kind);

std::vector<std::uint8_t> read_bytes(const std::string &path);

// What the curve block should produce: block 0 on the input bytes, the plain
// LittleCMS transform of the two files (intent, flags 0), block 1+c on output
// channel c < 3, block 4 on every output channel. Null tables: no curves.
std::vector<std::uint8_t> reference_match(const std::string &src_path, Kind src,
                                          const std::string &dst_path, Kind dst, int intent,
                                          const std::uint8_t *tables,
                                          const std::vector<std::uint8_t> &pixels);

// Curve block: inverted input, three different output curves, a four-level
// posteriser last.
std::vector<std::uint8_t> shaped_tables();

// Every level 0..255 on every channel (each channel ramps on its own, then
// all together), followed by `random_count` random pixels.
std::vector<std::uint8_t> test_pixels(int channels, int random_count, unsigned seed);

// One file of each kind, written once per test program.
struct TestProfiles {
    TestProfiles();
    TempFolder folder;
    std::string path(Kind kind) const;
};
const TestProfiles &test_profiles();

// A profile opened through the library, closed at scope end.
struct OpenedProfile {
    explicit OpenedProfile(Kind kind);
    explicit OpenedProfile(const std::string &path);
    ~OpenedProfile();
    OpenedProfile(const OpenedProfile &) = delete;
    OpenedProfile &operator=(const OpenedProfile &) = delete;
    std::uint32_t id = 0;
    int result = -1;
};

// A colour world, disposed at scope end.
struct World {
    World(Kind src, Kind dst, int intent, const std::uint8_t *tables);
    ~World();
    World(const World &) = delete;
    World &operator=(const World &) = delete;
    std::uint32_t id = 0;
};

inline tzcm_pixmap pixmap(void *data, int width, int lines, int components, int bytes_per_row) {
    return tzcm_pixmap{width, lines, components, bytes_per_row, data};
}

} // namespace tzcm_test

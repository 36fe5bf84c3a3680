// The binding of the colour-matching library libTZ5170ColorMatch.so, and the
// process-wide colour lock that serialises every call into it.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "core/result_codes.h"
#include "platform/dynamic_library.h"

namespace tz::lib {

struct ColorPixmap {
    int32_t width, lines, components, bytes_per_row;
    void* data;
};

// The twelve entry points, all of which must exist.
struct ColorApi {
    int (*CreatLUT)() = nullptr;
    int (*MatchPixelMap)(uint32_t world, const ColorPixmap* source, ColorPixmap* destination) = nullptr;
    int (*MatchPlaneMap)() = nullptr;
    int (*ConvertColorWorldToIPB)() = nullptr;
    int (*OpenProfile)(const char* path, uint32_t* profile) = nullptr;
    int (*CloseProfile)(uint32_t* profile) = nullptr;
    uint32_t (*CreateColorWorld)(int intent, const uint32_t* source, int reserved, const uint32_t* destination,
                                 const uint8_t* tables) = nullptr;
    int (*DisposeColorWorld)(uint32_t world) = nullptr;
    int (*GetNumsOfInPixComp)(uint32_t world) = nullptr;
    int (*GetNumsOfOutPixComp)(uint32_t world) = nullptr;
    int (*GetPartialProfileElement)() = nullptr;
    int (*GetProfileHeader)(const uint32_t* profile, uint8_t* header) = nullptr;
};

// The library's name; the file is the system's (libTZ5170ColorMatch.so, TZ5170ColorMatch.dll).
inline constexpr char kColorLibraryName[] = "TZ5170ColorMatch";
inline constexpr size_t kProfilePathSize = 260;

// Serialises all calls into the colour-matching library across contexts.
std::recursive_mutex& color_lock();

class ColorBinding {
public:
    ColorBinding() = default;
    ~ColorBinding() { unload(); }
    ColorBinding(const ColorBinding&) = delete;
    ColorBinding& operator=(const ColorBinding&) = delete;

    // Loads the library by its bare name and binds every entry point; all or
    // nothing. Already loaded: true.
    bool load();
    // Releases the colour world, then unloads the library.
    void unload();
    bool loaded() const { return loaded_; }
    const ColorApi& api() const { return api_; }

    // Disposes of the colour world through the library (not while a context
    // beyond the first is being released) and forgets it.
    void release_world();
    uint32_t world() const { return world_; }

    // Under the colour lock: disposes of any world, then makes one from the two
    // stored profile paths, whose colour spaces must suit the input and output
    // types (3: RGB, 4: CMYK, other: any), with `intent_given` (stored; passed
    // on when 0..3, else 0) and the 1280-byte table block. Not loaded:
    // TZP_NO_COLOR_LIBRARY (no lock taken); a path empty or a colour space that
    // does not fit: TZP_BAD_PARAMETER; a profile that does not open:
    // TZP_FILE_ERROR; no world returned: TZP_NO_MEMORY.
    ResultCode create_world(int input_type, int output_type, uint16_t intent_given, const uint8_t* tables);

    uint16_t intent = 0;
    std::array<char, kProfilePathSize> source_path{};
    std::array<char, kProfilePathSize> destination_path{};

private:
    platform::DynamicLibrary module_;
    bool loaded_ = false;
    ColorApi api_;
    uint32_t world_ = 0;
};

}  // namespace tz::lib

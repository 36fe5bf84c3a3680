#include "color_binding.h"

#include <cstring>

#include "core/entry_points.h"
#include "core/library_state.h"
#include "platform/system_names.h"

namespace tz::lib {

std::recursive_mutex& color_lock() {
    static std::recursive_mutex lock;
    return lock;
}

bool ColorBinding::load() {
    if (loaded_) return true;
    api_ = ColorApi{};
    module_ = platform::DynamicLibrary::load(platform::shared_library_file(kColorLibraryName));
    if (!module_.loaded()) return false;
    bool all = lookup(module_, "SDKCMCreatLUT", api_.CreatLUT) &&
               lookup(module_, "SDKCMMatchPixelMap", api_.MatchPixelMap) &&
               lookup(module_, "SDKCMMatchPlaneMap", api_.MatchPlaneMap) &&
               lookup(module_, "SDKCMConvertColorWorldToIPB", api_.ConvertColorWorldToIPB) &&
               lookup(module_, "SDKCMOpenProfile", api_.OpenProfile) &&
               lookup(module_, "SDKCMCloseProfile", api_.CloseProfile) &&
               lookup(module_, "SDKCMCreateColorWorld", api_.CreateColorWorld) &&
               lookup(module_, "SDKCMDisposeColorWorld", api_.DisposeColorWorld) &&
               lookup(module_, "SDKCMGetNumsOfInPixComp", api_.GetNumsOfInPixComp) &&
               lookup(module_, "SDKCMGetNumsOfOutPixComp", api_.GetNumsOfOutPixComp) &&
               lookup(module_, "SDKCMGetPartialProfileElement", api_.GetPartialProfileElement) &&
               lookup(module_, "SDKCMGetProfileHeader", api_.GetProfileHeader);
    if (!all) {
        api_ = ColorApi{};
        module_.close();
        return false;
    }
    loaded_ = true;
    return true;
}

void ColorBinding::unload() {
    if (!loaded_) return;
    release_world();
    api_ = ColorApi{};
    loaded_ = false;
    module_.close();
}

void ColorBinding::release_world() {
    if (!loaded_) return;
    std::lock_guard guard(color_lock());
    if (world_ != 0 && context_table().releasing_slot < 2) api_.DisposeColorWorld(world_);
    world_ = 0;
}

namespace {

constexpr uint32_t kRgbSpace = 0x52474220;   // 'RGB '
constexpr uint32_t kCmykSpace = 0x434D594B;  // 'CMYK'
constexpr size_t kHeaderSize = 128;
constexpr size_t kSpaceOffset = 16;

// A profile opened through the library, closed at scope end.
class OpenedProfile {
public:
    OpenedProfile(const ColorApi& api, const char* path) : api_(api) { open_ = api_.OpenProfile(path, &id_) == 0; }
    ~OpenedProfile() {
        if (open_) api_.CloseProfile(&id_);
    }
    OpenedProfile(const OpenedProfile&) = delete;
    OpenedProfile& operator=(const OpenedProfile&) = delete;
    bool open() const { return open_; }
    const uint32_t* id() const { return &id_; }

    // The data colour space of the header suits the channel count.
    bool suits(int type) const {
        if (type != 3 && type != 4) return true;
        uint8_t header[kHeaderSize] = {};
        api_.GetProfileHeader(&id_, header);
        uint32_t space = 0;
        std::memcpy(&space, header + kSpaceOffset, sizeof space);
        return space == (type == 3 ? kRgbSpace : kCmykSpace);
    }

private:
    const ColorApi& api_;
    uint32_t id_ = 0;
    bool open_ = false;
};

}  // namespace

ResultCode ColorBinding::create_world(int input_type, int output_type, uint16_t intent_given, const uint8_t* tables) {
    if (!loaded_) return TZP_NO_COLOR_LIBRARY;
    std::lock_guard guard(color_lock());
    if (world_ != 0) api_.DisposeColorWorld(world_);
    world_ = 0;
    if (source_path[0] == '\0' || destination_path[0] == '\0') return TZP_BAD_PARAMETER;
    OpenedProfile source(api_, source_path.data());
    if (!source.open()) return TZP_FILE_ERROR;
    if (!source.suits(input_type)) return TZP_BAD_PARAMETER;
    OpenedProfile destination(api_, destination_path.data());
    if (!destination.open()) return TZP_FILE_ERROR;
    if (!destination.suits(output_type)) return TZP_BAD_PARAMETER;
    intent = intent_given;
    const int passed = intent <= 3 ? intent : 0;
    world_ = api_.CreateColorWorld(passed, source.id(), 0, destination.id(), tables);
    return world_ != 0 ? TZP_OK : TZP_NO_MEMORY;
}

}  // namespace tz::lib

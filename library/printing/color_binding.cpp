#include "color_binding.h"

#include "core/entry_points.h"
#include "core/library_state.h"

namespace tz::lib {

std::recursive_mutex& color_lock() {
    static std::recursive_mutex lock;
    return lock;
}

bool ColorBinding::load() {
    if (loaded_) return true;
    api_ = ColorApi{};
    module_ = platform::DynamicLibrary::load(kColorLibraryName);
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

}  // namespace tz::lib

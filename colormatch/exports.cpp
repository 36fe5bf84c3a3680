// The twelve SDKCM entry points. Each one checks its arguments, finds the
// profile or world behind a handle and forwards; nothing escapes as an
// exception.
#include "colormatch/tzcm.h"

#include "platform/export.h"
#include "pixel_match.h"
#include "profile_header.h"
#include "registry.h"

#define TZCM_EXPORT TZ_EXPORT

using namespace tzcm;

TZCM_EXPORT int SDKCMOpenProfile(const char *path, uint32_t *profile) noexcept {
    if (path == nullptr || profile == nullptr) {
        return TZCM_E_ARGUMENT;
    }
    ProfileLoad load = load_profile(path);
    if (load.result != TZCM_OK) {
        return load.result;
    }
    const std::uint32_t id = registry().profiles.insert(std::move(load.profile));
    if (id == 0) {
        return TZCM_E_NO_MEMORY;
    }
    *profile = id;
    return TZCM_OK;
}

TZCM_EXPORT int SDKCMGetProfileHeader(const uint32_t *profile, uint8_t *header) noexcept {
    if (profile == nullptr || header == nullptr) {
        return TZCM_E_ARGUMENT;
    }
    const auto found = registry().profiles.find(*profile);
    if (!found) {
        return TZCM_E_UNKNOWN_HANDLE;
    }
    header_to_host_order(found->raw_header.data(), header);
    return TZCM_OK;
}

TZCM_EXPORT int SDKCMCloseProfile(uint32_t *profile) noexcept {
    if (profile == nullptr) {
        return TZCM_E_ARGUMENT;
    }
    if (!registry().profiles.erase(*profile)) {
        return TZCM_E_UNKNOWN_HANDLE;
    }
    *profile = 0;
    return TZCM_OK;
}

TZCM_EXPORT uint32_t SDKCMCreateColorWorld(int intent, const uint32_t *src, int reserved,
                                           const uint32_t *dst, const uint8_t *tables) noexcept {
    if (src == nullptr || dst == nullptr || reserved != 0) {
        return 0;
    }
    Registry &reg = registry();
    const auto source = reg.profiles.find(*src);
    const auto destination = reg.profiles.find(*dst);
    if (!source || !destination) {
        return 0;
    }
    std::shared_ptr<ColorWorld> world;
    try {
        std::lock_guard lock(reg.profile_use);
        world = build_color_world(intent, source->handle.get(), destination->handle.get(), tables);
    } catch (...) { // the lock could not be taken
        return 0;
    }
    return world ? reg.worlds.insert(std::move(world)) : 0;
}

TZCM_EXPORT int SDKCMDisposeColorWorld(uint32_t world) noexcept {
    return registry().worlds.erase(world) ? TZCM_OK : TZCM_E_UNKNOWN_HANDLE;
}

TZCM_EXPORT int SDKCMGetNumsOfInPixComp(uint32_t world) noexcept {
    const auto found = registry().worlds.find(world);
    return found ? found->in_channels : 0;
}

TZCM_EXPORT int SDKCMGetNumsOfOutPixComp(uint32_t world) noexcept {
    const auto found = registry().worlds.find(world);
    return found ? found->out_channels : 0;
}

TZCM_EXPORT int SDKCMMatchPixelMap(uint32_t world, const tzcm_pixmap *src,
                                   tzcm_pixmap *dst) noexcept {
    const auto found = registry().worlds.find(world);
    if (!found) {
        return TZCM_E_UNKNOWN_HANDLE;
    }
    return match_pixel_map(*found, src, dst);
}

// Present so that every name a caller resolves exists; not implemented.
TZCM_EXPORT int SDKCMCreatLUT(void) noexcept { return TZCM_E_UNSUPPORTED; }
TZCM_EXPORT int SDKCMMatchPlaneMap(void) noexcept { return TZCM_E_UNSUPPORTED; }
TZCM_EXPORT int SDKCMConvertColorWorldToIPB(void) noexcept { return TZCM_E_UNSUPPORTED; }
TZCM_EXPORT int SDKCMGetPartialProfileElement(void) noexcept { return TZCM_E_UNSUPPORTED; }

#include "fake_color.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/export.h"

#define FAKE_EXPORT TZ_EXPORT

namespace {

struct Pixmap {
    int32_t width, lines, components, bytes_per_row;
    void* data;
};

struct State {
    std::mutex lock;
    std::string log;
    std::map<uint32_t, std::string> profiles;  // reference -> file name
    uint32_t next_profile = 1;
    uint32_t next_world = 100;
    std::map<uint32_t, std::string> worlds;  // handle -> table block
    uint8_t last_block[1280] = {};
};

State& state() {
    static State s;
    return s;
}

std::string file_name(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool starts(const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; }

}  // namespace

FAKE_EXPORT void FakeColor_Reset(void) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.log.clear();
    s.profiles.clear();
    s.worlds.clear();
    s.next_profile = 1;
    std::memset(s.last_block, 0, sizeof s.last_block);
}

FAKE_EXPORT const char* FakeColor_Log(void) { return state().log.c_str(); }
FAKE_EXPORT const uint8_t* FakeColor_TableBlock(void) { return state().last_block; }

FAKE_EXPORT int SDKCMOpenProfile(const char* path, uint32_t* profile) {
    State& s = state();
    std::lock_guard guard(s.lock);
    const std::string name = file_name(path);
    s.log += "open " + name + "\n";
    if (starts(name, "missing")) return -1;
    *profile = s.next_profile++;
    s.profiles[*profile] = name;
    return 0;
}

FAKE_EXPORT int SDKCMGetProfileHeader(const uint32_t* profile, uint8_t* header) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.log += "header " + std::to_string(*profile) + "\n";
    std::memset(header, 0, 128);
    const uint32_t space = starts(s.profiles[*profile], "cmyk") ? 0x434D594B : 0x52474220;
    std::memcpy(header + 16, &space, sizeof space);
    return 0;
}

FAKE_EXPORT int SDKCMCloseProfile(uint32_t* profile) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.log += "close " + std::to_string(*profile) + "\n";
    s.profiles.erase(*profile);
    return 0;
}

FAKE_EXPORT uint32_t SDKCMCreateColorWorld(int intent, const uint32_t* source, int, const uint32_t* destination,
                                           const uint8_t* tables) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.log += "create " + std::to_string(intent) + " " + std::to_string(*source) + " " +
             std::to_string(*destination) + "\n";
    std::memcpy(s.last_block, tables, sizeof s.last_block);
    if (starts(s.profiles[*source], "noworld") || starts(s.profiles[*destination], "noworld")) return 0;
    const uint32_t world = s.next_world++;
    s.worlds[world] = std::string(reinterpret_cast<const char*>(tables), sizeof s.last_block);
    return world;
}

FAKE_EXPORT int SDKCMDisposeColorWorld(uint32_t world) {
    State& s = state();
    std::lock_guard guard(s.lock);
    s.log += "dispose " + std::to_string(world) + "\n";
    s.worlds.erase(world);
    return 0;
}

FAKE_EXPORT int SDKCMGetNumsOfInPixComp(uint32_t) { return 3; }
FAKE_EXPORT int SDKCMGetNumsOfOutPixComp(uint32_t) { return 3; }

FAKE_EXPORT int SDKCMMatchPixelMap(uint32_t world, const void* source, void*) {
    State& s = state();
    std::lock_guard guard(s.lock);
    const Pixmap& map = *static_cast<const Pixmap*>(source);
    s.log += "match " + std::to_string(world) + " " + std::to_string(map.width) + " " + std::to_string(map.lines) +
             "\n";
    auto found = s.worlds.find(world);
    if (found == s.worlds.end()) return -1;
    const auto* block = reinterpret_cast<const uint8_t*>(found->second.data());
    auto* bytes = static_cast<uint8_t*>(map.data);
    for (int32_t i = 0; i < map.lines * map.bytes_per_row; ++i)
        bytes[i] = block[(1 + i % 3) * 256 + (255 - bytes[i])];
    return 0;
}

FAKE_EXPORT int SDKCMCreatLUT(void) { return -1; }
FAKE_EXPORT int SDKCMMatchPlaneMap(void) { return -1; }
FAKE_EXPORT int SDKCMConvertColorWorldToIPB(void) { return -1; }
FAKE_EXPORT int SDKCMGetPartialProfileElement(void) { return -1; }

// The process-wide tables of open profiles and colour worlds.
#pragma once

#include "color_world.h"
#include "handle_table.h"
#include "profile.h"

#include <mutex>

namespace tzcm {

struct Registry {
    Registry() noexcept;

    HandleTable<Profile> profiles;
    HandleTable<ColorWorld> worlds;
    // Held while a world is built from profiles, so that no two threads read
    // the same LittleCMS profile object at once.
    std::mutex profile_use;
};

Registry &registry() noexcept;

} // namespace tzcm

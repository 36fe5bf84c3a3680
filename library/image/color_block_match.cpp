#include "color_block_match.h"

#include <mutex>

namespace tz::lib {

bool match_block(const ColorApi& api, uint32_t world, uint8_t* block, int32_t width, int32_t lines, int channels) {
    if (world == 0 || api.MatchPixelMap == nullptr || block == nullptr || width <= 0 || lines <= 0) return false;
    std::lock_guard guard(color_lock());
    const int in = api.GetNumsOfInPixComp(world);
    const int out = api.GetNumsOfOutPixComp(world);
    if (in != channels || out != channels) return false;
    ColorPixmap source{width, lines, in, width * in, block};
    ColorPixmap target{width, lines, out, width * out, block};
    return api.MatchPixelMap(world, &source, &target) == 0;
}

}  // namespace tz::lib

// Matching one block of pixels in place through the colour world of the
// colour-matching library, and the seam through which the write path asks
// for it.
#pragma once

#include <cstdint>

#include "color_binding.h"

namespace tz::lib {

// What the write path needs of colour matching.
class BlockMatcher {
public:
    // A colour library is loaded and a colour world exists.
    virtual bool ready() const = 0;
    // Matches `lines` lines of `width` pixels of `channels` bytes in place;
    // false when nothing was matched or the library reported a failure.
    virtual bool match(uint8_t* block, int32_t width, int32_t lines, int channels) = 0;

protected:
    ~BlockMatcher() = default;
};

// Under the colour lock: asks the world's component counts and matches the
// block in place. A world whose counts differ from `channels` would read or
// write past the block, so it is not called and the block stays as it is.
bool match_block(const ColorApi& api, uint32_t world, uint8_t* block, int32_t width, int32_t lines, int channels);

// The context's binding, with whatever world it holds when a block passes.
class BindingMatcher final : public BlockMatcher {
public:
    explicit BindingMatcher(ColorBinding& binding) : binding_(binding) {}
    bool ready() const override { return binding_.loaded() && binding_.world() != 0; }
    bool match(uint8_t* block, int32_t width, int32_t lines, int channels) override {
        return ready() && match_block(binding_.api(), binding_.world(), block, width, lines, channels);
    }

private:
    ColorBinding& binding_;
};

}  // namespace tz::lib

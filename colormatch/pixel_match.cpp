#include "pixel_match.h"

#include <cstddef>
#include <cstdint>

namespace tzcm {
namespace {

// Bytes one block spans, from the first pixel to the last one's end.
std::int64_t block_span(const tzcm_pixmap &map) {
    return std::int64_t{map.lines - 1} * map.bytes_per_row +
           std::int64_t{map.width} * map.components;
}

bool span_fits(const tzcm_pixmap &map) {
    const auto begin = reinterpret_cast<std::uintptr_t>(map.data);
    const auto span = static_cast<std::uint64_t>(block_span(map));
    return span <= UINTPTR_MAX - begin;
}

int validate(const ColorWorld &world, const tzcm_pixmap *src, const tzcm_pixmap *dst) {
    if (src == nullptr || dst == nullptr || src->data == nullptr || dst->data == nullptr) {
        return TZCM_E_ARGUMENT;
    }
    if (src->width <= 0 || src->lines <= 0 || dst->width != src->width ||
        dst->lines != src->lines) {
        return TZCM_E_ARGUMENT;
    }
    if (src->components != world.in_channels || dst->components != world.out_channels) {
        return TZCM_E_MISMATCH;
    }
    if (src->bytes_per_row < std::int64_t{src->width} * src->components ||
        dst->bytes_per_row < std::int64_t{dst->width} * dst->components) {
        return TZCM_E_ARGUMENT;
    }
    if (!span_fits(*src) || !span_fits(*dst)) {
        return TZCM_E_ARGUMENT;
    }
    const auto src_begin = reinterpret_cast<std::uintptr_t>(src->data);
    const auto dst_begin = reinterpret_cast<std::uintptr_t>(dst->data);
    const auto src_end = src_begin + static_cast<std::uintptr_t>(block_span(*src));
    const auto dst_end = dst_begin + static_cast<std::uintptr_t>(block_span(*dst));
    const bool overlap = src_begin < dst_end && dst_begin < src_end;
    const bool in_place = src_begin == dst_begin && dst->components <= src->components &&
                          dst->bytes_per_row <= src->bytes_per_row;
    if (overlap && !in_place) {
        return TZCM_E_ARGUMENT;
    }
    return TZCM_OK;
}

// Input curves and ICC transform through a stack buffer, a run of pixels at a
// time. Reading a run completely before writing its output keeps this safe in
// place.
void match_through_input_curves(const ColorWorld &world, const tzcm_pixmap &src,
                                tzcm_pixmap &dst) {
    std::uint8_t scratch[8192];
    const int run = static_cast<int>(sizeof scratch) / world.in_channels;
    const auto *src_row = static_cast<const std::uint8_t *>(src.data);
    auto *dst_row = static_cast<std::uint8_t *>(dst.data);
    for (int y = 0; y < src.lines; ++y) {
        for (int x = 0; x < src.width; x += run) {
            const int n = src.width - x < run ? src.width - x : run;
            cmsDoTransform(world.input_curves.get(),
                           src_row + std::size_t(x) * world.in_channels, scratch,
                           static_cast<cmsUInt32Number>(n));
            cmsDoTransform(world.icc.get(), scratch,
                           dst_row + std::size_t(x) * world.out_channels,
                           static_cast<cmsUInt32Number>(n));
        }
        src_row += src.bytes_per_row;
        dst_row += dst.bytes_per_row;
    }
}

} // namespace

int match_pixel_map(const ColorWorld &world, const tzcm_pixmap *src, tzcm_pixmap *dst) noexcept {
    const int checked = validate(world, src, dst);
    if (checked != TZCM_OK) {
        return checked;
    }
    const auto width = static_cast<cmsUInt32Number>(src->width);
    const auto lines = static_cast<cmsUInt32Number>(src->lines);
    const auto src_stride = static_cast<cmsUInt32Number>(src->bytes_per_row);
    const auto dst_stride = static_cast<cmsUInt32Number>(dst->bytes_per_row);
    if (world.input_curves) {
        match_through_input_curves(world, *src, *dst);
    } else {
        cmsDoTransformLineStride(world.icc.get(), src->data, dst->data, width, lines, src_stride,
                                 dst_stride, 0, 0);
    }
    if (world.output_curves) {
        cmsDoTransformLineStride(world.output_curves.get(), dst->data, dst->data, width, lines,
                                 dst_stride, dst_stride, 0, 0);
    }
    return TZCM_OK;
}

} // namespace tzcm

#include "image_converter.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace tz::lib {

namespace {
constexpr uint16_t kSwappedFormat = 4;
}  // namespace

bool ImageConverter::allocate() {
    if (!work_) work_.reset(new (std::nothrow) uint8_t[kWorkBufferSize]);
    if (!staging_) staging_.reset(new (std::nothrow) uint8_t[kStagingSize]);
    if (!partial_) partial_.reset(new (std::nothrow) uint8_t[kMaxLineBytes]);
    return work_ && staging_ && partial_ && window_.allocate();
}

void ImageConverter::start_page() {
    mode_ = ConversionMode::Plain;
    output_active_ = !tables_.output.is_identity();
    if (output_active_) mode_ = ConversionMode::OutputLookup;
    if (matcher_.ready()) mode_ = ConversionMode::ColorMatch;
    if (kernel_.enabled && image_.width <= LineSharpener::kMaxWidth) mode_ = ConversionMode::Sharpen;
    input_active_ = !tables_.input.is_identity();
    plan_ = make_sharpen_plan(kernel_);
    partial_bytes_ = 0;
}

bool ImageConverter::write(const uint8_t* data, uint32_t count, uint32_t& taken) {
    taken = 0;
    const uint32_t line = line_bytes();
    if (line == 0 || line > kMaxLineBytes) return false;
    if (image_.lines_processed == 0) {
        image_.bytes_expected = uint32_t{image_.width} * image_.height * image_.channels;
    }
    // A line begun by an earlier call is completed first and converted alone.
    uint32_t at = 0;
    if (partial_bytes_ > 0) {
        at = std::min(line - partial_bytes_, count);
        std::memcpy(partial_.get() + partial_bytes_, data, at);
        partial_bytes_ += at;
        if (partial_bytes_ < line) {
            taken = count;
            return true;
        }
        uint32_t done = 0;
        if (!convert_lines(partial_.get(), line, done)) return false;
        partial_bytes_ = 0;
    }
    const uint32_t whole = (count - at) / line * line;
    uint32_t done = 0;
    const bool ok = convert_lines(data + at, whole, done);
    taken = at + done;
    if (!ok) return false;
    // The start of a line the next call completes.
    partial_bytes_ = count - at - whole;
    std::memcpy(partial_.get(), data + at + whole, partial_bytes_);
    taken = count;
    return true;
}

bool ImageConverter::convert_lines(const uint8_t* data, uint32_t count, uint32_t& taken) {
    const uint32_t line = line_bytes();
    const uint32_t chunk_lines = static_cast<uint32_t>(kWorkBufferSize) / line;
    const uint32_t pixels_per_line = image_.width;
    for (uint32_t done = 0; done < count;) {
        const uint32_t bytes = std::min(count - done, chunk_lines * line);
        bool swap = image_.format == kSwappedFormat;
        if (input_active_) {
            apply_tables(tables_.input, data + done, work_.get(), size_t{bytes / line} * pixels_per_line,
                         image_.channels, swap);
            swap = false;
        } else {
            std::memcpy(work_.get(), data + done, bytes);
        }
        if (!stage(work_.get(), bytes, swap)) return false;
        done += bytes;
        taken = done;
    }
    return true;
}

bool ImageConverter::stage(uint8_t* chunk, uint32_t bytes, bool swap) {
    switch (mode_) {
        case ConversionMode::Sharpen: return sharpen(chunk, bytes, swap);
        case ConversionMode::ColorMatch: return color_match(chunk, bytes, swap);
        case ConversionMode::OutputLookup: return output_lookup(chunk, bytes, swap);
        case ConversionMode::Plain: break;
    }
    return plain(chunk, bytes, swap);
}

bool ImageConverter::plain(uint8_t* chunk, uint32_t bytes, bool swap) {
    const uint32_t line = line_bytes();
    if (swap && image_.channels == 3) swap_outer_channels(chunk, bytes / 3);
    if (line != 0) image_.lines_processed += bytes / line;
    return stream_.put(chunk, bytes);
}

bool ImageConverter::output_lookup(uint8_t* chunk, uint32_t bytes, bool swap) {
    if (image_.channels != 0) apply_tables(tables_.output, chunk, chunk, bytes / image_.channels, image_.channels, swap);
    return stream_.put(chunk, bytes);
}

bool ImageConverter::color_match(uint8_t* chunk, uint32_t bytes, bool swap) {
    const uint32_t line = line_bytes();
    if (swap && image_.channels == 3) swap_outer_channels(chunk, bytes / 3);
    if (line != 0 && bytes >= line) {
        matcher_.match(chunk, image_.width, static_cast<int32_t>(bytes / line), image_.channels);  // outcome ignored
    }
    return stream_.put(chunk, bytes);
}

bool ImageConverter::hand_off(uint8_t* block, uint32_t bytes) {
    if (matcher_.ready()) return color_match(block, bytes, false);
    if (output_active_) return output_lookup(block, bytes, false);
    return stream_.put(block, bytes);
}

bool ImageConverter::sharpen(const uint8_t* chunk, uint32_t bytes, bool swap) {
    const size_t width = image_.width;
    const int channels = image_.channels;
    if (width == 0 || width > LineSharpener::kMaxWidth || (channels != 1 && channels != 3 && channels != 4)) {
        return false;
    }
    const bool reorder = swap && (channels == 3 || channels == 4);
    const uint32_t line = line_bytes();
    const uint32_t lines = bytes / line;
    if (lines == 0) return true;
    uint32_t processed = image_.lines_processed;
    if (processed == 0) window_.clear();

    uint32_t staged = 0;
    uint32_t index = 0;
    bool extra = false;  // the pass after the page's last line, against white below
    for (;;) {
        window_.advance(extra ? nullptr : chunk + size_t{index} * line, width, channels, reorder);
        const bool last_line_read = !extra && processed + 1 == image_.height;
        const bool more = last_line_read || (!extra && index + 1 < lines);
        if (processed >= 1) {
            window_.compute(plan_, width, channels, staging_.get() + staged);
            staged += line;
            if (staged + line > kStagingSize || (!more && staged > 0)) {
                if (!hand_off(staging_.get(), staged)) {
                    image_.lines_processed = processed;
                    return false;
                }
                staged = 0;
            }
        }
        ++processed;
        if (!more) break;
        if (last_line_read) {
            extra = true;
        } else {
            ++index;
        }
    }
    image_.lines_processed = processed;
    return true;
}

}  // namespace tz::lib

// The conversion of a page's pixel lines on their way to the printer: the
// input tables and channel order, then one of four modes chosen at page
// start (sharpening, colour matching, output tables, or nothing), handed on
// in blocks to the page's byte stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channel_tables.h"
#include "color_block_match.h"
#include "mtf_kernel.h"
#include "page_image.h"
#include "sharpen.h"

namespace tz::lib {

// Where converted bytes go: the page's transfer stream. Takes any count.
class PixelSink {
public:
    virtual bool put(const uint8_t* bytes, uint32_t count) = 0;

protected:
    ~PixelSink() = default;
};

enum class ConversionMode : uint8_t { Plain = 0, Sharpen = 1, ColorMatch = 2, OutputLookup = 3 };

class ImageConverter {
public:
    static constexpr size_t kWorkBufferSize = 131072;
    static constexpr size_t kStagingSize = 81960;  // five longest lines
    // The longest line every buffer is sized for: 4096 pixels of 4 bytes.
    static constexpr uint32_t kMaxLineBytes = LineSharpener::kMaxWidth * LineSharpener::kMaxChannels;

    // All references must outlive the converter. `image` describes the page
    // and carries its counters (lines processed, bytes
    // expected).
    ImageConverter(PageImage& image, const ConversionTables& tables, const MtfKernel& kernel,
                   BlockMatcher& matcher, PixelSink& stream)
        : image_(image), tables_(tables), kernel_(kernel), matcher_(matcher), stream_(stream) {}
    ImageConverter(const ImageConverter&) = delete;
    ImageConverter& operator=(const ImageConverter&) = delete;

    // Sizes every buffer once (work buffer, three line buffers, staging);
    // false when memory is short. Nothing allocates after this.
    bool allocate();

    // Page start, after the page counters were reset: chooses the mode
    // (Sharpen over ColorMatch over OutputLookup over Plain) and both table
    // flags, and takes the kernel for the page.
    void start_page();

    // The caller's bytes for the open page, of any count. Whole lines (of
    // width x channels bytes) are converted in chunks that fit the work
    // buffer; a line split across calls is held until it is complete and
    // then converted like any other. `taken` is the count of bytes handled
    // (held bytes included). False on a stream failure, on an invalid image
    // for sharpening, or when there is no usable line size (no image
    // described, or lines longer than the buffers are sized for).
    bool write(const uint8_t* data, uint32_t count, uint32_t& taken);

    // One chunk of whole lines in the work buffer, through the stage of the
    // page's mode; `swap` asks for bytes 0 and 2 of each pixel exchanged.
    bool stage(uint8_t* chunk, uint32_t bytes, bool swap);

    ConversionMode mode() const { return mode_; }
    bool input_tables_active() const { return input_active_; }
    bool output_tables_active() const { return output_active_; }

private:
    uint32_t line_bytes() const { return uint32_t{image_.width} * image_.channels; }
    // `count` bytes of whole lines through the input tables and the stage.
    bool convert_lines(const uint8_t* data, uint32_t count, uint32_t& taken);
    bool plain(uint8_t* chunk, uint32_t bytes, bool swap);
    bool output_lookup(uint8_t* chunk, uint32_t bytes, bool swap);
    bool color_match(uint8_t* chunk, uint32_t bytes, bool swap);
    bool sharpen(const uint8_t* chunk, uint32_t bytes, bool swap);
    // Sharpened lines go on to colour matching, the output tables or the
    // stream, whichever applies when they pass.
    bool hand_off(uint8_t* block, uint32_t bytes);

    PageImage& image_;
    const ConversionTables& tables_;
    const MtfKernel& kernel_;
    BlockMatcher& matcher_;
    PixelSink& stream_;

    ConversionMode mode_ = ConversionMode::Plain;
    bool input_active_ = false;
    bool output_active_ = false;
    SharpenPlan plan_;
    std::unique_ptr<uint8_t[]> work_;
    std::unique_ptr<uint8_t[]> staging_;
    std::unique_ptr<uint8_t[]> partial_;  // the start of a line split across calls
    uint32_t partial_bytes_ = 0;
    LineSharpener window_;
};

}  // namespace tz::lib

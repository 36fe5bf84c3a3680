#include "photo_stream.h"

#include <vips/vips8>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "photo_pipeline.h"

namespace tz::ctl {

namespace {

// Bands of 64 lines, four of them: about 1.9 MB for the widest page, while
// the first band is ready a few milliseconds after the decoding begins.
constexpr int kBandLines = 64;
constexpr size_t kBands = 4;
// No band takes longer than this to decode, however slow the file.
constexpr auto kDecodeLimit = std::chrono::seconds(60);
// Nor does the page wait longer than this before it takes the next band.
constexpr auto kTakeLimit = std::chrono::minutes(5);
// The whole photo goes out in pieces of about this size.
constexpr size_t kWholeChunkBytes = 1 << 20;

void exchange_outer_channels(uint8_t* pixels, size_t size) {
    for (size_t p = 0; p + 2 < size; p += 3) std::swap(pixels[p], pixels[p + 2]);
}

}  // namespace

class PhotoStream::Source {
public:
    virtual ~Source() = default;
    virtual std::span<const uint8_t> next() = 0;
    int width = 0;
    int height = 0;
};

namespace {

class WholePhoto : public PhotoStream::Source {
public:
    WholePhoto(const std::string& path, int area_width, int area_height, Placement placement, bool bgr)
        : photo_(load_photo(path, area_width, area_height, placement)) {
        width = photo_.width;
        height = photo_.height;
        if (bgr) exchange_outer_channels(photo_.pixels.data(), photo_.pixels.size());
        const size_t line = size_t(width) * 3;
        chunk_ = std::max<size_t>(1, kWholeChunkBytes / line) * line;
    }

    std::span<const uint8_t> next() override {
        const size_t size = std::min(chunk_, photo_.pixels.size() - at_);
        std::span<const uint8_t> piece(photo_.pixels.data() + at_, size);
        at_ += size;
        return piece;
    }

private:
    RgbImage photo_;
    size_t chunk_ = 0;
    size_t at_ = 0;
};

// libvips computes the lines in order (vips_sink_disc: its worker threads
// compute the lines after the ones it hands over), and they are copied into
// a ring of kBands bands that the caller takes in the same order. A band's
// buffer is filled again only once the caller has asked for the band after
// the one it held.
class StreamedPhoto : public PhotoStream::Source {
public:
    StreamedPhoto(const std::string& path, int area_width, int area_height, Placement placement, bool bgr)
        : path_(path), image_(photo_pipeline(path, area_width, area_height, placement, true)), bgr_(bgr) {
        width = image_.width();
        height = image_.height();
        line_ = size_t(width) * 3;
        band_count_ = (size_t(height) + kBandLines - 1) / kBandLines;
        for (std::vector<uint8_t>& band : bands_) band.resize(line_ * kBandLines);
        thread_ = std::thread([this] { produce(); });
    }

    ~StreamedPhoto() override {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    std::span<const uint8_t> next() override {
        std::unique_lock lock(mutex_);
        if (holding_) {
            holding_ = false;
            ++taken_;
            changed_.notify_all();
        }
        if (!changed_.wait_for(lock, kDecodeLimit,
                               [this] { return made_ > taken_ || !error_.empty() || taken_ == band_count_; }))
            throw std::runtime_error(path_ + ": no lines decoded in " + std::to_string(kDecodeLimit.count()) + " s");
        if (made_ > taken_) {
            holding_ = true;
            const size_t lines = std::min<size_t>(kBandLines, size_t(height) - taken_ * kBandLines);
            return {bands_[taken_ % kBands].data(), lines * line_};
        }
        if (!error_.empty()) throw std::runtime_error(error_);
        return {};
    }

private:
    void produce() {
        if (vips_sink_disc(image_.get_image(), take_lines, this) == 0) return;
        const std::string why = vips_message();
        std::lock_guard lock(mutex_);
        if (!stop_ && error_.empty()) error_ = path_ + ": " + (why.empty() ? "cannot be decoded" : why);
        changed_.notify_all();
    }

    static int take_lines(VipsRegion* region, VipsRect* area, void* self) {
        return static_cast<StreamedPhoto*>(self)->take(region, *area) ? 0 : -1;
    }

    // Copies the lines of `area` into the ring; false when asked to stop.
    bool take(VipsRegion* region, const VipsRect& area) {
        for (int y = area.top; y < area.top + area.height; ++y) {
            if (filled_ == 0 && !wait_for_buffer(making_)) return false;
            uint8_t* band = bands_[making_ % kBands].data();
            std::memcpy(band + filled_ * line_, VIPS_REGION_ADDR(region, 0, y), line_);
            if (++filled_ < size_t(kBandLines) && y + 1 < height) continue;
            if (bgr_) exchange_outer_channels(band, filled_ * line_);
            filled_ = 0;
            ++making_;
            std::lock_guard lock(mutex_);
            made_ = making_;
            changed_.notify_all();
        }
        return true;
    }

    // false when asked to stop, or when the band's buffer was not given back in time.
    bool wait_for_buffer(size_t band) {
        std::unique_lock lock(mutex_);
        const bool free = changed_.wait_for(lock, kTakeLimit, [&] { return stop_ || band - taken_ < kBands; });
        if (stop_) return false;
        if (!free) {
            error_ = path_ + ": decoding given up, the page took no lines for " + std::to_string(kTakeLimit.count()) +
                     " minutes";
            changed_.notify_all();
        }
        return free;
    }

    const std::string path_;
    vips::VImage image_;
    const bool bgr_;
    size_t line_ = 0;
    size_t band_count_ = 0;
    std::array<std::vector<uint8_t>, kBands> bands_;

    std::mutex mutex_;
    std::condition_variable changed_;
    size_t making_ = 0;   // the band being filled (libvips' thread only)
    size_t filled_ = 0;   // its lines filled so far
    size_t made_ = 0;     // bands complete
    size_t taken_ = 0;    // bands the caller is done with
    bool holding_ = false;  // the caller holds band `taken_`
    bool stop_ = false;
    std::string error_;   // why no more bands come
    std::thread thread_;  // last: started once everything above is set
};

}  // namespace

PhotoStream::PhotoStream(const std::string& path, int width, int height, Placement placement, bool bgr,
                         Decoding decoding) {
    if (decoding == Decoding::WholeFirst)
        source_ = std::make_unique<WholePhoto>(path, width, height, placement, bgr);
    else
        source_ = std::make_unique<StreamedPhoto>(path, width, height, placement, bgr);
}

PhotoStream::~PhotoStream() = default;

int PhotoStream::width() const { return source_->width; }
int PhotoStream::height() const { return source_->height; }
std::span<const uint8_t> PhotoStream::next() { return source_->next(); }

}  // namespace tz::ctl

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

// The ring between libvips and the page: strips of 16 lines, 24 of them
// (2.8 MB for a page 2464 pixels wide, some 85 ms of it at USB speed).
constexpr int kStripLines = 16;
constexpr size_t kStrips = 24;
// No strip takes longer than this to decode, however slow the file.
constexpr auto kDecodeLimit = std::chrono::seconds(60);
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

// libvips' worker threads compute the photo in strips of kStripLines lines,
// handed out top to bottom, into a ring of kStrips strips; the caller takes
// the strips in the same order as soon as they are complete. The ring lets
// the decoding run ahead of the page, which makes up for moments when the
// decoding gets no processor. A strip's place in the ring is handed out
// again only once the caller is done with the strip before it there.
class StreamedPhoto : public PhotoStream::Source {
public:
    StreamedPhoto(const std::string& path, int area_width, int area_height, Placement placement, bool bgr,
                  std::chrono::steady_clock::duration patience)
        : path_(path),
          image_(photo_pipeline(path, area_width, area_height, placement, true)),
          bgr_(bgr),
          patience_(patience) {
        width = image_.width();
        height = image_.height();
        line_ = size_t(width) * 3;
        strip_count_ = (size_t(height) + kStripLines - 1) / kStripLines;
        ring_.resize(kStrips * kStripLines * line_);
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
        if (held_ != 0) {
            taken_ += std::exchange(held_, 0);
            changed_.notify_all();
        }
        if (!changed_.wait_for(lock, kDecodeLimit, [this] { return made_ > taken_ || ended_; }))
            throw std::runtime_error(path_ + ": no lines decoded in " + std::to_string(kDecodeLimit.count()) + " s");
        if (made_ == taken_) {
            if (!error_.empty()) throw std::runtime_error(error_);
            return {};
        }
        // The strips complete so far, up to the ring's end.
        const size_t place = taken_ % kStrips;
        held_ = std::min(made_ - taken_, kStrips - place);
        const size_t first_line = taken_ * kStripLines;
        const size_t lines = std::min((taken_ + held_) * kStripLines, size_t(height)) - first_line;
        return {ring_.data() + place * kStripLines * line_, lines * line_};
    }

private:
    void produce() {
        const bool whole = vips_threadpool_run(image_.get_image(), vips_thread_state_new, allocate, work, progress,
                                               this) == 0;
        const std::string why = whole ? std::string() : vips_message();
        std::lock_guard lock(mutex_);
        if (!whole && !stop_ && error_.empty()) error_ = path_ + ": " + (why.empty() ? "cannot be decoded" : why);
        ended_ = true;
        changed_.notify_all();
    }

    // Gives a worker the next strip once its place in the ring is free (one
    // worker at a time); `stop` set after the last one.
    static int allocate(VipsThreadState* state, void* self, gboolean* stop) {
        auto& photo = *static_cast<StreamedPhoto*>(self);
        std::unique_lock lock(photo.mutex_);
        if (photo.allocated_ == photo.strip_count_) {
            *stop = TRUE;
            return 0;
        }
        if (!photo.changed_.wait_for(lock, photo.patience_,
                                     [&] { return photo.stop_ || photo.allocated_ - photo.taken_ < kStrips; })) {
            photo.error_ = photo.path_ + ": decoding given up, the page took no lines for " +
                           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(photo.patience_).count()) +
                           " s";
            return -1;
        }
        if (photo.stop_) return -1;
        const int top = static_cast<int>(photo.allocated_++) * kStripLines;
        state->pos = {0, top, photo.width, std::min(kStripLines, photo.height - top)};
        return 0;
    }

    // Computes the strip into its place in the ring.
    static int work(VipsThreadState* state, void* self) {
        auto& photo = *static_cast<StreamedPhoto*>(self);
        if (vips_region_prepare(state->reg, &state->pos) != 0) return -1;
        const size_t strip = size_t(state->pos.top) / kStripLines, line = photo.line_;
        uint8_t* out = photo.ring_.data() + (strip % kStrips) * kStripLines * line;
        for (int y = 0; y < state->pos.height; ++y)
            std::memcpy(out + size_t(y) * line, VIPS_REGION_ADDR(state->reg, 0, state->pos.top + y), line);
        if (photo.bgr_) exchange_outer_channels(out, size_t(state->pos.height) * line);
        std::lock_guard lock(photo.mutex_);
        photo.complete_[strip % kStrips] = true;
        // The strips complete in a row from the top are the caller's.
        while (photo.made_ < photo.allocated_ && photo.complete_[photo.made_ % kStrips]) {
            photo.complete_[photo.made_ % kStrips] = false;
            ++photo.made_;
        }
        photo.changed_.notify_all();
        return 0;
    }

    // Run between strips: ends the computation early when asked to stop.
    static int progress(void* self) {
        auto& photo = *static_cast<StreamedPhoto*>(self);
        std::lock_guard lock(photo.mutex_);
        return photo.stop_ ? -1 : 0;
    }

    const std::string path_;
    vips::VImage image_;
    const bool bgr_;
    const std::chrono::steady_clock::duration patience_;
    size_t line_ = 0;
    size_t strip_count_ = 0;
    std::vector<uint8_t> ring_;  // kStrips strips of kStripLines lines

    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<bool, kStrips> complete_{};  // by place in the ring: computed, not yet counted in made_
    size_t allocated_ = 0;  // strips handed to workers
    size_t made_ = 0;       // strips complete from the top
    size_t taken_ = 0;      // strips the caller is done with
    size_t held_ = 0;       // strips the caller holds, from taken_ on
    bool ended_ = false;    // libvips has ended, at the last line or on a failure
    bool stop_ = false;
    std::string error_;   // why the lines end early
    std::thread thread_;  // last: started once everything above is set
};

}  // namespace

PhotoStream::PhotoStream(const std::string& path, int width, int height, Placement placement, bool bgr,
                         Decoding decoding, std::chrono::steady_clock::duration patience) {
    if (decoding == Decoding::WholeFirst)
        source_ = std::make_unique<WholePhoto>(path, width, height, placement, bgr);
    else
        source_ = std::make_unique<StreamedPhoto>(path, width, height, placement, bgr, patience);
}

PhotoStream::~PhotoStream() = default;

int PhotoStream::width() const { return source_->width; }
int PhotoStream::height() const { return source_->height; }
std::span<const uint8_t> PhotoStream::next() { return source_->next(); }

}  // namespace tz::ctl

// A photo made ready for the print area (see load_photo) and handed out in
// bands of whole lines, top first, as a page wants its data.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "photo_loader.h"

namespace tz::ctl {

class PhotoStream {
public:
    enum class Decoding {
        // libvips' worker threads decode the lines after those handed out,
        // so that the page goes out while the photo is being read.
        Streamed,
        // The whole photo is decoded before the constructor returns (the
        // way of earlier versions, kept for comparison).
        WholeFirst,
    };

    // Opens the photo; Streamed starts decoding at once, and gives up when
    // the caller has asked for no lines for `patience`. `bgr`: the outer
    // channels of every pixel exchanged. Throws std::runtime_error naming
    // the file.
    PhotoStream(const std::string& path, int width, int height, Placement placement, bool bgr, Decoding decoding,
                std::chrono::steady_clock::duration patience);
    // Stops the decoding and waits for its thread.
    ~PhotoStream();
    PhotoStream(const PhotoStream&) = delete;
    PhotoStream& operator=(const PhotoStream&) = delete;

    int width() const;
    int height() const;

    // The next band of whole lines, valid until the next call; empty after
    // the last line. Throws std::runtime_error naming the file when the
    // photo cannot be decoded further (the bands before were whole).
    std::span<const uint8_t> next();

    class Source;

private:
    std::unique_ptr<Source> source_;
};

}  // namespace tz::ctl

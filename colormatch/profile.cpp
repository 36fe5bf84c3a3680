#include "profile.h"

#include "colormatch/tzcm.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace tzcm {
namespace {

struct FileCloser {
    void operator()(std::FILE *f) const noexcept { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Whole file into `bytes`; false if it cannot be read or exceeds the limit.
bool read_file(const char *path, std::vector<std::uint8_t> &bytes) {
    FilePtr file(std::fopen(path, "rb"));
    if (!file) {
        return false;
    }
    std::uint8_t chunk[64 * 1024];
    for (;;) {
        std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got > 0) {
            if (bytes.size() + got > kMaxProfileSize) {
                return false;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        if (got < sizeof chunk) {
            return std::ferror(file.get()) == 0;
        }
    }
}

std::uint32_t big_endian_u32(const std::uint8_t *p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
           (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
}

} // namespace

ProfileLoad load_profile(const char *path) noexcept {
    ProfileLoad out;
    if (path == nullptr || *path == '\0') {
        out.result = TZCM_E_ARGUMENT;
        return out;
    }
    try {
        std::vector<std::uint8_t> bytes;
        if (!read_file(path, bytes)) {
            out.result = TZCM_E_FILE;
            return out;
        }
        // The declared size (bytes 0..3) must be covered by the file, so a
        // truncated copy is refused even where LittleCMS would open what is
        // left of it.
        if (bytes.size() < kHeaderSize || big_endian_u32(bytes.data()) < kHeaderSize ||
            big_endian_u32(bytes.data()) > bytes.size()) {
            out.result = TZCM_E_PROFILE;
            return out;
        }
        cmsContext ctx = lcms_context();
        if (ctx == nullptr) {
            out.result = TZCM_E_NO_MEMORY;
            return out;
        }
        auto profile = std::make_shared<Profile>();
        profile->handle.reset(cmsOpenProfileFromMemTHR(
            ctx, bytes.data(), static_cast<cmsUInt32Number>(big_endian_u32(bytes.data()))));
        if (!profile->handle) {
            out.result = TZCM_E_PROFILE;
            return out;
        }
        std::memcpy(profile->raw_header.data(), bytes.data(), kHeaderSize);
        out.result = TZCM_OK;
        out.profile = std::move(profile);
    } catch (const std::bad_alloc &) {
        out.result = TZCM_E_NO_MEMORY;
        out.profile.reset();
    } catch (...) {
        out.result = TZCM_E_PROFILE;
        out.profile.reset();
    }
    return out;
}

} // namespace tzcm

#include "platform/library_version.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

namespace tz::platform {
namespace {

// What the embedded note starts with (cmake/version_note.c.in).
constexpr char kMarker[] = "TZ5170-VERSION:";
constexpr size_t kMarkerSize = sizeof kMarker - 1;
constexpr size_t kVersionLimit = 255;

std::string program_folder() {
    char path[4096];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string text(path, static_cast<size_t>(n));
    const size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

// The note's text in the file, or nothing when it has none.
bool version_in_file(const std::string& path, std::string& version) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::vector<char> block(1 << 20);
    std::string window;  // the end of the previous block, so that a marker cut in two is found
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        window.append(block.data(), static_cast<size_t>(in.gcount()));
        const size_t at = window.find(kMarker);
        if (at != std::string::npos) {
            size_t end = window.find('\0', at + kMarkerSize);
            while (end == std::string::npos && in && window.size() - at < kMarkerSize + kVersionLimit + 1) {
                in.read(block.data(), 256);
                window.append(block.data(), static_cast<size_t>(in.gcount()));
                end = window.find('\0', at + kMarkerSize);
            }
            const size_t stop = end == std::string::npos ? window.size() : end;
            version = window.substr(at + kMarkerSize, std::min(stop - at - kMarkerSize, kVersionLimit));
            return true;
        }
        if (window.size() > kMarkerSize) window.erase(0, window.size() - kMarkerSize);
    }
    return false;
}

}  // namespace

std::string library_version(const std::string& file_name) {
    std::vector<std::string> folders = {program_folder(), "."};
    if (const char* paths = std::getenv("LD_LIBRARY_PATH")) {
        std::string list = paths;
        for (size_t start = 0; start <= list.size();) {
            const size_t colon = std::min(list.find(':', start), list.size());
            if (colon > start) folders.push_back(list.substr(start, colon - start));
            start = colon + 1;
        }
    }
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const std::string path = folder + "/" + file_name;
        if (std::ifstream(path).good()) {
            std::string version;
            version_in_file(path, version);
            return version;  // the file the search finds first decides, note or not
        }
    }
    return {};
}

}  // namespace tz::platform

// A temporary folder that is removed with everything in it.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace tz::test {

class TempFolder {
public:
    TempFolder() {
        // A new folder of a random name, made by this object alone.
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
        std::random_device seed;
        std::mt19937_64 random(seed());
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            const std::filesystem::path candidate = base / ("tz5170-test." + std::to_string(random() % 1000000007u));
            if (std::filesystem::create_directory(candidate, ec)) path_ = candidate.generic_string();
        }
    }
    ~TempFolder() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace tz::test

#include "color_profiles.h"

#include <lcms2.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tz::app {

namespace {

bool keyword(const std::string& name) {
    return !name.empty() && name.size() < 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    });
}

}  // namespace

std::vector<std::string> ColorProfiles::names() const {
    std::vector<std::string> out{kNoProfile};
    for (const auto& [name, file] : output) out.push_back(name);
    return out;
}

std::string ColorProfiles::file_for(const std::string& name) const {
    auto found = output.find(name);
    return found == output.end() ? std::string() : found->second;
}

std::string write_srgb_profile(const std::string& folder) {
    const std::string path = folder + "/srgb.icc";
    cmsHPROFILE profile = cmsCreate_sRGBProfile();
    if (profile == nullptr) return {};
    const bool saved = cmsSaveProfileToFile(profile, path.c_str()) != 0;
    cmsCloseProfile(profile);
    return saved ? path : std::string();
}

bool is_rgb_profile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char header[128] = {};
    in.read(header, sizeof header);
    return in.gcount() == sizeof header && std::memcmp(header + 36, "acsp", 4) == 0 &&
           std::memcmp(header + 16, "RGB ", 4) == 0;
}

ColorProfiles find_profiles(const std::string& directory, const std::string& profile, std::vector<std::string>& rejected) {
    ColorProfiles profiles;
    auto offer = [&](const std::filesystem::path& file) {
        const std::string name = file.filename().string();
        if (!keyword(name))
            rejected.push_back(file.string() + ": the file name must be lower-case letters, digits, '-', '_' or '.'");
        else if (!is_rgb_profile(file.string()))
            rejected.push_back(file.string() + ": not an ICC profile of RGB data");
        else {
            profiles.output[name] = file.string();
            return true;
        }
        return false;
    };
    std::error_code error;
    if (!directory.empty())
        for (const auto& item : std::filesystem::directory_iterator(directory, error)) {
            const std::string extension = item.path().extension().string();
            if (item.is_regular_file(error) && (extension == ".icc" || extension == ".icm")) offer(item.path());
        }
    if (!profile.empty() && offer(profile)) profiles.default_name = std::filesystem::path(profile).filename().string();
    return profiles;
}

}  // namespace tz::app

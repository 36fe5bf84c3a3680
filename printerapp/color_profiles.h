// The colour profiles of the write path: the sRGB profile every page comes
// in (PWG raster srgb_8 and the images PAPPL decodes), and the printer's
// output profiles, chosen per printer (vendor attribute tz5170-icc-profile)
// from a folder or set for all with -o icc-profile.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tz::app {

inline constexpr const char* kProfileAttribute = "tz5170-icc-profile";
inline constexpr const char* kNoProfile = "none";

struct ColorProfiles {
    std::string source;                         // the sRGB profile file
    std::map<std::string, std::string> output;  // keyword (file name) -> file
    std::string default_name = kNoProfile;      // the default of new printers
    // "none" and the output profiles' names.
    std::vector<std::string> names() const;
    // The file for a name; empty for "none" or a name not offered.
    std::string file_for(const std::string& name) const;
};

// Writes an sRGB profile (LittleCMS's) into `folder`; the file's path, or
// empty when it cannot be written.
std::string write_srgb_profile(const std::string& folder);

// True for an ICC profile of RGB data (the printer takes three channels).
bool is_rgb_profile(const std::string& path);

// The output profiles: every RGB profile (*.icc, *.icm) in `directory` whose
// file name is an IPP keyword, and `profile` when given. A message for each
// file left out goes to `rejected`.
ColorProfiles find_profiles(const std::string& directory, const std::string& profile, std::vector<std::string>& rejected);

}  // namespace tz::app

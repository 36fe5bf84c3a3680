// Private-profile files through the system's own reader, at every call, as
// the Windows programs of the printer have always read them.
#include "platform/profile_ini.h"

#include <vector>

#include "windows_api.h"

namespace tz::platform {
namespace {

// Longer than any value the programs keep (259 characters), so that cutting
// is left to text().
constexpr DWORD kValueRoom = 4096;

}  // namespace

ProfileIni ProfileIni::read(const std::string& path) {
    ProfileIni ini;
    ini.path_ = path;
    return ini;
}

std::string ProfileIni::text(const std::string& section, const std::string& key, const std::string& fallback,
                             size_t max_chars) const {
    std::vector<char> value(kValueRoom, '\0');
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), value.data(),
                                               kValueRoom, path_.c_str());
    std::string text(value.data(), n);
    if (text.size() > max_chars) text.resize(max_chars);
    return text;
}

int32_t ProfileIni::integer(const std::string& section, const std::string& key, int32_t fallback) const {
    return static_cast<int32_t>(::GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path_.c_str()));
}

// Two different defaults give the same answer only when the key is there.
bool ProfileIni::has(const std::string& section, const std::string& key) const {
    char first[2] = {}, second[2] = {};
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", first, sizeof first, path_.c_str());
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x02", second, sizeof second, path_.c_str());
    return first[0] == second[0];
}

}  // namespace tz::platform

// The file version of a DLL from its version resource, looked up the way
// the system finds a file by its bare name.
#include "platform/library_version.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "windows_api.h"

namespace tz::platform {
namespace {

constexpr size_t kVersionLimit = 255;

}  // namespace

std::string library_version(const std::string& file_name) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(file_name.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<char> data(size);
    if (!::GetFileVersionInfoA(file_name.c_str(), 0, size, data.data())) return {};
    struct Translation {
        WORD language;
        WORD code_page;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        translation == nullptr || length < sizeof(Translation))
        return {};
    char key[64];
    std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
                  translation->code_page);
    char* text = nullptr;
    if (!::VerQueryValueA(data.data(), key, reinterpret_cast<void**>(&text), &length) || text == nullptr) return {};
    std::string version(text, length > 0 ? length - 1 : 0);  // the count includes the terminator
    version.resize(std::min(version.find('\0'), std::min(version.size(), kVersionLimit)));
    return version;
}

}  // namespace tz::platform

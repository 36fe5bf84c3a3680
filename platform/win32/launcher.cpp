#include "platform/launcher.h"

#include <vector>

#include "windows_api.h"
#include <shellapi.h>

namespace tz::platform {

// The shell's "open" verb, shown normally, in the current folder, without
// parameters; not waited for.
bool start_script(const std::string& script) {
    std::vector<char> folder(MAX_PATH + 1, '\0');
    const DWORD n = ::GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "open";
    info.lpFile = script.c_str();
    info.lpDirectory = n > 0 && n < folder.size() ? folder.data() : nullptr;
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExA(&info) != FALSE;
}

}  // namespace tz::platform

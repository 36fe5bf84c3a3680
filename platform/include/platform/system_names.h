// The names the system gives to the files of a program: a shared library, a
// program, a script, a file of the current folder.
#pragma once

#include <string>
#include <string_view>

namespace tz::platform {

// "libNAME.so" on Linux, "NAME.dll" on Windows: what a load by name opens.
std::string shared_library_file(std::string_view name);
// "NAME" on Linux, "NAME.exe" on Windows.
std::string program_file(std::string_view name);
// "NAME.sh" (run by /bin/sh) on Linux, "NAME.bat" on Windows.
std::string script_file(std::string_view name);
// The file `name` of the current folder, as the system's file and profile
// readers take it: "<current folder>/NAME" on Linux, ".\NAME" on Windows
// (a bare name would send the private-profile reader to the Windows folder).
std::string current_folder_file(std::string_view name);

}  // namespace tz::platform

// Texts whose pointers PAPPL keeps (media names, keywords, callback data):
// each distinct text is stored once and lives as long as the process.
#pragma once

#include <string>

namespace tz::app {

const char* lasting_text(const std::string& text);

}  // namespace tz::app

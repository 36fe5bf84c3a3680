// The names of the commands of the printer's command table, by opcode and
// command class. Pure.
#pragma once

#include <cstdint>

namespace tz::lib {

// The command's name, or nullptr when no command of the table has these bytes.
const char* command_name(uint8_t opcode, uint8_t command_class);

}  // namespace tz::lib

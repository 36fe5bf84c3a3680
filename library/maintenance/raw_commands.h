// Caller-built bytes to the selected printer: raw data, whole commands, the
// Universal Command and the model name packet. None of them takes the printer.
#pragma once

#include <cstdint>
#include <optional>

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// Largest answer handed back by the Universal Command and by a caller's command.
inline constexpr uint32_t kUniversalAnswerLimit = 255;
inline constexpr uint32_t kCommandAnswerLimit = 512;

// Writes `length` bytes in pieces of at most 4096. Nothing written (length 0)
// is a failure that stores no code: `code` stays empty.
bool send_raw_data(PrinterContext& context, const void* data, uint32_t length, std::optional<ResultCode>& code);
// As send_raw_data with the length read through a pointer; a null pointer is 1006.
bool send_raw_data(PrinterContext& context, const void* data, const uint32_t* length, std::optional<ResultCode>& code);
// Writes the command as one write and hands back the printer's whole answer
// frame (at most 512 bytes), undecoded.
bool send_command(PrinterContext& context, const void* command, uint32_t length, void* answer,
                  uint32_t* answer_length, ResultCode& code);
// The Universal Command with the caller's payload (at most 250 bytes); the
// answer payload, at most 255 bytes, and its length.
bool universal_command(PrinterContext& context, const void* payload, int length, void* answer,
                       uint8_t* answer_length, ResultCode& code);
// The Get Model Name packet, answered like a status inquiry.
bool undefine_command(PrinterContext& context, ResultCode& code);

}  // namespace tz::lib

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
// is a failure that stores no code.
ExportAnswer send_raw_data(PrinterContext& context, const void* data, uint32_t length);
// As send_raw_data with the length read through a pointer; a null pointer is
// TZP_BAD_PARAMETER.
ExportAnswer send_raw_data(PrinterContext& context, const void* data, const uint32_t* length);
// Writes the command as one write and hands back the printer's whole answer
// frame (at most 512 bytes), undecoded.
ResultCode send_command(PrinterContext& context, const void* command, uint32_t length, void* answer,
                        uint32_t* answer_length);
// The Universal Command with the caller's payload (at most 250 bytes); the
// answer payload, at most 255 bytes, and its length.
ResultCode universal_command(PrinterContext& context, const void* payload, int length, void* answer,
                             uint8_t* answer_length);
// The Get Model Name packet, answered like a status inquiry.
ResultCode undefine_command(PrinterContext& context);

}  // namespace tz::lib

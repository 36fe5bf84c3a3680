// The one-call firmware update: check a firmware file, announce it, send it.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// The kinds of firmware file.
enum FirmwareFileType : int { kFileUsb = 1, kFileMain = 2, kFileDsp = 3, kFileTable = 4 };

// Holds the selected printer (2000, 1500, 2504) from before the announcement
// until the last piece is written. 1006 for an unknown type or no path; 1005
// for a file that cannot be read or fails its size, first-byte or identifier
// check; 1000 when it cannot be held in memory; communication failures are
// 2600; other codes of the answer pass through.
ResultCode update_firmware(PrinterContext& context, int file_type, const char* path);

}  // namespace tz::lib

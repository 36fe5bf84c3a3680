// The one-call firmware update: check a firmware file, announce it, send it.
#pragma once

#include "core/result_codes.h"

namespace tz::lib {

class PrinterContext;

// The kinds of firmware file.
enum FirmwareFileType : int { kFileUsb = 1, kFileMain = 2, kFileDsp = 3, kFileTable = 4 };

// Holds the selected printer (TZP_NOT_RECOGNISED, TZP_PRINTER_IN_USE,
// TZP_UNDEFINED_ERROR) from before the announcement until the last piece is
// written. TZP_BAD_PARAMETER for an unknown type or no path; TZP_FILE_ERROR for
// a file that cannot be read or fails its size, first-byte or identifier check;
// TZP_NO_MEMORY when it cannot be held in memory; communication failures are
// TZP_USB_ERROR; other codes of the answer pass through.
ResultCode update_firmware(PrinterContext& context, int file_type, const char* path);

}  // namespace tz::lib

// Download mode: announce a firmware part and its length, stream its bytes
// in as many calls as the caller likes, end the sequence.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace tz::lib {

class DownloadSession;
class PrinterContext;

// The part a download targets.
enum DownloadKind : int32_t { kDownloadDsp = 0, kDownloadMain = 1, kDownloadTable = 2, kDownloadUsb = 6 };

// One per download context: the running download.
struct DownloadTransfer {
    int32_t kind = 0;               // 0 when none was started
    uint32_t announced_length = 0;  // for USB its low 16 bits
    uint32_t bytes_sent = 0;        // since the last announcement
};

// How long the printer is given after an announcement before data follows.
inline constexpr uint32_t kAfterAnnouncementMs = 300;

// These calls need a context opened for download (else TZP_BAD_PARAMETER) with
// the supported printer selected (else TZP_NOT_RECOGNISED, nothing sent). They
// do not hold the printer.
ResultCode start_download_mode(PrinterContext& context, DownloadSession& session, int kind, int restart,
                               uint32_t length);
// Sends `*length` bytes from image + bytes sent; `*length` becomes what this
// call sent. A write that fails or takes less than its piece is TZP_USB_ERROR.
ResultCode continue_download(PrinterContext& context, DownloadSession& session, const void* image, uint32_t* length);
ResultCode end_download_mode(PrinterContext& context, DownloadSession& session);

}  // namespace tz::lib

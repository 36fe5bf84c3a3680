#include "download_session.h"

#include <new>

namespace tz::lib {

ResultCode DownloadSession::ready(bool for_download) {
    if (!for_download) return TZP_OK;
    if (!transfer) {
        transfer.reset(new (std::nothrow) DownloadTransfer);
        if (!transfer) return TZP_NO_MEMORY;
    }
    if (!mot_reader) {
        mot_reader.reset(new (std::nothrow) MotReader);
        if (!mot_reader) return TZP_NO_MEMORY;
    }
    return TZP_OK;
}

void DownloadSession::release() {
    transfer.reset();
    mot_reader.reset();
}

}  // namespace tz::lib

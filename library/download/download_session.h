// What a context opened for download keeps: the running download and the
// MOT file reader. A context opened only for printing has neither, and the
// download calls refuse it.
#pragma once

#include <memory>

#include "core/result_codes.h"
#include "download_mode.h"
#include "mot_reader.h"

namespace tz::lib {

class DownloadSession {
public:
    // Makes both when the library is opened for download (TZP_NO_MEMORY when
    // memory is short); an open for printing leaves them as they are.
    ResultCode ready(bool for_download);
    void release();

    std::unique_ptr<DownloadTransfer> transfer;
    std::unique_ptr<MotReader> mot_reader;
};

}  // namespace tz::lib

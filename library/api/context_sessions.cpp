#include "context_sessions.h"

#include <new>

namespace tz::lib {

ResultCode ContextSessions::ready(OpenKind kind) {
    const bool for_download = kind == OpenKind::Download;
    if (ResultCode code = download.ready(for_download); code != TZP_OK) return code;
    return print.ready(!for_download);
}

void ContextSessions::release() {
    print.release();
    download.release();
}

// Selecting a printer by its index sets printer-information tag 20 back to 2.
void ContextSessions::selected_by_index() { print.job.setting20 = 2; }

std::unique_ptr<ContextParts> make_sessions(PrinterContext& context) {
    return std::unique_ptr<ContextParts>(new (std::nothrow) ContextSessions(context));
}

// Every context is made with make_sessions.
PrintSession& print_session(PrinterContext& context) { return static_cast<ContextSessions&>(context.parts()).print; }

DownloadSession& download_session(PrinterContext& context) {
    return static_cast<ContextSessions&>(context.parts()).download;
}

}  // namespace tz::lib

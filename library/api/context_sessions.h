// What every context holds above core: its print session and its download
// session, made with the context and reached from the exports.
#pragma once

#include <memory>

#include "core/context_parts.h"
#include "core/printer_context.h"
#include "download/download_session.h"
#include "job/print_session.h"

namespace tz::lib {

class ContextSessions final : public ContextParts {
public:
    explicit ContextSessions(PrinterContext& context) : print(context) {}

    ResultCode ready(OpenKind kind) override;
    void release() override;
    void selected_by_index() override;

    PrintSession print;
    DownloadSession download;
};

// The factory the open exports give core.
std::unique_ptr<ContextParts> make_sessions(PrinterContext& context);

PrintSession& print_session(PrinterContext& context);
DownloadSession& download_session(PrinterContext& context);

}  // namespace tz::lib

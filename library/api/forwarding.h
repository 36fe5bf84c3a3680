// How an export reaches the calling thread's context: find it, run the
// operation, store its code. A thread without a context gets TZP_NO_CONTEXT.
#pragma once

#include <new>
#include <type_traits>

#include "core/library_state.h"
#include "core/printer_context.h"
#include "core/result_codes.h"

namespace tz::lib {

// `operation(context)` returns a ResultCode: the export stores it through
// `result` (when not null) and returns 1 when it is TZP_OK, else 0. An
// operation that returns an ExportAnswer says both itself.
template <typename Operation>
int forward(uint16_t* result, Operation&& operation) noexcept {
    try {
        PrinterContext* context = calling_context();
        if (context == nullptr) {
            store(result, TZP_NO_CONTEXT);
            return 0;
        }
        if constexpr (std::is_same_v<std::invoke_result_t<Operation, PrinterContext&>, ExportAnswer>) {
            const ExportAnswer answer = operation(*context);
            if (answer.code) store(result, *answer.code);
            return answer.succeeded ? 1 : 0;
        } else {
            const ResultCode code = operation(*context);
            store(result, code);
            return code == TZP_OK ? 1 : 0;
        }
    } catch (const std::bad_alloc&) {
        store(result, TZP_NO_MEMORY);
        return 0;
    } catch (...) {
        store(result, TZP_UNDEFINED_ERROR);
        return 0;
    }
}

}  // namespace tz::lib

// How an export reaches the calling thread's context: find it, run the
// operation, store its code. A thread without a context gets 1501.
#pragma once

#include <new>

#include "core/library_state.h"
#include "core/printer_context.h"
#include "core/result_codes.h"

namespace tz::lib {

// `operation(context, code)` returns true or false; the export returns 1 or 0
// and stores the code through `result` when it is not null.
template <typename Operation>
int forward(uint16_t* result, Operation&& operation) noexcept {
    try {
        PrinterContext* context = calling_context();
        if (context == nullptr) {
            store(result, TZP_NO_CONTEXT);
            return 0;
        }
        ResultCode code = TZP_OK;
        bool ok = operation(*context, code);
        store(result, code);
        return ok ? 1 : 0;
    } catch (const std::bad_alloc&) {
        store(result, TZP_NO_MEMORY);
        return 0;
    } catch (...) {
        store(result, TZP_UNDEFINED_ERROR);
        return 0;
    }
}

}  // namespace tz::lib

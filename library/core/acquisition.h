// Holding the selected printer for one operation: its cross-process mutex,
// re-entrant for the owning thread.
#pragma once

#include <memory>

#include "platform/named_mutex.h"
#include "result_codes.h"

namespace tz::lib {

class PrinterContext;

// How long an operation waits for a printer another thread or process uses.
inline constexpr uint32_t kAcquireWaitMs = 500;

// Owns one successful wait on a printer's mutex and releases it when it ends.
class PrinterHold {
public:
    PrinterHold() = default;
    ~PrinterHold() { release(); }
    PrinterHold(PrinterHold&& other) noexcept;
    PrinterHold& operator=(PrinterHold&& other) noexcept;
    PrinterHold(const PrinterHold&) = delete;
    PrinterHold& operator=(const PrinterHold&) = delete;

    bool held() const { return mutex_ != nullptr; }
    void release();

private:
    friend ResultCode acquire_printer(PrinterContext&, PrinterHold&);
    std::shared_ptr<platform::NamedMutex> mutex_;
};

// Takes the context's selected printer into `hold`: TZP_OK, or
// TZP_NOT_RECOGNISED (none selected, or gone), TZP_PRINTER_IN_USE (in use
// beyond 500 ms, or its former holder ended without releasing it),
// TZP_UNDEFINED_ERROR (the wait failed), and `hold` empty.
ResultCode acquire_printer(PrinterContext& context, PrinterHold& hold);

}  // namespace tz::lib

#include "acquisition.h"

#include <utility>

#include "device_table.h"
#include "printer_context.h"
#include "selection.h"

namespace tz::lib {

PrinterHold::PrinterHold(PrinterHold&& other) noexcept : mutex_(std::move(other.mutex_)) {}

PrinterHold& PrinterHold::operator=(PrinterHold&& other) noexcept {
    if (this != &other) {
        release();
        mutex_ = std::move(other.mutex_);
    }
    return *this;
}

void PrinterHold::release() {
    if (mutex_) {
        mutex_->release();
        mutex_.reset();
    }
}

ResultCode acquire_printer(PrinterContext& context, PrinterHold& hold) {
    hold.release();
    const Selection selected = context.selection.load();
    // A selection whose entry has been given up or taken by another
    // connection since is no printer: nothing may be sent on it.
    if (!selection_current(selected)) return TZP_NOT_RECOGNISED;
    std::shared_ptr<platform::NamedMutex> mutex = device_table()[selected.index].mutex();
    if (!mutex) return TZP_UNDEFINED_ERROR;
    switch (mutex->wait(kAcquireWaitMs)) {
        case platform::WaitResult::Obtained:
            hold.mutex_ = std::move(mutex);
            // The sweep may have given the entry up while this thread waited;
            // from now on nobody can.
            if (!selection_current(context)) {
                hold.release();
                return TZP_NOT_RECOGNISED;
            }
            return TZP_OK;
        case platform::WaitResult::TimedOut:
            return TZP_PRINTER_IN_USE;
        case platform::WaitResult::Abandoned:
            // Its former holder ended mid-operation; the printer's state is
            // unknown, so this operation gives way and the next one goes ahead.
            mutex->release();
            return TZP_PRINTER_IN_USE;
        case platform::WaitResult::Failed:
            break;
    }
    return TZP_UNDEFINED_ERROR;
}

}  // namespace tz::lib

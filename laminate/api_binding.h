// The printer-control library, bound at run time by path. Eighteen entry
// points must all be there; a library lacking any of them is refused, also
// those this program never calls.
#pragma once

#include <string>

#include "platform/dynamic_library.h"
#include "tzpusb.h"

namespace tz::laminate {

struct EntryPoints {
    decltype(&tzpusb_open) open = nullptr;
    decltype(&tzpusb_close) close = nullptr;
    decltype(&tzpusb_listupPrinter) listup_printer = nullptr;
    decltype(&tzpusb_selectPrinter) select_printer = nullptr;
    decltype(&tzpusb_status) status = nullptr;
    decltype(&tzpusb_setPrinterInfo) set_printer_info = nullptr;
    decltype(&tzpusb_getPrinterInfo) get_printer_info = nullptr;
    decltype(&tzpusb_listupPrinterSN) listup_printer_sn = nullptr;
    decltype(&tzpusb_selectPrinterSN) select_printer_sn = nullptr;
    decltype(&tzpusb_blinkLED) blink_led = nullptr;
    decltype(&tzpusb_resetPrinter) reset_printer = nullptr;
    decltype(&tzpusb_updateFirmware) update_firmware = nullptr;
    decltype(&tzpusb_setParameter) set_parameter = nullptr;
    decltype(&tzpusb_getParameter) get_parameter = nullptr;
    decltype(&tzpusb_getDiagnostic) get_diagnostic = nullptr;
    decltype(&tzpusb_setDiagnostic) set_diagnostic = nullptr;
    decltype(&tzpusb_resetErrHistory) reset_err_history = nullptr;
    decltype(&tzpusb_update_laminate) update_laminate = nullptr;
};

class ApiBinding {
public:
    ApiBinding() = default;
    ~ApiBinding();
    ApiBinding(const ApiBinding&) = delete;
    ApiBinding& operator=(const ApiBinding&) = delete;

    // Loads the library at `path` and resolves the entry points in their
    // order, stopping at the first that is missing. On failure nothing stays
    // loaded. Succeeds at once when already bound.
    bool bind(const std::string& path);
    // Clears the entry points and unloads the library.
    void unbind();
    // Leaves the library loaded until the process ends: after a failed open
    // it may still run code of its own, which unloading would pull away.
    void keep_loaded();

    bool loaded() const { return loaded_; }
    const EntryPoints& api() const { return api_; }

private:
    platform::DynamicLibrary library_;
    EntryPoints api_;
    bool loaded_ = false;
    bool kept_ = false;
};

}  // namespace tz::laminate

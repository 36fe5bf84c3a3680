#include "api_binding.h"

#include <utility>

namespace tz::laminate {
namespace {

template <typename Function>
bool resolve(const platform::DynamicLibrary& library, const char* name, Function& slot) {
    void* address = library.symbol(name);
    if (address == nullptr) return false;
    slot = reinterpret_cast<Function>(address);
    return true;
}

bool resolve_all(const platform::DynamicLibrary& library, EntryPoints& api) {
    // && stops at the first name that is missing.
    return resolve(library, "tzpusb_open", api.open) && resolve(library, "tzpusb_close", api.close) &&
           resolve(library, "tzpusb_listupPrinter", api.listup_printer) &&
           resolve(library, "tzpusb_selectPrinter", api.select_printer) &&
           resolve(library, "tzpusb_status", api.status) &&
           resolve(library, "tzpusb_setPrinterInfo", api.set_printer_info) &&
           resolve(library, "tzpusb_getPrinterInfo", api.get_printer_info) &&
           resolve(library, "tzpusb_listupPrinterSN", api.listup_printer_sn) &&
           resolve(library, "tzpusb_selectPrinterSN", api.select_printer_sn) &&
           resolve(library, "tzpusb_blinkLED", api.blink_led) &&
           resolve(library, "tzpusb_resetPrinter", api.reset_printer) &&
           resolve(library, "tzpusb_updateFirmware", api.update_firmware) &&
           resolve(library, "tzpusb_setParameter", api.set_parameter) &&
           resolve(library, "tzpusb_getParameter", api.get_parameter) &&
           resolve(library, "tzpusb_getDiagnostic", api.get_diagnostic) &&
           resolve(library, "tzpusb_setDiagnostic", api.set_diagnostic) &&
           resolve(library, "tzpusb_resetErrHistory", api.reset_err_history) &&
           resolve(library, "tzpusb_update_laminate", api.update_laminate);
}

}  // namespace

ApiBinding::~ApiBinding() {
    if (!kept_) unbind();
}

bool ApiBinding::bind(const std::string& path) {
    if (loaded_) return true;
    api_ = {};
    library_ = platform::DynamicLibrary::load(path);
    if (!library_.loaded()) return false;
    if (!resolve_all(library_, api_)) {
        api_ = {};
        library_.close();
        return false;
    }
    loaded_ = true;
    return true;
}

void ApiBinding::unbind() {
    if (!loaded_) return;
    api_ = {};
    loaded_ = false;
    library_.close();
}

void ApiBinding::keep_loaded() {
    if (!loaded_ || kept_) return;
    kept_ = true;
    // Never destroyed, so never closed: the process ends with the library loaded.
    static platform::DynamicLibrary* const kept = new platform::DynamicLibrary(std::move(library_));
    (void)kept;
}

}  // namespace tz::laminate

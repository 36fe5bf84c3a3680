#include "device_scheme.h"

#include <pappl/pappl.h>

#include "printers.h"
#include "tzpusb.h"

namespace tz::app {

namespace {

bool list_devices(pappl_device_cb_t callback, void* data, pappl_deverror_cb_t, void*) {
    for (const std::string& serial : list_serials()) {
        const std::string info = "TARVO 5170 (" + serial + ")";
        if (callback(info.c_str(), uri_for(serial).c_str(), device_id_for(serial).c_str(), data)) return true;
    }
    return false;
}

// The device only names the printer; PAPPL's job keeps it open while the
// pages go through the printer's link.
bool open_device(pappl_device_t* device, const char* uri, const char*) {
    const std::optional<std::string> serial = serial_from_uri(uri ? uri : "");
    if (!serial) {
        papplDeviceError(device, "Not a TARVO 5170 device URI: %s", uri ? uri : "(none)");
        return false;
    }
    papplDeviceSetData(device, &printers().get(*serial));
    return true;
}

void close_device(pappl_device_t*) {}

ssize_t read_device(pappl_device_t*, void*, size_t) { return -1; }

// Nothing is written through PAPPL's device: there is no raw format.
ssize_t write_device(pappl_device_t* device, const void*, size_t) {
    papplDeviceError(device, "Pages go to a TARVO 5170 through the printer-control library only.");
    return -1;
}

pappl_preason_t device_status(pappl_device_t*) { return PAPPL_PREASON_NONE; }

char* device_id(pappl_device_t* device, char* buffer, size_t size) {
    auto* entry = static_cast<PrinterEntry*>(papplDeviceGetData(device));
    if (entry == nullptr || buffer == nullptr || size == 0) return nullptr;
    papplCopyString(buffer, device_id_for(entry->link.serial()).c_str(), size);
    return buffer;
}

}  // namespace

void register_device_scheme() {
    papplDeviceAddScheme(kScheme, PAPPL_DEVTYPE_CUSTOM_LOCAL, list_devices, open_device, close_device, read_device,
                         write_device, device_status, device_id);
}

std::optional<std::string> serial_from_uri(const std::string& uri) {
    const std::string prefix = std::string(kScheme) + "://";
    if (uri.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    std::string serial = uri.substr(prefix.size());
    if (!serial.empty() && serial.back() == '/') serial.pop_back();
    if (!valid_serial(serial)) return std::nullopt;
    return serial;
}

std::string uri_for(const std::string& serial) { return std::string(kScheme) + "://" + serial; }

std::vector<std::string> list_serials() {
    std::vector<std::string> serials;
    uint16_t code = 0;
    if (tzpusb_open(&code)) {
        char buffer[1024] = {};
        const uint16_t count = tzpusb_listupPrinterSN(buffer);
        for (uint16_t i = 0; i < count && i < 128; ++i) {
            std::string serial(buffer + 8 * i, 8);
            if (valid_serial(serial)) serials.push_back(serial);
        }
    }
    tzpusb_close();
    return serials;
}

std::string device_id_for(const std::string& serial) {
    return "MFG:TARVO;MDL:5170;CMD:PWGRaster,JPEG,PNG;CLS:PRINTER;DES:TARVO 5170 dye-sublimation photo printer;SN:" +
           serial + ";";
}

}  // namespace tz::app

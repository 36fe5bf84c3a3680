// The device scheme tz5170://SERIAL: every TARVO 5170 the printer-control
// library finds, real (through the USB bridge) or virtual. PAPPL lists and
// opens devices through it; the pages themselves go through the printer's
// link (printer_link.h), never through PAPPL's device.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tz::app {

inline constexpr const char* kScheme = "tz5170";

// Registers the scheme with PAPPL; before papplMainloop, so that the server
// and every sub-command know it.
void register_device_scheme();

// "tz5170://TZ000101" <-> "TZ000101"; nothing for anything else.
std::optional<std::string> serial_from_uri(const std::string& uri);
std::string uri_for(const std::string& serial);

// The serials the library lists now, opened on the calling thread for the
// purpose (the scheme's list callback; `devices`).
std::vector<std::string> list_serials();

// The IEEE 1284 device ID of a printer.
std::string device_id_for(const std::string& serial);

}  // namespace tz::app

// Linked into every test program: the tests see the printers they start,
// never real ones behind a USB bridge on the machine, unless a test names a
// bridge folder itself.
#include "platform/environment.h"

namespace {

struct NoUsbBridge {
    NoUsbBridge() { tz::platform::set_environment("TZ5170_USB_DIR", TZ_NO_USB_BRIDGE_DIR, false); }
};
const NoUsbBridge no_usb_bridge;

}  // namespace

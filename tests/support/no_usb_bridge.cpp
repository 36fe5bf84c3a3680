// Linked into every test program: the tests see the printers they start,
// never real ones behind a USB bridge on the machine, unless a test names a
// bridge folder itself.
#include <cstdlib>

namespace {

struct NoUsbBridge {
    NoUsbBridge() { ::setenv("TZ5170_USB_DIR", TZ_NO_USB_BRIDGE_DIR, 0); }
};
const NoUsbBridge no_usb_bridge;

}  // namespace

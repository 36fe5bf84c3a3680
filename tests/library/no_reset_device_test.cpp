// A USB control library without SDKUsb_ResetDevice cannot be bound, although
// that entry point is never called.
#include <gtest/gtest.h>

#include "fake_usbctrl/fake_usb.h"
#include "library_session.h"

TEST(IncompleteUsbLibrary, OpenGives1002) {
    FakeUsb_AddPrinter("PRINTER1", 0x0F3C, 0x5A17);
    uint16_t code = 0;
    EXPECT_EQ(tzpusb_open(&code), 0);
    EXPECT_EQ(code, TZP_NO_USB_LIBRARY);
    EXPECT_EQ(tzpusb_openDownload(0, &code), 0);
    EXPECT_EQ(code, TZP_NO_USB_LIBRARY);
    tzpusb_close();
    EXPECT_EQ(FakeUsb_OpenDevices(), 0);
}

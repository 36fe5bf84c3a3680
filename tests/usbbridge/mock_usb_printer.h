// TARVO 5170 printers on a umockdev test bed: the sysfs device with the
// printer's descriptors, and a usbfs device node whose ioctls are answered
// here. Bulk OUT URBs feed the in-process printer model; bulk IN URBs are
// completed with its answers. The program under test (and its children) must
// run with libumockdev-preload.
#pragma once

#include <umockdev.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "emulator/printer_model.h"

namespace tz::test {

class MockUsbPrinter {
public:
    // On bus `bus`, port `port` of its root hub, at address `device_number`.
    MockUsbPrinter(UMockdevTestbed* testbed, int bus, int port, int device_number, emulator::PrinterModel& model);
    ~MockUsbPrinter();
    MockUsbPrinter(const MockUsbPrinter&) = delete;
    MockUsbPrinter& operator=(const MockUsbPrinter&) = delete;

    const std::string& syspath() const { return syspath_; }
    // Tells listeners (libusb's hot-plug monitor) that the printer arrived.
    void announce();
    // The printer leaves the bus: waiting URBs end with -ESHUTDOWN, every
    // later ioctl fails with ENODEV, and the removal is announced.
    void unplug();
    // OUT URBs are taken and never completed (until discarded).
    void set_hanging(bool hanging);
    // Lets the printer's time run on, as every ioctl does. The printed pages
    // are written under the printer's lock, so a test that ticks through here
    // reads them after their files are closed.
    void tick();

    // What the host did.
    struct Counts {
        size_t out_urbs = 0;
        size_t whole_packet_out_urbs = 0;      // length a multiple of 512
        size_t whole_packet_out_without_zlp = 0;
        size_t largest_out_urb = 0;
        size_t discarded = 0;
        bool claimed = false;
        bool driver_bound = true;  // the kernel's printer driver, bound when plugged in
        size_t driver_reattached = 0;
    };
    Counts counts() const;

private:
    static gboolean on_ioctl(UMockdevIoctlBase* handler, UMockdevIoctlClient* client, gpointer self);
    bool handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void answer_control(UMockdevIoctlData* urb_data, UMockdevIoctlData* buffer);
    void match_answers();

    struct Urb {
        UMockdevIoctlData* data = nullptr;    // the struct usbdevfs_urb
        UMockdevIoctlData* buffer = nullptr;  // its buffer
    };
    static void release(Urb& urb);
    static void finish(Urb& urb, int status, int actual_length);

    UMockdevTestbed* testbed_;
    emulator::PrinterModel& model_;
    emulator::SessionId session_ = 0;
    std::string syspath_;
    std::string devnode_;
    UMockdevIoctlBase* handler_ = nullptr;

    mutable std::mutex lock_;
    bool unplugged_ = false;
    bool hanging_ = false;
    std::deque<Urb> waiting_in_;
    std::deque<Urb> hung_out_;
    std::deque<Urb> done_;
    std::deque<emulator::Bytes> answers_;
    Counts counts_;
};

}  // namespace tz::test

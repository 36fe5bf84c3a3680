// One TARVO 5170 owned by the bridge: its interface claimed (the kernel's
// printer driver detached while we hold it), its bulk endpoints, a queue of
// IN transfers always waiting for the printer, and the OUT transfers of the
// message being sent. Everything runs on the bridge's loop thread.
#pragma once

#include <libusb.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/hello.h"
#include "usb_context.h"

namespace tz::usbbridge {

struct DeviceTimeouts {
    unsigned out_ms = 10000;  // one OUT transfer
    unsigned in_ms = 5000;    // an IN transfer that saw nothing is submitted again
    unsigned close_ms = 2000; // cancelled transfers must have ended by then
};

struct PrinterDescription {
    std::string serial;
    std::string instance;
    std::array<uint8_t, link::kIdStringSize> id_string{};
    bool device_id_from_printer = false;  // else synthesised
};

class PrinterDevice {
public:
    using InSink = std::function<void(const uint8_t* data, size_t size)>;

    // Opens and claims the printer; null (and `error` says why) when it
    // cannot be used. Nothing is left claimed or detached after a failure.
    static std::unique_ptr<PrinterDevice> open(UsbContext& context, libusb_device* device, DeviceTimeouts timeouts,
                                               std::string* error);
    ~PrinterDevice();
    PrinterDevice(const PrinterDevice&) = delete;
    PrinterDevice& operator=(const PrinterDevice&) = delete;

    libusb_device* device() const { return libusb_get_device(handle_); }
    const PrinterDescription& description() const { return description_; }

    // Submits the IN queue; what comes in goes to `sink`.
    bool start(InSink sink);
    // true when no message is on its way to the printer.
    bool out_idle() const { return out_queue_.empty(); }
    // Queues one message for the printer: OUT transfers of at most 4096 bytes.
    void send(std::vector<uint8_t> message);
    // The printer has gone from the bus (a transfer said so).
    bool gone() const { return gone_; }
    // Cancels every transfer and waits for them (limited), releases the
    // interface and gives the kernel driver back. Also done by the destructor.
    void close();

private:
    struct Transfer;
    PrinterDevice(UsbContext& context, libusb_device_handle* handle, DeviceTimeouts timeouts);
    bool claim(std::string* error);
    void describe();
    bool submit_in(Transfer& transfer);
    void submit_next_out();
    void on_in_done(Transfer& transfer);
    void on_out_done(Transfer& transfer);
    void note_status(const char* direction, libusb_transfer_status status);
    size_t in_flight() const;
    static void LIBUSB_CALL on_transfer_done(libusb_transfer* transfer);

    UsbContext& context_;
    libusb_device_handle* handle_ = nullptr;
    DeviceTimeouts timeouts_;
    int interface_ = -1;
    int alt_setting_ = 0;
    uint8_t out_endpoint_ = 0;
    uint8_t in_endpoint_ = 0;
    uint16_t in_packet_size_ = 512;
    bool claimed_ = false;
    bool driver_detached_ = false;
    bool closing_ = false;
    bool gone_ = false;
    unsigned in_errors_ = 0;
    PrinterDescription description_;
    InSink sink_;
    std::vector<std::unique_ptr<Transfer>> in_transfers_;
    std::unique_ptr<Transfer> out_transfer_;
    std::deque<std::vector<uint8_t>> out_queue_;
    size_t out_offset_ = 0;  // bytes of the front message already sent
};

}  // namespace tz::usbbridge

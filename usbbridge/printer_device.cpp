#include "printer_device.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "identity.h"
#include "link/socket_names.h"
#include "log.h"

namespace tz::usbbridge {
namespace {


constexpr size_t kOutPiece = 4096;
constexpr size_t kInQueue = 2;
constexpr unsigned kInErrorLimit = 20;  // failures in a row before we stop asking
constexpr unsigned kControlTimeoutMs = 1000;
constexpr uint8_t kPrinterClass = 7;
constexpr uint8_t kGetDeviceId = 0;
// Class request to the interface, device to host.
constexpr uint8_t kClassInterfaceIn = 0xA1;

struct ConfigDescriptor {
    libusb_config_descriptor* config = nullptr;
    ~ConfigDescriptor() {
        if (config != nullptr) libusb_free_config_descriptor(config);
    }
};

}  // namespace

// One libusb transfer and its buffer. Freed only when libusb no longer holds it.
struct PrinterDevice::Transfer {
    PrinterDevice* owner = nullptr;
    libusb_transfer* usb = nullptr;
    std::vector<uint8_t> buffer;
    bool in_flight = false;
    bool is_in = false;

    Transfer(PrinterDevice* device, bool in, size_t size) : owner(device), usb(libusb_alloc_transfer(0)), is_in(in) {
        buffer.resize(size);
    }
    ~Transfer() {
        if (usb != nullptr) libusb_free_transfer(usb);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;
};

PrinterDevice::PrinterDevice(UsbContext& context, libusb_device_handle* handle, DeviceTimeouts timeouts)
    : context_(context), handle_(handle), timeouts_(timeouts) {}

std::unique_ptr<PrinterDevice> PrinterDevice::open(UsbContext& context, libusb_device* device,
                                                   DeviceTimeouts timeouts, std::string* error) {
    libusb_device_handle* handle = nullptr;
    const int rc = libusb_open(device, &handle);
    if (rc != LIBUSB_SUCCESS) {
        if (error != nullptr) *error = std::string("cannot open: ") + libusb_strerror(rc);
        return nullptr;
    }
    std::unique_ptr<PrinterDevice> printer(new PrinterDevice(context, handle, timeouts));
    if (!printer->claim(error)) return nullptr;  // the destructor gives back what was taken
    printer->describe();
    if (printer->description_.serial.empty()) {
        if (error != nullptr) *error = "its serial number is not 8 characters of A-Z, a-z, 0-9, '.', '_', '-'";
        return nullptr;
    }
    return printer;
}

bool PrinterDevice::claim(std::string* error) {
    ConfigDescriptor descriptor;
    int rc = libusb_get_active_config_descriptor(libusb_get_device(handle_), &descriptor.config);
    if (rc != LIBUSB_SUCCESS) {
        if (error != nullptr) *error = std::string("no configuration: ") + libusb_strerror(rc);
        return false;
    }
    // The printer-class interface with a bulk pipe each way; any interface
    // with both when the printer names no class.
    int best_rank = 0;
    for (int i = 0; i < descriptor.config->bNumInterfaces; ++i) {
        const libusb_interface& interface = descriptor.config->interface[i];
        for (int a = 0; a < interface.num_altsetting; ++a) {
            const libusb_interface_descriptor& alt = interface.altsetting[a];
            uint8_t in = 0, out = 0;
            uint16_t in_size = 512;
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK) continue;
                if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN) {
                    if (in == 0) in = ep.bEndpointAddress, in_size = ep.wMaxPacketSize;
                } else if (out == 0) {
                    out = ep.bEndpointAddress;
                }
            }
            if (in == 0 || out == 0) continue;
            const int rank = alt.bInterfaceClass == kPrinterClass ? 2 : 1;
            if (rank > best_rank) {
                best_rank = rank;
                interface_ = alt.bInterfaceNumber;
                alt_setting_ = alt.bAlternateSetting;
                in_endpoint_ = in;
                out_endpoint_ = out;
                in_packet_size_ = in_size == 0 ? 512 : in_size;
            }
        }
    }
    if (best_rank == 0) {
        if (error != nullptr) *error = "no interface with a bulk IN and a bulk OUT endpoint";
        return false;
    }
    if (libusb_kernel_driver_active(handle_, interface_) == 1) {
        rc = libusb_detach_kernel_driver(handle_, interface_);
        if (rc != LIBUSB_SUCCESS) {
            if (error != nullptr) *error = std::string("cannot detach the kernel driver: ") + libusb_strerror(rc);
            return false;
        }
        driver_detached_ = true;
    }
    rc = libusb_claim_interface(handle_, interface_);
    if (rc != LIBUSB_SUCCESS) {
        if (error != nullptr)
            *error = "cannot claim interface " + std::to_string(interface_) + ": " + libusb_strerror(rc);
        return false;
    }
    claimed_ = true;
    if (alt_setting_ != 0 && (rc = libusb_set_interface_alt_setting(handle_, interface_, alt_setting_)) != 0) {
        if (error != nullptr) *error = std::string("cannot select the alternate setting: ") + libusb_strerror(rc);
        return false;
    }
    return true;
}

void PrinterDevice::describe() {
    libusb_device* device = libusb_get_device(handle_);
    libusb_device_descriptor descriptor{};
    libusb_get_device_descriptor(device, &descriptor);
    unsigned char text[256] = {};
    std::string serial_text;
    if (descriptor.iSerialNumber != 0) {
        const int n = libusb_get_string_descriptor_ascii(handle_, descriptor.iSerialNumber, text, sizeof text - 1);
        if (n > 0) serial_text.assign(reinterpret_cast<char*>(text), static_cast<size_t>(n));
    }
    std::optional<std::string> serial = checked_serial(serial_text);
    if (!serial) {
        log_line("printer on bus %u: serial number \"%s\" refused", libusb_get_bus_number(device),
                 serial_text.c_str());
        return;
    }
    std::optional<std::string> device_id;
    std::vector<uint8_t> answer(1024);
    const int n = libusb_control_transfer(
        handle_, kClassInterfaceIn, kGetDeviceId, 0,
        static_cast<uint16_t>(interface_ << 8 | alt_setting_), answer.data(), static_cast<uint16_t>(answer.size()),
        kControlTimeoutMs);
    if (n > 0) device_id = parse_device_id(answer.data(), static_cast<size_t>(n));

    uint8_t ports[8];
    const int depth = libusb_get_port_numbers(device, ports, sizeof ports);
    description_.serial = *serial;
    description_.instance = make_instance(libusb_get_bus_number(device),
                                          std::vector<uint8_t>(ports, ports + std::max(depth, 0)), *serial);
    description_.id_string = make_id_string(device_id, *serial);
    description_.device_id_from_printer = device_id.has_value();
}

PrinterDevice::~PrinterDevice() { close(); }

bool PrinterDevice::start(InSink sink) {
    sink_ = std::move(sink);
    for (size_t i = 0; i < kInQueue; ++i) {
        in_transfers_.push_back(std::make_unique<Transfer>(this, true, link::kMaxTransfer));
        if (in_transfers_.back()->usb == nullptr || !submit_in(*in_transfers_.back())) return false;
    }
    out_transfer_ = std::make_unique<Transfer>(this, false, kOutPiece);
    return out_transfer_->usb != nullptr;
}

bool PrinterDevice::submit_in(Transfer& transfer) {
    libusb_fill_bulk_transfer(transfer.usb, handle_, in_endpoint_, transfer.buffer.data(),
                              static_cast<int>(transfer.buffer.size()), &PrinterDevice::on_transfer_done, &transfer,
                              timeouts_.in_ms);
    const int rc = libusb_submit_transfer(transfer.usb);
    if (rc != LIBUSB_SUCCESS) {
        log_line("%s: IN transfer not submitted: %s", description_.serial.c_str(), libusb_strerror(rc));
        if (rc == LIBUSB_ERROR_NO_DEVICE) gone_ = true;
        return false;
    }
    transfer.in_flight = true;
    return true;
}

void PrinterDevice::send(std::vector<uint8_t> message) {
    if (closing_ || gone_ || message.empty()) return;
    out_queue_.push_back(std::move(message));
    if (out_queue_.size() == 1) {
        out_offset_ = 0;
        submit_next_out();
    }
}

void PrinterDevice::submit_next_out() {
    while (!out_queue_.empty() && out_transfer_ && !out_transfer_->in_flight) {
        const std::vector<uint8_t>& message = out_queue_.front();
        const size_t piece = std::min(kOutPiece, message.size() - out_offset_);
        std::memcpy(out_transfer_->buffer.data(), message.data() + out_offset_, piece);
        libusb_fill_bulk_transfer(out_transfer_->usb, handle_, out_endpoint_, out_transfer_->buffer.data(),
                                  static_cast<int>(piece), &PrinterDevice::on_transfer_done, out_transfer_.get(),
                                  timeouts_.out_ms);
        // A transfer of whole packets ends with a zero-length packet, so the
        // printer sees where it ends.
        out_transfer_->usb->flags = piece % 512 == 0 ? LIBUSB_TRANSFER_ADD_ZERO_PACKET : 0;
        const int rc = libusb_submit_transfer(out_transfer_->usb);
        if (rc == LIBUSB_SUCCESS) {
            out_transfer_->in_flight = true;
            log_debug("%s: OUT %zu bytes", description_.serial.c_str(), piece);
            return;
        }
        log_line("%s: OUT transfer not submitted: %s; message of %zu bytes dropped", description_.serial.c_str(),
                 libusb_strerror(rc), message.size());
        if (rc == LIBUSB_ERROR_NO_DEVICE) gone_ = true;
        out_queue_.pop_front();
        out_offset_ = 0;
    }
}

void LIBUSB_CALL PrinterDevice::on_transfer_done(libusb_transfer* usb) {
    auto* transfer = static_cast<Transfer*>(usb->user_data);
    transfer->in_flight = false;
    if (transfer->owner == nullptr) return;  // abandoned by a device that could not wait for it
    if (transfer->is_in)
        transfer->owner->on_in_done(*transfer);
    else
        transfer->owner->on_out_done(*transfer);
}

void PrinterDevice::note_status(const char* direction, libusb_transfer_status status) {
    if (status == LIBUSB_TRANSFER_NO_DEVICE) {
        if (!gone_) log_line("%s: the printer has left the bus", description_.serial.c_str());
        gone_ = true;
        return;
    }
    log_line("%s: %s transfer ended: %s", description_.serial.c_str(), direction,
             libusb_error_name(status == LIBUSB_TRANSFER_TIMED_OUT ? LIBUSB_ERROR_TIMEOUT
                               : status == LIBUSB_TRANSFER_STALL   ? LIBUSB_ERROR_PIPE
                               : status == LIBUSB_TRANSFER_OVERFLOW ? LIBUSB_ERROR_OVERFLOW
                                                                    : LIBUSB_ERROR_IO));
}

void PrinterDevice::on_in_done(Transfer& transfer) {
    const libusb_transfer_status status = transfer.usb->status;
    const int got = transfer.usb->actual_length;
    if (closing_ || status == LIBUSB_TRANSFER_CANCELLED) return;
    // A time-out only means the printer had nothing to say; what came before it still counts.
    if ((status == LIBUSB_TRANSFER_COMPLETED || status == LIBUSB_TRANSFER_TIMED_OUT) && got > 0) {
        log_debug("%s: IN %d bytes", description_.serial.c_str(), got);
        if (sink_) sink_(transfer.buffer.data(), static_cast<size_t>(std::min(got, transfer.usb->length)));
    }
    if (status == LIBUSB_TRANSFER_COMPLETED || status == LIBUSB_TRANSFER_TIMED_OUT) {
        in_errors_ = 0;
    } else {
        note_status("IN", status);
        if (gone_) return;
        if (status == LIBUSB_TRANSFER_STALL) libusb_clear_halt(handle_, in_endpoint_);
        if (++in_errors_ == kInErrorLimit) {
            log_line("%s: %u IN transfers failed in a row; no more are asked for", description_.serial.c_str(),
                     in_errors_);
            return;
        }
        if (in_errors_ > kInErrorLimit) return;
    }
    submit_in(transfer);
}

void PrinterDevice::on_out_done(Transfer& transfer) {
    const libusb_transfer_status status = transfer.usb->status;
    if (closing_ || out_queue_.empty()) return;
    const size_t size = out_queue_.front().size();
    if (status == LIBUSB_TRANSFER_COMPLETED && transfer.usb->actual_length == transfer.usb->length) {
        out_offset_ += static_cast<size_t>(transfer.usb->length);
        if (out_offset_ < size) {
            submit_next_out();
            return;
        }
    } else {
        if (status == LIBUSB_TRANSFER_COMPLETED)
            log_line("%s: OUT transfer moved %d of %d bytes", description_.serial.c_str(), transfer.usb->actual_length,
                     transfer.usb->length);
        else
            note_status("OUT", status);
        if (status == LIBUSB_TRANSFER_STALL) libusb_clear_halt(handle_, out_endpoint_);
        log_line("%s: the rest of a message of %zu bytes is dropped", description_.serial.c_str(), size);
    }
    out_queue_.pop_front();
    out_offset_ = 0;
    submit_next_out();
}

size_t PrinterDevice::in_flight() const {
    size_t n = out_transfer_ && out_transfer_->in_flight ? 1 : 0;
    for (const auto& t : in_transfers_) n += t->in_flight ? 1 : 0;
    return n;
}

void PrinterDevice::close() {
    if (handle_ == nullptr) return;
    closing_ = true;
    out_queue_.clear();
    std::vector<Transfer*> all;
    for (auto& t : in_transfers_) all.push_back(t.get());
    if (out_transfer_) all.push_back(out_transfer_.get());
    for (Transfer* t : all)
        if (t->in_flight) libusb_cancel_transfer(t->usb);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeouts_.close_ms);
    while (in_flight() > 0 && std::chrono::steady_clock::now() < deadline) context_.handle_events_for(20);
    bool abandoned = false;
    for (auto& t : in_transfers_)
        if (t->in_flight) {
            t->owner = nullptr;
            (void)t.release();  // libusb still holds it: neither it nor its buffer may go
            abandoned = true;
        }
    if (out_transfer_ && out_transfer_->in_flight) {
        out_transfer_->owner = nullptr;
        (void)out_transfer_.release();
        abandoned = true;
    }
    in_transfers_.clear();
    out_transfer_.reset();
    if (abandoned) {
        // Closing the handle would free what the transfers point at.
        log_line("%s: transfers did not end within %u ms after cancelling; the device handle is left open",
                 description_.serial.c_str(), timeouts_.close_ms);
        handle_ = nullptr;
        return;
    }
    if (claimed_) {
        const int rc = libusb_release_interface(handle_, interface_);
        if (rc != LIBUSB_SUCCESS && rc != LIBUSB_ERROR_NO_DEVICE && !gone_)
            log_line("%s: releasing the interface failed: %s", description_.serial.c_str(), libusb_strerror(rc));
    }
    if (driver_detached_ && !gone_) {
        const int rc = libusb_attach_kernel_driver(handle_, interface_);
        if (rc != LIBUSB_SUCCESS && rc != LIBUSB_ERROR_NO_DEVICE)
            log_line("%s: the kernel driver could not be given back: %s", description_.serial.c_str(),
                     libusb_strerror(rc));
    }
    libusb_close(handle_);
    handle_ = nullptr;
}

}  // namespace tz::usbbridge

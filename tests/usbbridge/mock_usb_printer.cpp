#include "mock_usb_printer.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tz::test {
namespace {

constexpr uint8_t kOutEndpoint = 0x01;
constexpr uint8_t kInEndpoint = 0x82;
constexpr char kDeviceId[] = "MFG:TARVO;CMD:TZPL;MDL:5170;CLS:PRINTER;DES:TARVO 5170 Photo Printer;";

// Device, configuration, printer interface (class 7, bidirectional), bulk OUT 0x01 and bulk IN 0x82 of 512 bytes.
std::vector<uint8_t> descriptors() {
    return {18, 1, 0x00, 0x02, 0, 0, 0, 64, 0x3C, 0x0F, 0x17, 0x5A, 0x00, 0x01, 1, 2, 3, 1,
            9, 2, 32, 0, 1, 1, 0, 0xC0, 50,
            9, 4, 0, 0, 2, 7, 1, 2, 0,
            7, 5, kOutEndpoint, 2, 0x00, 0x02, 0,
            7, 5, kInEndpoint, 2, 0x00, 0x02, 0};
}

std::vector<uint8_t> string_descriptor(const std::string& text) {
    std::vector<uint8_t> out{static_cast<uint8_t>(2 + 2 * text.size()), 3};
    for (char c : text) out.insert(out.end(), {static_cast<uint8_t>(c), 0});
    return out;
}

void complete(UMockdevIoctlClient* client, long result, int error) {
    umockdev_ioctl_client_complete(client, result, error);
}

// Changes go through update(), so that umockdev copies them back to the caller.
void write(UMockdevIoctlData* data, size_t offset, const void* bytes, size_t size) {
    umockdev_ioctl_data_update(data, offset, static_cast<guint8*>(const_cast<void*>(bytes)), static_cast<gint>(size));
}

}  // namespace

MockUsbPrinter::MockUsbPrinter(UMockdevTestbed* testbed, int bus, int port, int device_number,
                               emulator::PrinterModel& model)
    : testbed_(testbed), model_(model), session_(model.open_session()) {
    char node[64], bus_text[8];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03d/%03d", bus, device_number);
    std::snprintf(bus_text, sizeof bus_text, "%03d", bus);
    const std::string name = std::to_string(bus) + "-" + std::to_string(port);
    devnode_ = node;
    // The ioctls are answered before anyone can see the device.
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&MockUsbPrinter::on_ioctl), this);
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed_, devnode_.c_str(), handler_, &error)) {
        std::fprintf(stderr, "mock printer: cannot attach to %s: %s\n", node, error ? error->message : "?");
        g_clear_error(&error);
    }
    std::string hex;
    for (uint8_t b : descriptors()) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    // The usbfs node reads as the descriptors, as the kernel's does.
    const std::string number = std::to_string(device_number);
    const std::string minor = std::to_string((bus - 1) * 128 + device_number - 1);
    const std::string description = "P: /devices/" + name + "\nN: " + (devnode_.c_str() + 5) + "=" + hex +
                                    "\nE: DEVNAME=" + devnode_ + "\nE: DEVTYPE=usb_device\nE: SUBSYSTEM=usb" +
                                    "\nE: BUSNUM=" + bus_text + "\nE: DEVNUM=" + (node + std::strlen(node) - 3) +
                                    "\nA: busnum=" + std::to_string(bus) + "\\n\nA: devnum=" + number +
                                    "\\n\nA: speed=480\\n\nA: bConfigurationValue=1\\n\nA: dev=189:" + minor +
                                    "\\n\nH: descriptors=" + hex + "\n";
    if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
        std::fprintf(stderr, "mock printer: cannot add %s: %s\n", name.c_str(), error ? error->message : "?");
        g_clear_error(&error);
    }
    syspath_ = "/sys/devices/" + name;
}

MockUsbPrinter::~MockUsbPrinter() {
    umockdev_testbed_detach_ioctl(testbed_, devnode_.c_str(), nullptr);
    {
        std::lock_guard guard(lock_);
        for (auto* queue : {&waiting_in_, &hung_out_, &done_})
            for (Urb& urb : *queue) release(urb);
    }
    g_signal_handlers_disconnect_by_data(handler_, this);
    g_object_unref(handler_);
    umockdev_testbed_remove_device(testbed_, syspath_.c_str());
    model_.close_session(session_);
}

void MockUsbPrinter::announce() { umockdev_testbed_uevent(testbed_, syspath_.c_str(), "add"); }

void MockUsbPrinter::unplug() {
    {
        std::lock_guard guard(lock_);
        unplugged_ = true;
        for (auto* queue : {&waiting_in_, &hung_out_}) {
            for (Urb& urb : *queue) {
                finish(urb, -ESHUTDOWN, 0);
                done_.push_back(urb);
            }
            queue->clear();
        }
    }
    umockdev_testbed_uevent(testbed_, syspath_.c_str(), "remove");
}

void MockUsbPrinter::set_hanging(bool hanging) {
    std::lock_guard guard(lock_);
    hanging_ = hanging;
}

void MockUsbPrinter::tick() {
    std::lock_guard guard(lock_);
    model_.tick();
}

MockUsbPrinter::Counts MockUsbPrinter::counts() const {
    std::lock_guard guard(lock_);
    return counts_;
}

void MockUsbPrinter::release(Urb& urb) {
    if (urb.buffer != nullptr) umockdev_ioctl_data_unref(urb.buffer);
    if (urb.data != nullptr) umockdev_ioctl_data_unref(urb.data);
    urb = {};
}

void MockUsbPrinter::finish(Urb& urb, int status, int actual_length) {
    write(urb.data, offsetof(usbdevfs_urb, status), &status, sizeof status);
    write(urb.data, offsetof(usbdevfs_urb, actual_length), &actual_length, sizeof actual_length);
}

gboolean MockUsbPrinter::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<MockUsbPrinter*>(self)->handle(client) ? TRUE : FALSE;
}

bool MockUsbPrinter::handle(UMockdevIoctlClient* client) {
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    std::lock_guard guard(lock_);
    model_.tick();
    if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) {
        if (done_.empty()) {
            complete(client, -1, unplugged_ ? ENODEV : EAGAIN);
            return true;
        }
        Urb urb = done_.front();
        done_.pop_front();
        UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr);
        umockdev_ioctl_data_set_ptr(slot, 0, urb.data);
        umockdev_ioctl_data_unref(slot);
        release(urb);
        complete(client, 0, 0);
        return true;
    }
    if (unplugged_) {
        complete(client, -1, ENODEV);
        return true;
    }
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(uint32_t), nullptr);
            // A host controller with scatter-gather, as xHCI: one URB per transfer.
            const uint32_t value =
                USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;
            write(caps, 0, &value, sizeof value);
            umockdev_ioctl_data_unref(caps);
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_GETDRIVER: {
            if (!counts_.driver_bound) {
                complete(client, -1, ENODATA);
                return true;
            }
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_getdriver), nullptr);
            write(d, offsetof(usbdevfs_getdriver, driver), "usblp", 6);
            umockdev_ioctl_data_unref(d);
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_IOCTL: {
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_ioctl), nullptr);
            const int code = reinterpret_cast<usbdevfs_ioctl*>(d->data)->ioctl_code;
            umockdev_ioctl_data_unref(d);
            if (code == static_cast<int>(USBDEVFS_DISCONNECT)) {
                counts_.driver_bound = false;
            } else if (code == static_cast<int>(USBDEVFS_CONNECT)) {
                counts_.driver_bound = true;
                ++counts_.driver_reattached;
                complete(client, 1, 0);  // as the kernel: 1 when a driver took the interface
                return true;
            } else {
                complete(client, -1, ENOTTY);
                return true;
            }
            complete(client, 0, 0);
            return true;
        }
        case USBDEVFS_CLAIMINTERFACE:
            counts_.claimed = true;
            complete(client, 0, 0);
            return true;
        case USBDEVFS_RELEASEINTERFACE:
            counts_.claimed = false;
            complete(client, 0, 0);
            return true;
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_RESET:
            complete(client, 0, 0);
            return true;
        case USBDEVFS_SUBMITURB:
            submit(client, arg);
            return true;
        case USBDEVFS_DISCARDURB: {
            const gulong address = *reinterpret_cast<gulong*>(arg->data);
            for (auto* queue : {&waiting_in_, &hung_out_}) {
                auto it = std::find_if(queue->begin(), queue->end(),
                                       [&](const Urb& u) { return u.data->client_addr == address; });
                if (it == queue->end()) continue;
                finish(*it, -ENOENT, 0);
                done_.push_back(*it);
                queue->erase(it);
                ++counts_.discarded;
                complete(client, 0, 0);
                return true;
            }
            complete(client, -1, EINVAL);
            return true;
        }
        default:
            complete(client, -1, ENOTTY);
            return true;
    }
}

void MockUsbPrinter::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    Urb urb;
    urb.data = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    auto* u = reinterpret_cast<usbdevfs_urb*>(urb.data->data);
    if (u->buffer_length > 0)
        urb.buffer = umockdev_ioctl_data_resolve(urb.data, offsetof(usbdevfs_urb, buffer),
                                                 static_cast<gsize>(u->buffer_length), nullptr);
    if (u->type == USBDEVFS_URB_TYPE_CONTROL && urb.buffer != nullptr && u->buffer_length >= 8) {
        answer_control(urb.data, urb.buffer);
        done_.push_back(urb);
    } else if (u->type == USBDEVFS_URB_TYPE_BULK && u->endpoint == kInEndpoint && urb.buffer != nullptr) {
        waiting_in_.push_back(urb);
    } else if (u->type == USBDEVFS_URB_TYPE_BULK && u->endpoint == kOutEndpoint) {
        const size_t length = static_cast<size_t>(std::max(u->buffer_length, 0));
        ++counts_.out_urbs;
        counts_.largest_out_urb = std::max(counts_.largest_out_urb, length);
        if (length > 0 && length % 512 == 0) {
            ++counts_.whole_packet_out_urbs;
            if ((u->flags & USBDEVFS_URB_ZERO_PACKET) == 0) ++counts_.whole_packet_out_without_zlp;
        }
        if (hanging_) {
            hung_out_.push_back(urb);
        } else {
            std::vector<emulator::Bytes> answers =
                model_.on_transfer(session_, urb.buffer != nullptr ? urb.buffer->data : nullptr, length);
            for (emulator::Bytes& a : answers) answers_.push_back(std::move(a));
            finish(urb, 0, static_cast<int>(length));
            done_.push_back(urb);
        }
    } else {
        release(urb);
        complete(client, -1, EINVAL);
        return;
    }
    match_answers();
    complete(client, 0, 0);
}

void MockUsbPrinter::answer_control(UMockdevIoctlData* urb_data, UMockdevIoctlData* buffer) {
    uint8_t* setup = buffer->data;
    const uint8_t request_type = setup[0], request = setup[1];
    const uint16_t value = static_cast<uint16_t>(setup[2] | setup[3] << 8);
    const size_t room = static_cast<size_t>(buffer->data_len) - 8;
    std::vector<uint8_t> reply;
    bool known = true;
    if (request_type == 0x80 && request == 6 && (value >> 8) == 3) {
        const int index = value & 0xFF;
        if (index == 0)
            reply = {4, 3, 0x09, 0x04};
        else if (index == 1)
            reply = string_descriptor("TARVO");
        else if (index == 2)
            reply = string_descriptor("TARVO 5170");
        else if (index == 3)
            reply = string_descriptor(model_.serial());
        else
            known = false;
    } else if (request_type == 0xA1 && request == 0) {
        const size_t length = std::strlen(kDeviceId) + 2;
        reply = {static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
        reply.insert(reply.end(), kDeviceId, kDeviceId + std::strlen(kDeviceId));
    } else {
        known = false;
    }
    Urb urb{urb_data, buffer};
    if (!known) {
        finish(urb, -EPIPE, 0);
        return;
    }
    const size_t n = std::min(reply.size(), room);
    if (n > 0) write(buffer, 8, reply.data(), n);
    finish(urb, 0, static_cast<int>(n));
}

void MockUsbPrinter::match_answers() {
    while (!answers_.empty() && !waiting_in_.empty()) {
        Urb urb = waiting_in_.front();
        waiting_in_.pop_front();
        const emulator::Bytes& answer = answers_.front();
        const size_t n = std::min(answer.size(), static_cast<size_t>(urb.buffer->data_len));
        if (n > 0) write(urb.buffer, 0, answer.data(), n);
        answers_.pop_front();
        finish(urb, 0, static_cast<int>(n));
        done_.push_back(urb);
    }
}

}  // namespace tz::test
